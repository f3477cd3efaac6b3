// The real clock: CLOCK_MONOTONIC in nanoseconds, and absolute sleeps on the same clock.
#include "platform/monotonic_clock.h"

#include <time.h>

#include <cerrno>

namespace corvane {

int64_t RealClock::now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void RealClock::sleepUntil(int64_t count) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(count / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(count % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace corvane
