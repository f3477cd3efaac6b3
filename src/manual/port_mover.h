// The jog and return moves on a port: tick loops through StepPulse at JogSpeed with one yield
// and one stop-flag test per tick.
#pragma once

#include "manual/machine_mover.h"

namespace corvane {

class PortMover final : public MachineMover {
public:
    MoveOutcome distanceMove(Workspace& ws, MoveState& state, uint8_t portByte,
                             int32_t steps) override;
    MoveOutcome continuousMove(Workspace& ws, MoveState& state, uint8_t portByte) override;
    MoveOutcome runPlan(Workspace& ws, MoveState& state, const std::vector<uint8_t>& plan) override;
};

}  // namespace corvane
