#include "manual/manual_mover.h"

#include "machine/motion_priority.h"
#include "machine/step_output.h"
#include "machine/workspace.h"

namespace corvane {

namespace {

// Clears the moving mark however the loop is left (a port failure throws out of StepPulse).
class MovingScope {
public:
    explicit MovingScope(bool& moving) : moving_(moving) { moving_ = true; }
    ~MovingScope() { moving_ = false; }
    MovingScope(const MovingScope&) = delete;
    MovingScope& operator=(const MovingScope&) = delete;

private:
    bool& moving_;
};

}  // namespace

bool jogSpeedIsZero(const Workspace& ws) {
    return ws.motion.JogSpeed.raw() <= 0;
}

bool ManualMover::speedIsZero(const Workspace& ws) const {
    return jogSpeedIsZero(ws);
}

void ManualMover::tick(Workspace& ws, uint8_t portByte) {
    StepPulse(ws, portByte, ws.motion.JogSpeed);
    ++stepsSent_;
}

MoveOutcome ManualMover::distanceMove(Workspace& ws, uint8_t portByte, int32_t steps) {
    if (moving_) return MoveOutcome::Ignored;
    MovingScope scope(moving_);
    const MotionPriority priority(ws);
    stopFlag_ = 0;
    stepsSent_ = 0;
    restartTickSchedule(ws.motion);  // a new move keeps a schedule of its own
    if (steps > 0 && speedIsZero(ws)) return MoveOutcome::SpeedZero;
    ClearStepBits(ws);
    for (int32_t i = 1; i <= steps; ++i) {
        // The slider runs nested between ticks: a speed of 0 ends the move here, never
        // inside the step-time division.
        if (speedIsZero(ws)) return MoveOutcome::SpeedZero;
        tick(ws, portByte);
        ws.yield();
        if (stopFlag_ == 1) return i == steps ? MoveOutcome::Completed : MoveOutcome::Stopped;
    }
    return MoveOutcome::Completed;
}

MoveOutcome ManualMover::continuousMove(Workspace& ws, uint8_t portByte) {
    if (moving_) return MoveOutcome::Ignored;
    MovingScope scope(moving_);
    const MotionPriority priority(ws);
    stopFlag_ = 0;
    stepsSent_ = 0;
    restartTickSchedule(ws.motion);  // a new move keeps a schedule of its own
    if (speedIsZero(ws)) return MoveOutcome::SpeedZero;
    ClearStepBits(ws);
    do {
        ws.yield();
        if (speedIsZero(ws)) return MoveOutcome::SpeedZero;
        tick(ws, portByte);
    } while (stopFlag_ == 0);
    return MoveOutcome::Stopped;
}

MoveOutcome ManualMover::runPlan(Workspace& ws, const std::vector<uint8_t>& plan) {
    if (moving_) return MoveOutcome::Ignored;
    MovingScope scope(moving_);
    const MotionPriority priority(ws);
    stopFlag_ = 0;
    stepsSent_ = 0;
    restartTickSchedule(ws.motion);  // a new move keeps a schedule of its own
    if (!plan.empty() && speedIsZero(ws)) return MoveOutcome::SpeedZero;
    ClearStepBits(ws);
    const size_t ticks = plan.size();
    for (size_t i = 0; i < ticks; ++i) {
        ws.yield();
        if (speedIsZero(ws)) return MoveOutcome::SpeedZero;
        tick(ws, plan[i]);
        if (stopFlag_ == 1) return i + 1 == ticks ? MoveOutcome::Completed : MoveOutcome::Stopped;
    }
    return MoveOutcome::Completed;
}

}  // namespace corvane
