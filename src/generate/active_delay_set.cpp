// Rebuilding the active delay-point set from the working count file.
#include "generate/active_delay_set.h"

#include <charconv>

#include "common/file_io.h"
#include "common/fixed_point.h"
#include "common/run_error.h"

namespace corvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// One entry: a number, blanks around it allowed; whole numbers come out as they are, others
// round half to even like any whole-number conversion.
bool parseEntry(std::string_view line, int32_t& value) {
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
    if (!line.empty() && line.front() == '+') line.remove_prefix(1);
    if (line.empty()) return false;
    long long whole = 0;
    auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), whole);
    if (ec == std::errc() && end == line.data() + line.size()) {
        if (whole < INT32_MIN || whole > INT32_MAX) throw RunError(ErrorNumber::Overflow);
        value = static_cast<int32_t>(whole);
        return true;
    }
    double number = 0;
    auto [dend, dec] = std::from_chars(line.data(), line.data() + line.size(), number);
    if (dec != std::errc() || dend != line.data() + line.size()) return false;
    value = toInt32(number);
    return true;
}

}  // namespace

std::string delayStatusText(int count) {
    return std::to_string(count) + kDelayStatusSuffix;
}

void showDelayStatus(Workspace& ws) {
    ws.setStatus(3, delayStatusText(ws.delays.ActiveDelayPointCount));
}

std::vector<int32_t> readCountEntries(std::string_view bytes, std::vector<int32_t>* validPrefix) {
    std::vector<int32_t> entries;
    // Trailing blank lines carry no entry.
    while (!bytes.empty() && (isBlank(bytes.back()) || bytes.back() == '\n'))
        bytes.remove_suffix(1);
    std::size_t lineNo = 0;
    while (!bytes.empty()) {
        ++lineNo;
        std::size_t nl = bytes.find('\n');
        std::string_view line = bytes.substr(0, nl);
        bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        int32_t value = 0;
        bool ok = false;
        try {
            ok = parseEntry(line, value);
        } catch (const RunError&) {
            if (validPrefix) *validPrefix = entries;
            throw;
        }
        if (!ok) {
            if (validPrefix) *validPrefix = entries;
            throw RunError(ErrorNumber::TypeMismatch,
                           "line " + std::to_string(lineNo) + " is not a number");
        }
        entries.push_back(value);
    }
    return entries;
}

ActiveDelaySet delaySetFromCountEntries(const std::vector<int32_t>& entries) {
    ActiveDelaySet set;
    int segments = 0;
    for (int32_t entry : entries) {
        if (entry != 0) {
            ++segments;
        } else {
            set.ActiveDelayPoints.push_back(segments);
        }
    }
    set.ActiveDelayPointCount = static_cast<int>(set.ActiveDelayPoints.size());
    return set;
}

void rebuildActiveDelayPoints(Workspace& ws) {
    ws.delays.ActiveDelayPointCount = 0;
    std::vector<int32_t> prefix;
    try {
        std::string bytes = readFileBytes(ws.file("cut_cnt.ct2"));
        ws.delays = delaySetFromCountEntries(readCountEntries(bytes, &prefix));
    } catch (const RunError&) {
        // Keep what was read before the fault, as a consistent set.
        ws.delays = delaySetFromCountEntries(prefix);
        showDelayStatus(ws);
        throw;
    }
    showDelayStatus(ws);
}

std::string rebuildActiveDelayPointsReported(Workspace& ws) {
    try {
        rebuildActiveDelayPoints(ws);
        return {};
    } catch (const RunError& e) {
        return errorReportText(e, kDelayRebuildLabel);
    }
}

}  // namespace corvane
