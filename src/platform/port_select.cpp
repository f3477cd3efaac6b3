// --port / CORVANE_PORT: which backend carries the port operations.
#include "platform/port_select.h"

#include <unistd.h>

#include <cstdlib>

#include "common/kernel_ports.h"
#include "common/run_error.h"
#include "platform/direct_port.h"
#include "platform/locked_port.h"
#include "platform/ppdev_port.h"
#include "platform/simulated_port.h"

namespace corvane {

PortChoice automaticPortChoice(const std::vector<std::string>& devices) {
    PortChoice choice;
    for (const std::string& device : devices) {
        if (::access(device.c_str(), R_OK | W_OK) == 0) {
            choice.kind = PortChoice::Kind::Ppdev;
            return choice;  // the device at the settings' address is picked when it opens
        }
    }
    return choice;
}

PortChoice parsePortChoice(const std::optional<std::string>& option, const std::string& fallback) {
    std::string value;
    if (option) {
        value = *option;
    } else if (const char* env = std::getenv("CORVANE_PORT"); env != nullptr && *env != '\0') {
        value = env;
    } else {
        value = fallback;
    }
    PortChoice choice;
    if (value.empty() || value == "sim") return choice;
    if (value == "auto") {
        std::vector<std::string> devices;
        for (const KernelPort& port : listKernelPorts()) devices.push_back(port.device);
        return automaticPortChoice(devices);
    }
    if (value == "direct") {
        choice.kind = PortChoice::Kind::Direct;
        return choice;
    }
    if (value == "ppdev") {
        choice.kind = PortChoice::Kind::Ppdev;
        return choice;
    }
    if (value.rfind("ppdev:", 0) == 0 && value.size() > 6) {
        choice.kind = PortChoice::Kind::Ppdev;
        choice.device = value.substr(6);
        return choice;
    }
    throw RunError(ErrorNumber::InvalidPropertyValue,
                   "unknown port backend \"" + value +
                       "\": use sim, direct, ppdev, ppdev:/dev/parportN or auto");
}

std::unique_ptr<PortIo> openPort(const PortChoice& choice, uint16_t dataPort,
                                 std::function<WireRest()> rest) {
    std::unique_ptr<LockedPort> real;
    switch (choice.kind) {
        case PortChoice::Kind::Direct:
            real = std::make_unique<LockedPort>(
                "Direct I/O",
                [](uint16_t base, WireRest r) { return std::make_unique<DirectPort>(base, r); },
                std::move(rest));
            break;
        case PortChoice::Kind::Ppdev:
            real = std::make_unique<LockedPort>(
                "ppdev",
                [device = choice.device](uint16_t base, WireRest r) {
                    // The device the kernel lists at the settings' address, never another.
                    const KernelPort port = ppdevDeviceFor(base, device);
                    return std::make_unique<PpdevPort>(port.device, base, r);
                },
                std::move(rest));
            break;
        case PortChoice::Kind::Simulated:
            break;
    }
    if (real) {
        real->setDataPort(dataPort);
        return real;
    }
    // The program's simulated port keeps to the named registers as the hardware ones do.
    auto simulated = std::make_unique<SimulatedPort>();
    simulated->setDataPort(dataPort);
    return simulated;
}

}  // namespace corvane
