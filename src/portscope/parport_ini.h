// parport.ini: the monitor's settings between runs, section "misc", in
// $XDG_CONFIG_HOME/portscope/ (~/.config/portscope/). A missing or unreadable key takes its
// default; writing keeps whatever else the file holds.
#pragma once

#include <cstdint>
#include <filesystem>

#include "portscope/display_tables.h"

namespace portscope {

struct ScopeSettings {
    uint32_t highColor = kDefaultHighColour;  // "HighColor"
    uint32_t lowColor = kDefaultLowColour;    // "LowColor"
    int left = 0;                             // "Left"
    int top = 0;                              // "Top"
    int port = 0;                             // "Port": base address last used
    int connector = 0;                        // "Connector": 0 female, 1 male
    int sampleRate = 0;                       // "SampleRate": index in the rate list
    int beeps = 0;                            // "Beeps": bit 0 data, 1 status, 2 control
    bool onTop = false;                       // "OnTop"
    bool disableCon = false;                  // "DisableCon"
    bool sampleBlink = false;                 // "SampleBlink"
    int bitSetLeft = 0;                       // "BitSetLeft"
    int bitSetTop = 0;                        // "BitSetTop"
};

// $XDG_CONFIG_HOME/portscope/parport.ini; a relative or empty XDG_CONFIG_HOME counts as unset
// (~/.config).
std::filesystem::path settingsPath();

// Every key of `defaults` that the file has in a readable form replaces the default; values
// out of range (a rate index past the list, a connector that is neither) keep the default.
ScopeSettings readSettings(const std::filesystem::path& path, const ScopeSettings& defaults);

// Writes every key (integers in decimal, Booleans as 1 and 0), creating the folder; the rest
// of the file stays. RunError PathFileAccessError when it cannot be written.
void writeSettings(const std::filesystem::path& path, const ScopeSettings& settings);

}  // namespace portscope
