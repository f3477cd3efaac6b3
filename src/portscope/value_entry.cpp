// The three entry rules; every one keeps the low 8 bits of what it read.
#include "portscope/value_entry.h"

#include <cstdio>

namespace portscope {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

EntryResult decimal(std::string_view text) {
    size_t i = 0, end = text.size();
    while (i < end && isBlank(text[i])) ++i;
    while (end > i && isBlank(text[end - 1])) --end;
    const std::string_view core = text.substr(i, end - i);
    size_t k = 0;
    bool negative = false;
    if (k < core.size() && (core[k] == '+' || core[k] == '-')) negative = core[k++] == '-';
    // A whole 32-bit integer, as the platform's own conversion takes it.
    int64_t value = 0;
    bool ok = k < core.size();
    for (; ok && k < core.size(); ++k) {
        if (core[k] < '0' || core[k] > '9')
            ok = false;
        else
            value = value * 10 + (core[k] - '0');
        if (value > 2147483648LL) ok = false;
    }
    if (ok && !negative && value > 2147483647LL) ok = false;
    if (!ok) return {std::nullopt, "'" + std::string(text) + "' is not a valid integer value"};
    const int64_t signedValue = negative ? -value : value;
    return {static_cast<uint8_t>(static_cast<uint64_t>(signedValue) & 0xFF), {}};
}

EntryResult hexadecimal(std::string_view text) {
    // No hex digit to start with (empty, blanks, garbage): nothing is written, as for an empty
    // binary entry, rather than a 0 nobody typed.
    unsigned value = 0;
    bool digits = false;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) break;
        digits = true;
        value = (value << 4) | static_cast<unsigned>(digit);
    }
    if (!digits) return {};
    return {static_cast<uint8_t>(value & 0xFF), {}};
}

EntryResult binary(std::string_view text) {
    if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
    unsigned value = 0;
    const size_t n = text.size();
    // Places beyond the eighth add nothing to the low byte.
    for (size_t k = 0; k < n && k < 8; ++k)
        if (text[n - 1 - k] == '1') value |= 1u << k;
    return {static_cast<uint8_t>(value), {}};
}

}  // namespace

EntryResult parseEntry(ValueColumn column, std::string_view text) {
    switch (column) {
        case ValueColumn::Dec:
            return decimal(text);
        case ValueColumn::Hex:
            return hexadecimal(text);
        case ValueColumn::Bin:
            break;
    }
    return binary(text);
}

std::string decText(uint8_t v) {
    return std::to_string(v);
}

std::string hexText(uint8_t v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(v));
    return buf;
}

std::string binText(uint8_t v) {
    std::string s(8, '0');
    for (int k = 0; k < 8; ++k)
        if ((v >> k) & 1) s[7 - k] = '1';
    return s;
}

std::string addressText(uint16_t address) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03X", static_cast<unsigned>(address));
    return buf;
}

}  // namespace portscope
