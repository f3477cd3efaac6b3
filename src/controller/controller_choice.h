// The operator's choice of controller, kept in controller.txt in the application folder beside
// settings.txt (whose 28 fields belong to the port machine): the address (empty: the parallel
// port), how the controller switches the wire, its power, and whether home runs $H.
#pragma once

#include <filesystem>
#include <string>

#include "controller/controller_program.h"

namespace corvane {

inline constexpr const char* kControllerFile = "controller.txt";

struct ControllerChoice {
    std::string address;  // grbl:DEVICE[@BAUD]; empty: no controller
    WireOutput wireOutput = WireOutput::Spindle;
    double wirePower = 1000;
    bool homingCycle = false;  // home sends $H (the controller has homing switches)

    // A missing or unreadable file is no controller.
    static ControllerChoice load(const std::filesystem::path& appFolder);
    void save(const std::filesystem::path& appFolder) const;
};

}  // namespace corvane
