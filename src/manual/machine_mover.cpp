#include "manual/machine_mover.h"

#include "machine/position.h"
#include "machine/workspace.h"

namespace corvane {

bool jogSpeedIsZero(const Workspace& ws) {
    return ws.motion.JogSpeed.raw() <= 0;
}

std::array<int64_t, 4> byteSteps(const Workspace& ws, uint8_t portByte) {
    PositionState scratch;
    scratch.HomeSet = true;
    applyStepByte(scratch, ws.settings.derived, portByte);
    const float moved[4] = {scratch.Position.X1, scratch.Position.Y1, scratch.Position.X2,
                            scratch.Position.Y2};
    std::array<int64_t, 4> steps{};
    for (std::size_t a = 0; a < 4; ++a) steps[a] = moved[a] > 0 ? 1 : moved[a] < 0 ? -1 : 0;
    return steps;
}

}  // namespace corvane
