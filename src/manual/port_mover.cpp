#include "manual/port_mover.h"

#include "machine/motion_priority.h"
#include "machine/motion_stamp.h"
#include "machine/step_output.h"
#include "machine/workspace.h"

namespace corvane {

namespace {

void tick(Workspace& ws, MoveState& state, uint8_t portByte) {
    StepPulse(ws, portByte, ws.motion.JogSpeed);
    ++state.stepsSent;
}

}  // namespace

MoveOutcome PortMover::distanceMove(Workspace& ws, MoveState& state, uint8_t portByte,
                                    int32_t steps) {
    markMotion(ws, "a jog");  // a stopped cut learns the carriages moved
    const MotionPriority priority(ws);
    restartTickSchedule(ws.motion);  // a new move keeps a schedule of its own
    if (steps > 0 && jogSpeedIsZero(ws)) return MoveOutcome::SpeedZero;
    ClearStepBits(ws);
    for (int32_t i = 1; i <= steps; ++i) {
        // The slider runs nested between ticks: a speed of 0 ends the move here, never
        // inside the step-time division.
        if (jogSpeedIsZero(ws)) return MoveOutcome::SpeedZero;
        tick(ws, state, portByte);
        ws.yield();
        if (state.stopFlag == 1) return i == steps ? MoveOutcome::Completed : MoveOutcome::Stopped;
    }
    return MoveOutcome::Completed;
}

MoveOutcome PortMover::continuousMove(Workspace& ws, MoveState& state, uint8_t portByte) {
    markMotion(ws, "a jog");  // a stopped cut learns the carriages moved
    const MotionPriority priority(ws);
    restartTickSchedule(ws.motion);  // a new move keeps a schedule of its own
    if (jogSpeedIsZero(ws)) return MoveOutcome::SpeedZero;
    ClearStepBits(ws);
    do {
        ws.yield();
        if (jogSpeedIsZero(ws)) return MoveOutcome::SpeedZero;
        tick(ws, state, portByte);
    } while (state.stopFlag == 0);
    return MoveOutcome::Stopped;
}

MoveOutcome PortMover::runPlan(Workspace& ws, MoveState& state, const std::vector<uint8_t>& plan) {
    markMotion(ws, "a return move");  // a stopped cut learns the carriages moved
    const MotionPriority priority(ws);
    restartTickSchedule(ws.motion);  // a new move keeps a schedule of its own
    if (!plan.empty() && jogSpeedIsZero(ws)) return MoveOutcome::SpeedZero;
    ClearStepBits(ws);
    const size_t ticks = plan.size();
    for (size_t i = 0; i < ticks; ++i) {
        ws.yield();
        if (jogSpeedIsZero(ws)) return MoveOutcome::SpeedZero;
        tick(ws, state, plan[i]);
        if (state.stopFlag == 1)
            return i + 1 == ticks ? MoveOutcome::Completed : MoveOutcome::Stopped;
    }
    return MoveOutcome::Completed;
}

}  // namespace corvane
