// The bit setter's three register set-ups and the texts of its eight rows for a register
// value, so the window only copies the texts that changed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace portscope {

struct BitSetterSetup {
    const char* caption;                   // "Bit Setter - Data Port"
    uint8_t validMask;                     // bits that reach a pin
    uint8_t inversionMask;                 // bits whose pin level is the inverse of the bit
    std::array<const char*, 8> functions;  // "D0" ...
    std::array<const char*, 8> pins;       // "2" ... or "N/A"
};

// For offset 0 (data), 1 (status), 2 (control).
const BitSetterSetup& bitSetterSetup(int offset);

// Columns "Bit", "Function", "Bit State", "Pin", "Pin State".
inline constexpr std::array<const char*, 5> kBitSetterHeaders = {"Bit", "Function", "Bit State",
                                                                 "Pin", "Pin State"};
using BitSetterRow = std::array<std::string, 5>;
// Row i is bit i (bit 0 at the top).
std::array<BitSetterRow, 8> bitSetterRows(const BitSetterSetup& setup, uint8_t value);

}  // namespace portscope
