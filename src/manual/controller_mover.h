// The jog and return moves on a controller: one jog ($J=) each, the steps per axis X1 Y1 X2 Y2
// (back and up positive), or for a continuous move the directions to jog in, short jogs renewed
// until the stop flag ends them. The counted position follows what the controller reports it
// moved; a line lost while it moved clears the home flag.
#pragma once

#include <array>

#include "manual/machine_mover.h"

namespace corvane {

class ControllerMover final : public MachineMover {
public:
    MoveOutcome distanceMove(Workspace& ws, MoveState& state, uint8_t portByte,
                             int32_t steps) override;
    MoveOutcome continuousMove(Workspace& ws, MoveState& state, uint8_t portByte) override;
    MoveOutcome runPlan(Workspace& ws, MoveState& state, const std::vector<uint8_t>& plan) override;

private:
    MoveOutcome jog(Workspace& ws, MoveState& state, const std::array<int64_t, 4>& steps,
                    bool continuous);
};

}  // namespace corvane
