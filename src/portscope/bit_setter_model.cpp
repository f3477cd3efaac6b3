// Set-ups of the bit setter and its cell texts.
#include "portscope/bit_setter_model.h"

namespace portscope {

const BitSetterSetup& bitSetterSetup(int offset) {
    static const std::array<BitSetterSetup, 3> setups = {{
        {"Bit Setter - Data Port",
         255,
         0,
         {"D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7"},
         {"2", "3", "4", "5", "6", "7", "8", "9"}},
        {"Bit Setter - Status Port",
         248,
         128,
         {"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7"},
         {"N/A", "N/A", "N/A", "15", "13", "12", "10", "11"}},
        {"Bit Setter - Control Port",
         15,
         11,
         {"C0", "C1", "C2", "C3", "C4", "C5", "C6", "C7"},
         {"1", "14", "16", "17", "N/A", "N/A", "N/A", "N/A"}},
    }};
    return setups.at(static_cast<size_t>(offset < 0 || offset > 2 ? 0 : offset));
}

std::array<BitSetterRow, 8> bitSetterRows(const BitSetterSetup& setup, uint8_t value) {
    std::array<BitSetterRow, 8> rows;
    for (int i = 0; i < 8; ++i) {
        const unsigned mask = 1u << i;
        const bool level = ((value ^ setup.inversionMask) & mask) != 0;
        rows[static_cast<size_t>(i)] = {std::to_string(i), setup.functions[static_cast<size_t>(i)],
                                        (value & mask) ? "1" : "0",
                                        setup.pins[static_cast<size_t>(i)],
                                        !(setup.validMask & mask) ? "N/A"
                                        : level                   ? "High"
                                                                  : "Low"};
    }
    return rows;
}

}  // namespace portscope
