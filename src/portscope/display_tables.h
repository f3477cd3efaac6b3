// The fixed tables of the monitor's display: the 25 connector pins with their register bits,
// hints and places, the 18 colours of the two colour lists, and the sampling rates.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace portscope {

// Register offsets from the port's base.
inline constexpr int kData = 0;
inline constexpr int kStatus = 1;
inline constexpr int kControl = 2;

struct PinInfo {
    int pin;             // 1 to 25
    const char* shape;   // object name: "STB", "D0", "Gnd1" ...
    const char* signal;  // hint's signal name, with "/" or "\" for a hardware-inverted line
    int offset;          // kData, kStatus, kControl; -1 for ground
    uint8_t mask;        // the register bit; 0 for ground
    bool inverted;       // shows the high colour when the bit is 0 (the level at the pin)
    bool clickable;      // data and control pins
};

const std::array<PinInfo, 25>& pins();
const PinInfo& pinInfo(int pin);
// "Pin 2 D0 Output", "Pin 13 S4 Input", "Pin 1 /C0 Output", "Pin 25 Gnd".
std::string pinHint(const PinInfo& pin);
// True when the pin shows the high colour for the register value.
bool pinIsHigh(const PinInfo& pin, uint8_t registerValue);
// A clickable pin's tag: register offset in the upper 16 bits, bit mask in the lower 8.
uint32_t pinTag(const PinInfo& pin);
// Where the pin is drawn: row 0 (pins 1 to 13) or 1 (14 to 25), and its place from the left.
// Female shows pin 1 at the right end of the top row; male mirrors the picture.
int pinRow(int pin);
int pinColumn(int pin, bool male);

struct NamedColour {
    const char* name;
    uint32_t rgb;  // the stored colour reference: red in the low byte, blue in the high byte
};
const std::array<NamedColour, 18>& colourList();
constexpr uint32_t colourRef(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b) << 16;
}
inline constexpr uint32_t kDefaultHighColour = colourRef(255, 0, 0);
inline constexpr uint32_t kDefaultLowColour = colourRef(0, 255, 0);
inline constexpr uint32_t kDisabledColour = colourRef(128, 128, 128);
// The first entry with that colour, or -1.
int colourIndex(uint32_t rgb);

const std::array<const char*, 10>& sampleRates();
// The item's period in milliseconds (the number before its first blank, times 1000, rounded);
// 0 for "As fast as possible" (sampling whenever the program is idle).
int samplePeriodMs(int index);

}  // namespace portscope
