// Fuzz target: waypoint.txt as the program loads it on start and the waypoint window reads it.
#include <cstddef>
#include <cstdint>

#include "common/run_error.h"
#include "fuzz_support.h"
#include "machine/position.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto path = fuzz::scratchFile("waypoint.txt", fuzz::bytesOf(data, size));
    PositionState state;
    try {
        loadWaypoints(path, state);
    } catch (const RunError&) {
    }
    (void)waypointDisplayText(1, state.WayPoint1);
    (void)waypointDisplayText(2, state.WayPoint2);
    return 0;
}
