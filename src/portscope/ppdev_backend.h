// Port access through the kernel's ppdev driver (/dev/parportN; membership of the lp group is
// enough). Each device's real base address comes from /proc/sys/dev/parport, so the display
// shows the addresses the hardware has; detection is the list of ports the kernel knows.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/kernel_ports.h"
#include "common/port_lock.h"
#include "portscope/port_access.h"

namespace portscope {

using corvane::KernelPort;

// The ports under `procRoot` (parportN/base-addr), the candidate addresses first in their
// order, then the others by number.
std::vector<KernelPort> kernelPorts(const std::filesystem::path& procRoot,
                                    const std::filesystem::path& devRoot);

class PpdevBackend : public PortBackend {
public:
    // `device` limits the backend to one device ("/dev/parport1"); empty = every known port.
    explicit PpdevBackend(std::string device = {},
                          std::filesystem::path procRoot = "/proc/sys/dev/parport",
                          std::filesystem::path devRoot = "/dev");
    ~PpdevBackend() override;

    void connect() override;
    [[nodiscard]] bool requestGrant(uint16_t address) override;
    uint8_t in(uint16_t address) override;
    void out(uint16_t address, uint8_t value) override;
    std::optional<std::vector<uint16_t>> knownPorts() override;
    std::string describe() const override;
    std::string refusal(uint16_t base) const override;

private:
    struct Open {
        KernelPort port;
        int fd = -1;
        bool claimed = false;
        std::unique_ptr<corvane::PortLock> lock;  // taken before the claim, held with it
        std::string refusal;                      // why the claim failed
        std::string writeError;                   // the last write the kernel refused
    };
    Open* portOf(uint16_t address, int* offset);
    std::string device_;
    std::filesystem::path procRoot_;
    std::filesystem::path devRoot_;
    std::vector<Open> open_;
};

}  // namespace portscope
