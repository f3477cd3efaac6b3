#include "manual/controller_mover.h"

#include <algorithm>
#include <cmath>

#include "machine/controller_connection.h"
#include "machine/position.h"
#include "machine/workspace.h"

namespace corvane {

MoveOutcome ControllerMover::distanceMove(Workspace& ws, MoveState& state, uint8_t portByte,
                                          int32_t steps) {
    std::array<int64_t, 4> move = byteSteps(ws, portByte);
    for (int64_t& s : move) s *= std::max(steps, 0);
    return jog(ws, state, move, false);
}

MoveOutcome ControllerMover::continuousMove(Workspace& ws, MoveState& state, uint8_t portByte) {
    return jog(ws, state, byteSteps(ws, portByte), true);
}

MoveOutcome ControllerMover::runPlan(Workspace& ws, MoveState& state,
                                     const std::vector<uint8_t>& plan) {
    // The plan's steps summed per axis: the same straight move, the controller's to time.
    std::array<int64_t, 4> total{};
    for (uint8_t byte : plan) {
        const std::array<int64_t, 4> s = byteSteps(ws, byte);
        for (std::size_t a = 0; a < 4; ++a) total[a] += s[a];
    }
    return jog(ws, state, total, false);
}

MoveOutcome ControllerMover::jog(Workspace& ws, MoveState& state,
                                 const std::array<int64_t, 4>& steps, bool continuous) {
    state.controllerError.clear();
    if (jogSpeedIsZero(ws)) return MoveOutcome::SpeedZero;
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
    const auto stop = [&state] { return state.stopFlag != 0; };
    const ControllerJog jog = continuous
                                  ? ws.controller->continuousJog(directions, feed, stop, ws.yield)
                                  : ws.controller->jog(mm, feed, stop, ws.yield);
    if (jog.positionLost) {
        // Where the machine went is not known: nothing may be planned from the count.
        ws.position.HomeSet = false;
        ws.setStatus(1, positionStatusText(ws.position));
    }
    if (!jog.error.empty()) {
        state.controllerError = jog.error;
        ws.setStatus(2, jog.positionLost ? jog.error + " " + kControllerPositionLost : jog.error);
        return MoveOutcome::Stopped;
    }
    if (jog.positionLost) {
        ws.setStatus(2, kControllerPositionLost);
        return MoveOutcome::Stopped;
    }
    double most = 0;
    for (double m : jog.moved) most = std::max(most, std::fabs(m));
    state.stepsSent = static_cast<int32_t>(std::lround(most * stepsPerMm));
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

}  // namespace corvane
