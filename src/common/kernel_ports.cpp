// Reads the kernel's list of parallel ports and matches a device to the settings' address.
#include "common/kernel_ports.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "common/number_format.h"
#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string listed(const std::vector<KernelPort>& ports) {
    if (ports.empty())
        return "the kernel lists no parallel port (load the drivers with \"sudo "
               "modprobe parport_pc ppdev\")";
    std::string text = "the kernel lists ";
    for (size_t i = 0; i < ports.size(); ++i)
        text += (i == 0 ? "" : ", ") + ports[i].device + " at " + formatPortAddress(ports[i].base);
    return text;
}

}  // namespace

std::vector<KernelPort> listKernelPorts(const fs::path& procRoot, const fs::path& devRoot) {
    std::vector<KernelPort> ports;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(procRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) != 0 || !allDigits(name.substr(7))) continue;
        std::ifstream in(entry.path() / "base-addr");
        long base = -1;
        if (!(in >> base) || base <= 0 || base > 0xFFFF) continue;
        KernelPort port;
        port.number = std::stoi(name.substr(7));
        port.base = static_cast<uint16_t>(base);
        port.device = (devRoot / name).string();
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(),
              [](const KernelPort& a, const KernelPort& b) { return a.number < b.number; });
    return ports;
}

KernelPort ppdevDeviceFor(uint16_t base, const std::string& device, const fs::path& procRoot,
                          const fs::path& devRoot) {
    const std::vector<KernelPort> ports = listKernelPorts(procRoot, devRoot);
    if (device.empty()) {
        for (const KernelPort& p : ports)
            if (p.base == base) return p;
        throw RunError(ErrorNumber::PermissionDenied,
                       "no ppdev device drives the port at " + formatPortAddress(base) +
                           " that the settings "
                           "name: " +
                           listed(ports) +
                           ". Choose that address in 设备设置 or name the device with --port "
                           "ppdev:/dev/parportN");
    }
    // The same device however it is written (a link in /dev/char, a relative path).
    std::error_code ec;
    const fs::path wanted = fs::weakly_canonical(device, ec);
    for (const KernelPort& p : ports) {
        std::error_code pec;
        const bool same =
            p.device == device || (!ec && fs::weakly_canonical(p.device, pec) == wanted);
        if (!same) continue;
        if (p.base == base) return p;
        throw RunError(ErrorNumber::PermissionDenied,
                       device + " is the port at " + formatPortAddress(p.base) +
                           ", but the settings name " + formatPortAddress(base) +
                           ": nothing is opened. Choose " + formatPortAddress(p.base) +
                           " in 设备设置 or name the device of " + formatPortAddress(base));
    }
    throw RunError(ErrorNumber::PermissionDenied,
                   device +
                       " is not a parallel port the kernel lists, so its address cannot be "
                       "matched with " +
                       formatPortAddress(base) + " from the settings: " + listed(ports));
}

}  // namespace corvane
