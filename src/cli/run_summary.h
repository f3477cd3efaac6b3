// The first line of every run's summary on stdout (run on a port, run --controller, script run):
// how it ended, its figures and the time it took, said the same way by each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/monotonic_clock.h"

namespace corvane::cli {

// "<ended>: <figures>, <seconds> s elapsed<after>", the seconds to three decimals.
std::string summaryLine(std::string_view ended, std::string_view figures, double seconds,
                        std::string_view after = {});
// "Cut complete", "Cut stopped" or "Cut failed".
const char* cutEndedText(bool completed, bool stopped);
// Seconds as the summaries give them: three decimals.
std::string secondsText(double seconds);
// A span of the clock's counts in seconds.
double countsToSeconds(int64_t counts, MonotonicClock& clock);

}  // namespace corvane::cli
