// What a value typed over a register cell writes: decimal, hexadecimal and binary rules, each
// giving the low 8 bits, or nothing when the text cannot be written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace portscope {

enum class ValueColumn { Dec, Hex, Bin };

struct [[nodiscard]] EntryResult {
    std::optional<uint8_t> value;  // nothing to write when empty
    std::string error;             // the conversion error to show (decimal only)
};

// Decimal: a whole integer (blanks around it allowed), else the conversion error
// "'<text>' is not a valid integer value". Hex: digits up to the first other character.
// Binary: 2^k for every "1" k places from the right end; a blank entry writes nothing.
EntryResult parseEntry(ValueColumn column, std::string_view text);

// The cell texts: "44", "2C", "00101100".
std::string decText(uint8_t v);
std::string hexText(uint8_t v);
std::string binText(uint8_t v);
// An address as 3 hex digits: "378", "3BC".
std::string addressText(uint16_t address);

}  // namespace portscope
