#include "manual/manual_mover.h"

#include "common/scoped_flag.h"
#include "machine/workspace.h"

namespace corvane {

MachineMover& ManualMover::moverFor(const Workspace& ws) {
    if (ws.controller != nullptr) return controller_;
    return port_;
}

MoveOutcome ManualMover::distanceMove(Workspace& ws, uint8_t portByte, int32_t steps) {
    if (state_.moving) return MoveOutcome::Ignored;
    const ScopedFlag moving(state_.moving);
    state_.stopFlag = 0;
    state_.stepsSent = 0;
    return moverFor(ws).distanceMove(ws, state_, portByte, steps);
}

MoveOutcome ManualMover::continuousMove(Workspace& ws, uint8_t portByte) {
    if (state_.moving) return MoveOutcome::Ignored;
    const ScopedFlag moving(state_.moving);
    state_.stopFlag = 0;
    state_.stepsSent = 0;
    return moverFor(ws).continuousMove(ws, state_, portByte);
}

MoveOutcome ManualMover::runPlan(Workspace& ws, const std::vector<uint8_t>& plan) {
    if (state_.moving) return MoveOutcome::Ignored;
    const ScopedFlag moving(state_.moving);
    state_.stopFlag = 0;
    state_.stepsSent = 0;
    return moverFor(ws).runPlan(ws, state_, plan);
}

}  // namespace corvane
