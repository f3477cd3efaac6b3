// Loading, saving and deriving the machine settings, in the order the device-settings window
// does it, so a failure leaves exactly the values derived before it.
#include "machine/machine_settings.h"

#include <cmath>
#include <optional>
#include <string_view>

#include "common/file_io.h"
#include "common/folder_lock.h"
#include "common/number_text.h"
#include "common/records.h"
#include "common/run_error.h"

namespace corvane {

void SettingsFields::resetDefaults() {
    lead_in = 0;
    horizontal = true;
    vertical = false;
    lead_in_amount = "0";
    oversize_foam = 0;
    foam_blank_depth = "0";
    foam_blank_width = "0";
    steps_per_inch = "4000";
    accel_rate = "300";
    max_speed = "300";
    x1_dir = "Pin 2";
    x1_step = "Pin 3";
    y1_dir = "Pin 4";
    y1_step = "Pin 5";
    x2_dir = "Pin 6";
    x2_step = "Pin 7";
    y2_dir = "Pin 8";
    y2_step = "Pin 9";
    enable = kEnableNotUsedReset;
    port_address = "378h";
    active_low = true;
    active_high = false;
    lead_out = 1;
    reverseX1 = 0;
    reverseY1 = 0;
    reverseX2 = 0;
    reverseY2 = 0;
    kerf = "0";
}

namespace {

// A check box takes 0, 1 or 2 (grey); anything else is an invalid property value. A Boolean
// counts as its number: #FALSE# is 0, #TRUE# is -1 and so out of range.
int checkBoxValue(const RecordValue& v) {
    int16_t whole = toInt16(v.asNumber());
    if (whole < 0 || whole > 2) throw RunError(ErrorNumber::InvalidPropertyValue);
    return whole;
}

// Setting an option button selects it and clears the other one of its group.
void setOption(bool& option, bool& other, bool value) {
    option = value;
    if (value) other = false;
}

// "Pin 2" .. "Pin 9" exactly: the data pin's bit number 0..7.
std::optional<int> dataPinBit(std::string_view text) {
    if (text.size() == 5 && text.substr(0, 4) == "Pin " && text[4] >= '2' && text[4] <= '9') {
        return text[4] - '2';
    }
    return std::nullopt;
}

void decodeAxis(AxisPins& axis, std::string_view dirText, std::string_view stepText) {
    if (auto bit = dataPinBit(dirText)) {
        axis.DirMask = static_cast<int16_t>(1 << *bit);
        axis.DirBit = *bit;
    }
    if (auto bit = dataPinBit(stepText)) {
        axis.StepMask = static_cast<int16_t>(1 << *bit);
        axis.StepBit = static_cast<uint8_t>(*bit);
    }
}

struct Patterns {
    uint16_t& first;   // Forward (X) or Up (Y)
    uint16_t& second;  // Back (X) or Down (Y)
    uint16_t& firstDir;
    uint16_t& secondDir;
};

// X: forward with the direction level low, back with it high (swapped when reversed).
// Y: up with it high, down with it low (swapped when reversed). A grey box keeps everything.
void derivePatterns(AxisPins& axis, int reverse, bool isY, Patterns p) {
    auto s = static_cast<uint16_t>(axis.StepMask);
    auto d = static_cast<uint16_t>(axis.DirMask);
    if (reverse != 0 && reverse != 1) return;
    axis.Reversed = reverse == 1;
    bool firstHigh = isY != axis.Reversed;
    p.first = static_cast<uint16_t>(firstHigh ? d + s : s);
    p.second = static_cast<uint16_t>(firstHigh ? s : d + s);
    p.firstDir = firstHigh ? d : 0;
    p.secondDir = firstHigh ? 0 : d;
}

}  // namespace

namespace {

const char* const kFieldNames[28] = {
    "lead_in",       "horizontal",       "vertical",         "lead_in_amount",
    "oversize_foam", "foam_blank_depth", "foam_blank_width", "steps_per_inch",
    "accel_rate",    "max_speed",        "x1_dir",           "x1_step",
    "y1_dir",        "y1_step",          "x2_dir",           "x2_step",
    "y2_dir",        "y2_step",          "enable",           "port_address",
    "active_low",    "active_high",      "lead_out",         "reverseX1",
    "reverseY1",     "reverseX2",        "reverseY2",        "kerf"};

// The wire's part of the fields: what a failed load must not put in force.
void copyWireFields(SettingsFields& to, const SettingsFields& from) {
    to.enable = from.enable;
    to.active_low = from.active_low;
    to.active_high = from.active_high;
    to.enable_hold = from.enable_hold;
    to.enable_hold_bit = from.enable_hold_bit;
}

}  // namespace

void MachineSettings::load(const std::filesystem::path& settingsFile,
                           const MachineSettings* inForce) {
    const MachineSettings before = inForce ? *inForce : *this;
    int field = 0;  // 1-based number of the value being read; 29 while deriving
    try {
        RecordReader reader(readFileBytes(settingsFile));
        SettingsFields& f = fields;
        auto next = [&reader, &field]() {
            ++field;
            return reader.next();
        };
        // Each value goes into its field as soon as it is read: a short or bad file keeps the
        // fields filled before the failure.
        f.lead_in = checkBoxValue(next());
        setOption(f.horizontal, f.vertical, next().asBoolean());
        setOption(f.vertical, f.horizontal, next().asBoolean());
        f.lead_in_amount = next().asText();
        f.oversize_foam = checkBoxValue(next());
        f.foam_blank_depth = next().asText();
        f.foam_blank_width = next().asText();
        f.steps_per_inch = next().asText();
        f.accel_rate = next().asText();
        f.max_speed = next().asText();
        f.x1_dir = next().asText();
        f.x1_step = next().asText();
        f.y1_dir = next().asText();
        f.y1_step = next().asText();
        f.x2_dir = next().asText();
        f.x2_step = next().asText();
        f.y2_dir = next().asText();
        f.y2_step = next().asText();
        f.enable = next().asText();
        f.port_address = next().asText();
        setOption(f.active_low, f.active_high, next().asBoolean());
        setOption(f.active_high, f.active_low, next().asBoolean());
        f.lead_out = checkBoxValue(next());
        f.reverseX1 = checkBoxValue(next());
        f.reverseY1 = checkBoxValue(next());
        f.reverseX2 = checkBoxValue(next());
        f.reverseY2 = checkBoxValue(next());
        f.kerf = next().asText();
        // Whatever follows the 28th value is ignored.
        ++field;
        derive();
    } catch (const RunError& e) {
        // The wire pin and level of a file that could not be read in full are not trusted:
        // the ones in force stay, so the pin that is driven is the one the button describes.
        copyWireFields(fields, before.fields);
        derived.wire = before.derived.wire;
        if (field == 0) throw;  // the file itself could not be read: nothing was taken from it
        const std::string where =
            field <= 28 ? "field " + std::to_string(field) + " (" + kFieldNames[field - 1] + ")"
                        : std::string("a value derived from steps_per_inch or an amount");
        loadFailure = where + ": " + e.description();
        std::string detail =
            "settings.txt could not be read in full: " + where + " is " +
            (e.number() == static_cast<int>(ErrorNumber::InputPastEndOfFile) ? "missing"
                                                                             : "not valid") +
            ". No wire pin or level is taken from it.";
        if (!e.detail().empty()) detail = e.detail() + "\r" + detail;
        throw RunError(static_cast<ErrorNumber>(e.number()), detail);
    }
    loadFailure.clear();
}

void MachineSettings::save(const std::filesystem::path& settingsFile) {
    {
        FolderLock lock(settingsFile.parent_path().empty() ? "." : settingsFile.parent_path());
        writeFileAtomic(settingsFile, fileLine());
    }
    derive();
}

std::string MachineSettings::fileLine() const {
    const SettingsFields& f = fields;
    RecordWriter w;
    w.integer(f.lead_in).boolean(f.horizontal).boolean(f.vertical).text(f.lead_in_amount);
    w.integer(f.oversize_foam).text(f.foam_blank_depth).text(f.foam_blank_width);
    w.text(f.steps_per_inch).text(f.accel_rate).text(f.max_speed);
    w.text(f.x1_dir).text(f.x1_step).text(f.y1_dir).text(f.y1_step);
    w.text(f.x2_dir).text(f.x2_step).text(f.y2_dir).text(f.y2_step);
    w.text(f.enable).text(f.port_address).boolean(f.active_low).boolean(f.active_high);
    w.integer(f.lead_out).integer(f.reverseX1).integer(f.reverseY1).integer(f.reverseX2);
    w.number(f.reverseY2).text(f.kerf).endLine();
    return w.bytes();
}

void MachineSettings::derive() {
    SettingsFields& f = fields;
    DerivedSettings& d = derived;

    // Pins of the eight axis combos.
    decodeAxis(d.X1, f.x1_dir, f.x1_step);
    decodeAxis(d.Y1, f.y1_dir, f.y1_step);
    decodeAxis(d.X2, f.x2_dir, f.x2_step);
    decodeAxis(d.Y2, f.y2_dir, f.y2_step);

    // The wire pin, from one table: the bit, whether the port inverts the line, and the
    // control value that makes it active (which enable_hold shows). A text that is no pin, or
    // no level chosen, leaves the shown values and chooses no pin.
    struct WirePinRow {
        const char* text;
        const char* holdLow;
        const char* holdHigh;
        uint8_t bit;
        bool inverted;
    };
    static constexpr WirePinRow kWirePins[] = {
        {"Pin 1", "1", "0", 0, true},
        {"Pin 14", "2", "0", 1, true},
        {"Pin 16", "0", "4", 2, false},
        {"Pin 17", "8", "0", 3, true},
    };
    d.wire = WirePin{};
    for (const WirePinRow& pin : kWirePins) {
        if (f.enable != pin.text || (!f.active_low && !f.active_high)) continue;
        f.enable_hold = f.active_low ? pin.holdLow : pin.holdHigh;
        f.enable_hold_bit = std::to_string(pin.bit);
        // The register level that makes the line active: high for an active-high line on a
        // plain pin, inverted by the hardware on the others.
        d.wire = WirePin{true, pin.bit, f.active_high != pin.inverted};
    }

    // Direction patterns.
    derivePatterns(d.X1, f.reverseX1, false, {d.X1Forward, d.X1Back, d.X1ForwardDir, d.X1BackDir});
    derivePatterns(d.X2, f.reverseX2, false, {d.X2Forward, d.X2Back, d.X2ForwardDir, d.X2BackDir});
    derivePatterns(d.Y1, f.reverseY1, true, {d.Y1Up, d.Y1Down, d.Y1UpDir, d.Y1DownDir});
    derivePatterns(d.Y2, f.reverseY2, true, {d.Y2Up, d.Y2Down, d.Y2UpDir, d.Y2DownDir});

    // Ports: an unknown address text keeps the last one.
    if (f.port_address == "378h") d.DataPort = 0x378;
    if (f.port_address == "278h") d.DataPort = 0x278;
    if (f.port_address == "3BCh") d.DataPort = 0x3BC;
    d.ControlPort = static_cast<int16_t>(d.DataPort + 2);

    // Steps per millimetre; 0 stops here with Division by zero.
    d.StepsPerMm = toInt32(leadingNumber(f.steps_per_inch));
    if (d.StepsPerMm == 0) throw RunError(ErrorNumber::DivisionByZero);
    d.MmPerStep = 1.0 / d.StepsPerMm;

    d.KerfMm = Fixed4::fromDouble(leadingNumber(f.kerf));
    d.BlankWidthMm = Fixed4::fromDouble(leadingNumber(f.foam_blank_width));
    d.BlankDepthMm = Fixed4::fromDouble(leadingNumber(f.foam_blank_depth));
    d.LeadInMm = Fixed4::fromDouble(leadingNumber(f.lead_in_amount));

    d.SpeedSliderMax = toInt16(std::floor(1000.0 / d.StepsPerMm * 5.0));
    loadFailure.clear();
}

}  // namespace corvane
