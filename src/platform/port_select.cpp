// --port / CORVANE_PORT: which backend carries the port operations.
#include "platform/port_select.h"

#include <cstdlib>

#include "common/run_error.h"
#include "platform/direct_port.h"
#include "platform/ppdev_port.h"
#include "platform/simulated_port.h"

namespace corvane {

PortChoice parsePortChoice(const std::optional<std::string>& option) {
    std::string value;
    if (option) {
        value = *option;
    } else if (const char* env = std::getenv("CORVANE_PORT"); env != nullptr) {
        value = env;
    }
    PortChoice choice;
    if (value.empty() || value == "sim") return choice;
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
    throw RunError(
        ErrorNumber::InvalidPropertyValue,
        "unknown port backend \"" + value + "\": use sim, direct, ppdev or ppdev:/dev/parportN");
}

std::unique_ptr<PortIo> openPort(const PortChoice& choice, uint16_t dataPort) {
    switch (choice.kind) {
        case PortChoice::Kind::Direct:
            return std::make_unique<DirectPort>(dataPort);
        case PortChoice::Kind::Ppdev:
            return std::make_unique<PpdevPort>(choice.device, dataPort);
        case PortChoice::Kind::Simulated:
            break;
    }
    // The program's simulated port keeps to the named registers as the hardware ones do.
    auto simulated = std::make_unique<SimulatedPort>();
    simulated->setDataPort(dataPort);
    return simulated;
}

}  // namespace corvane
