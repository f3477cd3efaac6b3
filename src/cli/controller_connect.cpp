// Opening a controller for the command line.
#include "cli/controller_connect.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>

#include "cli/cli_context.h"
#include "controller/controller_address.h"
#include "controller/grbl_protocol.h"
#include "machine/wire_guard.h"

namespace corvane::cli {

ControllerLink::~ControllerLink() {
    if (connection) connection->close();
}

std::optional<ControllerLink> connectController(Workspace& ws, const ControllerChoice& choice) {
    std::string why;
    if (!parseControllerAddress(choice.address, &why)) {
        printMessage("--controller " + choice.address + ": " + why);
        return std::nullopt;
    }
    // Every signal from here on sends the soft reset before anything else.
    WireGuard::install(PortChoice::Kind::Simulated);
    ControllerLink link;
    link.connection = std::make_unique<GrblConnection>(ws, choice);
    // The whole conversation, for a board that does not behave: CORVANE_CONTROLLER_LOG=FILE.
    if (const char* path = std::getenv("CORVANE_CONTROLLER_LOG")) {
        auto log = std::make_shared<std::ofstream>(path);
        MonotonicClock& clock = ws.clock();
        link.connection->log = [log, &clock](const std::string& said, bool out) {
            *log << clock.now() / (clock.frequency() / 1000) << (out ? " >> " : " << ")
                 << (said.size() == 1 && static_cast<unsigned char>(said[0]) >= 0x80
                         ? "0x" + std::to_string(static_cast<unsigned char>(said[0]))
                         : said)
                 << (out && !said.empty() && said.back() == '\n' ? "" : "\n");
            log->flush();
        };
    }
    if (const std::string failed = link.connection->open(); !failed.empty()) {
        printMessage(failed);
        return std::nullopt;
    }
    link.identity = link.connection->session()->identity();
    std::cerr << "Controller: " << link.connection->lineDescription() << "\n";
    return link;
}

void printIdentity(const ControllerIdentity& id) {
    std::cout << "Banner: " << id.banner << "\n";
    if (!id.version.empty()) std::cout << "Version: " << id.version << "\n";
    if (!id.firmware.empty()) std::cout << "Firmware: " << id.firmware << "\n";
    if (!id.options.empty()) std::cout << "Options: " << id.options << "\n";
    std::cout << "RX buffer: " << id.rxBuffer << " bytes\n";
    if (id.status) std::cout << "State: " << id.status->state << "\n";
    if (id.inAlarm())
        std::cout << "The controller is in alarm: check the machine, then unlock it with "
                     "corvane-cli controller unlock ($X)\n";
}

}  // namespace corvane::cli
