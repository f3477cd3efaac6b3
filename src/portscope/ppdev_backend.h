// Port access through the kernel's ppdev driver (/dev/parportN; membership of the lp group is
// enough). Each device's real base address comes from /proc/sys/dev/parport, so the display
// shows the addresses the hardware has; detection is the list of ports the kernel knows.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "portscope/port_access.h"

namespace portscope {

struct KernelPort {
    int number = 0;      // N of parportN
    uint16_t base = 0;   // from base-addr
    std::string device;  // /dev/parportN
};

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
    bool requestGrant(uint16_t address) override;
    uint8_t in(uint16_t address) override;
    void out(uint16_t address, uint8_t value) override;
    std::optional<std::vector<uint16_t>> knownPorts() override;
    std::string describe() const override;

private:
    struct Open {
        KernelPort port;
        int fd = -1;
        bool claimed = false;
    };
    Open* portOf(uint16_t address, int* offset);
    std::string device_;
    std::filesystem::path procRoot_;
    std::filesystem::path devRoot_;
    std::vector<Open> open_;
};

}  // namespace portscope
