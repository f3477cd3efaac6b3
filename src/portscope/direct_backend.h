// Direct port access on x86 Linux: ioperm opens one address at a time for this process (root
// or CAP_SYS_RAWIO), inb and outb do the rest.
#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "common/kernel_ports.h"
#include "common/port_lock.h"
#include "portscope/port_access.h"

namespace portscope {

class DirectBackend : public PortBackend {
public:
    // `procRoot`: where the kernel lists its ports (their data lines are never probed).
    explicit DirectBackend(std::filesystem::path procRoot = corvane::kParportProcRoot)
        : procRoot_(std::move(procRoot)) {}
    void connect() override;
    [[nodiscard]] bool requestGrant(uint16_t address) override;
    uint8_t in(uint16_t address) override;
    // Writes only to a port whose lock it holds: beside corvane it watches read-only.
    void out(uint16_t address, uint8_t value) override;
    std::string describe() const override { return "Direct I/O"; }
    // The ports the kernel lists, when it lists any: detection then writes nothing.
    std::optional<std::vector<uint16_t>> knownPorts() override;
    std::string refusal(uint16_t base) const override;

private:
    bool mayWrite(uint16_t base);
    std::filesystem::path procRoot_;
    std::map<uint16_t, std::unique_ptr<corvane::PortLock>> locks_;
    std::map<uint16_t, std::string> refusals_;
};

}  // namespace portscope
