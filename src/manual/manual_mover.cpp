#include "manual/manual_mover.h"

#include <cmath>
#include <cstdlib>

#include "machine/controller_connection.h"
#include "machine/motion_priority.h"
#include "machine/motion_stamp.h"
#include "machine/position.h"
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

MoveOutcome ManualMover::controllerMove(Workspace& ws, const std::array<int64_t, 4>& steps,
                                        bool continuous) {
    if (moving_) return MoveOutcome::Ignored;
    MovingScope scope(moving_);
    stopFlag_ = 0;
    stepsSent_ = 0;
    controllerError_.clear();
    if (speedIsZero(ws)) return MoveOutcome::SpeedZero;
    const double stepsPerMm = ws.settings.derived.StepsPerMm;
    std::array<double, 4> mm{};
    std::array<int, 4> directions{};
    bool any = false;
    for (std::size_t a = 0; a < 4; ++a) {
        mm[a] = static_cast<double>(steps[a]) / stepsPerMm;
        directions[a] = steps[a] > 0 ? 1 : steps[a] < 0 ? -1 : 0;
        any = any || steps[a] != 0;
    }
    if (!any) return MoveOutcome::Completed;
    const double feed = ws.motion.JogSpeed.toDouble() * 60;
    const auto stop = [this] { return stopFlag_ != 0; };
    const ControllerJog jog = continuous
                                  ? ws.controller->continuousJog(directions, feed, stop, ws.yield)
                                  : ws.controller->jog(mm, feed, stop, ws.yield);
    if (jog.positionLost) {
        // Where the machine went is not known: nothing may be planned from the count.
        ws.position.HomeSet = false;
        ws.setStatus(1, positionStatusText(ws.position));
    }
    if (!jog.error.empty()) {
        controllerError_ = jog.error;
        ws.setStatus(2, jog.positionLost ? jog.error + " " + kControllerPositionLost : jog.error);
        return MoveOutcome::Stopped;
    }
    if (jog.positionLost) {
        ws.setStatus(2, kControllerPositionLost);
        return MoveOutcome::Stopped;
    }
    double most = 0;
    for (double m : jog.moved) most = std::max(most, std::fabs(m));
    stepsSent_ = static_cast<int32_t>(std::lround(most * stepsPerMm));
    if (ws.position.HomeSet) {
        AxisPosition& p = ws.position.Position;
        p.X1 = static_cast<float>(p.X1 + jog.moved[0]);
        p.Y1 = static_cast<float>(p.Y1 + jog.moved[1]);
        p.X2 = static_cast<float>(p.X2 + jog.moved[2]);
        p.Y2 = static_cast<float>(p.Y2 + jog.moved[3]);
    }
    ws.setStatus(1, positionStatusText(ws.position));
    return jog.cancelled || continuous ? MoveOutcome::Stopped : MoveOutcome::Completed;
}

MoveOutcome ManualMover::distanceMove(Workspace& ws, uint8_t portByte, int32_t steps) {
    if (ws.controller != nullptr) {
        std::array<int64_t, 4> move = byteSteps(ws, portByte);
        for (int64_t& s : move) s *= std::max(steps, 0);
        return controllerMove(ws, move, false);
    }
    if (moving_) return MoveOutcome::Ignored;
    MovingScope scope(moving_);
    markMotion(ws, "a jog");  // a stopped cut learns the carriages moved
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
    if (ws.controller != nullptr) return controllerMove(ws, byteSteps(ws, portByte), true);
    if (moving_) return MoveOutcome::Ignored;
    MovingScope scope(moving_);
    markMotion(ws, "a jog");  // a stopped cut learns the carriages moved
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
    if (ws.controller != nullptr) {
        // The plan's steps summed per axis: the same straight move, the controller's to time.
        std::array<int64_t, 4> total{};
        for (uint8_t byte : plan) {
            const std::array<int64_t, 4> s = byteSteps(ws, byte);
            for (std::size_t a = 0; a < 4; ++a) total[a] += s[a];
        }
        return controllerMove(ws, total, false);
    }
    if (moving_) return MoveOutcome::Ignored;
    MovingScope scope(moving_);
    markMotion(ws, "a return move");  // a stopped cut learns the carriages moved
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
