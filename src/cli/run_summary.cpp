#include "cli/run_summary.h"

#include <cstdio>

namespace corvane::cli {

std::string summaryLine(std::string_view ended, std::string_view figures, double seconds,
                        std::string_view after) {
    std::string line(ended);
    line += ": ";
    line += figures;
    line += ", " + secondsText(seconds) + " s elapsed";
    line += after;
    return line;
}

const char* cutEndedText(bool completed, bool stopped) {
    return completed ? "Cut complete" : stopped ? "Cut stopped" : "Cut failed";
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

double countsToSeconds(int64_t counts, MonotonicClock& clock) {
    return static_cast<double>(counts) / static_cast<double>(clock.frequency());
}

}  // namespace corvane::cli
