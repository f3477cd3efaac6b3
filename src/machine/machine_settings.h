// The machine settings: the 28 fields of settings.txt that mirror the device-settings window,
// and every value derived from them (ports, steps per mm, fixed-point amounts, pin masks and
// bits, the sixteen port-byte patterns, the wire pin and its enable_hold/enable_hold_bit).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "common/fixed_point.h"

namespace corvane {

// The not-used text of the wire pin combo as "Reset Defaults" puts it: 未使用 + five blanks.
inline constexpr const char* kEnableNotUsedReset = "未使用     ";
inline constexpr const char* kEnableNotUsed = "未使用";

// The window's fields (also the persisted record: same values, same order as the file).
// Check boxes hold 0, 1 or 2 (grey); options hold Booleans; everything else is text.
struct SettingsFields {
    int lead_in = 0;
    bool horizontal = false;
    bool vertical = false;
    std::string lead_in_amount = "0";
    int oversize_foam = 0;
    std::string foam_blank_depth = "0";
    std::string foam_blank_width = "0";
    std::string steps_per_inch = "157.5";
    std::string accel_rate = "300";
    std::string max_speed = "300";
    std::string x1_dir = "Combo1";
    std::string x1_step = "Combo1";
    std::string y1_dir = "Combo1";
    std::string y1_step = "Combo1";
    std::string x2_dir = "Combo1";
    std::string x2_step = "Combo1";
    std::string y2_dir = "Combo1";
    std::string y2_step = "Combo1";
    std::string enable = kEnableNotUsed;
    std::string port_address = "Combo1";
    bool active_low = true;
    bool active_high = false;
    int lead_out = 1;
    int reverseX1 = 0;
    int reverseY1 = 0;
    int reverseX2 = 0;
    int reverseY2 = 0;  // stored in the file as a floating-point number, rounded into the box
    std::string kerf = ".02";

    // Not persisted: filled from `enable` and the level option on load and on "Done".
    std::string enable_hold = "";
    std::string enable_hold_bit = "Text1";

    // The values "Reset Defaults" puts in (enable_hold and enable_hold_bit unchanged).
    void resetDefaults();
};

// The wire pin as one derivation of `enable` and the level option: its control-register bit
// and the register level that makes the pin active (pins 1, 14 and 17 are inverted by the port,
// pin 16 is not). Not chosen: no pin or no level, and nothing is ever driven.
struct WirePin {
    bool chosen = false;
    uint8_t bit = 0;
    bool setForActive = false;  // setting the bit drives the pin active; clearing it, inactive
    bool operator==(const WirePin&) const = default;
};

struct AxisPins {
    int16_t StepMask = 0;
    int16_t DirMask = 0;
    uint8_t StepBit = 0;
    int32_t DirBit = 0;
    bool Reversed = false;
};

struct DerivedSettings {
    int16_t DataPort = 0;
    int16_t ControlPort = 0;
    int32_t StepsPerMm = 0;
    double MmPerStep = 0;
    int16_t SpeedSliderMax = 0;
    Fixed4 KerfMm;
    Fixed4 BlankWidthMm;
    Fixed4 BlankDepthMm;
    Fixed4 LeadInMm;
    AxisPins X1, Y1, X2, Y2;
    WirePin wire;
    uint16_t X1Forward = 0, X1Back = 0, X2Forward = 0, X2Back = 0;
    uint16_t Y1Up = 0, Y1Down = 0, Y2Up = 0, Y2Down = 0;
    uint16_t X1ForwardDir = 0, X1BackDir = 0, X2ForwardDir = 0, X2BackDir = 0;
    uint16_t Y1UpDir = 0, Y1DownDir = 0, Y2UpDir = 0, Y2DownDir = 0;
};

class MachineSettings {
public:
    SettingsFields fields;  // what the window's fields hold now
    DerivedSettings derived;

    // Load settings: read settings.txt into the fields and derive everything, in the order of
    // the load steps. A failure throws RunError naming the field in its detail and leaves
    // whatever was already done (missing file: FileNotFound, nothing changed; short file:
    // InputPastEndOfFile; steps 0: DivisionByZero after the pins, patterns and ports are
    // derived) but the wire: its pin, level and derived bit are those of `inForce` (or the
    // ones held before the load) until a load succeeds in full.
    void load(const std::filesystem::path& settingsFile, const MachineSettings* inForce = nullptr);

    // Why the last load did not complete ("field 25 (reverseX1): Type mismatch"); empty after a
    // load or derivation that completed.
    std::string loadFailure;

    // "Done": write the fields to settings.txt (replacing it), then derive again.
    void save(const std::filesystem::path& settingsFile);

    // Derive every value from the fields (load steps 3 to 8 and 10).
    void derive();

    // The settings line exactly as the file holds it (GBK, CR LF).
    std::string fileLine() const;

    // The control-register bit of the wire pin (derived.wire's bit, which enable_hold_bit
    // shows).
    uint8_t wireBit() const { return derived.wire.bit; }
};

}  // namespace corvane
