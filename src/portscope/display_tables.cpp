// The pin table mirrors the connector's wiring; the colour names are the lists' own.
#include "portscope/display_tables.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace portscope {

const std::array<PinInfo, 25>& pins() {
    static const std::array<PinInfo, 25> table = {{
        {1, "STB", "/C0", kControl, 0x01, true, true},
        {2, "D0", "D0", kData, 0x01, false, true},
        {3, "D1", "D1", kData, 0x02, false, true},
        {4, "D2", "D2", kData, 0x04, false, true},
        {5, "D3", "D3", kData, 0x08, false, true},
        {6, "D4", "D4", kData, 0x10, false, true},
        {7, "D5", "D5", kData, 0x20, false, true},
        {8, "D6", "D6", kData, 0x40, false, true},
        {9, "D7", "D7", kData, 0x80, false, true},
        {10, "ACK", "S6", kStatus, 0x40, false, false},
        {11, "Busy", "\\S7", kStatus, 0x80, true, false},
        {12, "PaperOut", "S5", kStatus, 0x20, false, false},
        {13, "SlctOut", "S4", kStatus, 0x10, false, false},
        {14, "AFD", "\\C1", kControl, 0x02, true, true},
        {15, "Err", "S3", kStatus, 0x08, false, false},
        {16, "Init", "C2", kControl, 0x04, false, true},
        {17, "SlctIn", "\\C3", kControl, 0x08, true, true},
        {18, "Gnd8", "Gnd", -1, 0, false, false},
        {19, "Gnd7", "Gnd", -1, 0, false, false},
        {20, "Gnd6", "Gnd", -1, 0, false, false},
        {21, "Gnd5", "Gnd", -1, 0, false, false},
        {22, "Gnd4", "Gnd", -1, 0, false, false},
        {23, "Gnd3", "Gnd", -1, 0, false, false},
        {24, "Gnd2", "Gnd", -1, 0, false, false},
        {25, "Gnd1", "Gnd", -1, 0, false, false},
    }};
    return table;
}

const PinInfo& pinInfo(int pin) {
    return pins().at(static_cast<size_t>(pin - 1));
}

std::string pinHint(const PinInfo& pin) {
    std::string hint = "Pin " + std::to_string(pin.pin) + " " + pin.signal;
    if (pin.offset == kStatus) hint += " Input";
    if (pin.offset == kData || pin.offset == kControl) hint += " Output";
    return hint;
}

bool pinIsHigh(const PinInfo& pin, uint8_t registerValue) {
    if (pin.offset < 0) return false;
    return ((registerValue & pin.mask) != 0) != pin.inverted;
}

uint32_t pinTag(const PinInfo& pin) {
    if (!pin.clickable) return 0;
    return static_cast<uint32_t>(pin.offset) << 16 | pin.mask;
}

int pinRow(int pin) {
    return pin <= 13 ? 0 : 1;
}

int pinColumn(int pin, bool male) {
    if (pin <= 13) return male ? pin - 1 : 13 - pin;
    return male ? pin - 14 : 25 - pin;
}

const std::array<NamedColour, 18>& colourList() {
    static const std::array<NamedColour, 18> list = {{
        {"Black", colourRef(0, 0, 0)},
        {"Maroon", colourRef(128, 0, 0)},
        {"Green", colourRef(0, 128, 0)},
        {"Olive", colourRef(128, 128, 0)},
        {"Navy", colourRef(0, 0, 128)},
        {"Purple", colourRef(128, 0, 128)},
        {"Teal", colourRef(0, 128, 128)},
        {"Gray", colourRef(128, 128, 128)},
        {"Silver", colourRef(192, 192, 192)},
        {"Red", colourRef(255, 0, 0)},
        {"Lime", colourRef(0, 255, 0)},
        {"Yellow", colourRef(255, 255, 0)},
        {"Blue", colourRef(0, 0, 255)},
        {"Fuchsia", colourRef(255, 0, 255)},
        {"Aqua", colourRef(0, 255, 255)},
        {"Light Gray", colourRef(192, 192, 192)},
        {"Dark Gray", colourRef(128, 128, 128)},
        {"White", colourRef(255, 255, 255)},
    }};
    return list;
}

int colourIndex(uint32_t rgb) {
    const auto& list = colourList();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].rgb == rgb) return static_cast<int>(i);
    return -1;
}

const std::array<const char*, 10>& sampleRates() {
    static const std::array<const char*, 10> items = {
        "As fast as possible", "0.05 seconds", "0.1 seconds", "0.5 seconds", "1 second",
        "2 seconds",           "5 seconds",    "10 seconds",  "30 seconds",  "60 seconds"};
    return items;
}

int samplePeriodMs(int index) {
    if (index <= 0 || index >= static_cast<int>(sampleRates().size())) return 0;
    // from_chars, not strtod: the window system sets the user's locale, whose decimal mark may
    // not be a full stop.
    const char* text = sampleRates()[static_cast<size_t>(index)];
    double seconds = 0;
    std::from_chars(text, text + std::strlen(text), seconds);
    return static_cast<int>(std::lround(seconds * 1000.0));
}

}  // namespace portscope
