// The moves of the jog and return windows: a distance move, a continuous move and a run of the
// move plan. One ManualMover per window holds that window's stop flag and moving mark and hands
// each move to the mover of the machine's kind of connection: the port's tick loops
// (PortMover) or the controller's jogs (ControllerMover), chosen in one place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "manual/controller_mover.h"
#include "manual/machine_mover.h"
#include "manual/port_mover.h"

namespace corvane {

class Workspace;

class ManualMover {
public:
    // Sets the stop flag; the running move, if any, ends at its next test.
    void requestStop() { state_.stopFlag = 1; }
    // Before a move that runs outside the mover (the controller's homing cycle).
    void clearStop() { state_.stopFlag = 0; }
    int16_t stopFlag() const { return state_.stopFlag; }
    bool moving() const { return state_.moving; }

    // Distance move: `steps` ticks of `portByte` (none when steps <= 0).
    [[nodiscard]] MoveOutcome distanceMove(Workspace& ws, uint8_t portByte, int32_t steps);
    // Continuous move: ticks of `portByte` until the stop flag is set, at least one.
    [[nodiscard]] MoveOutcome continuousMove(Workspace& ws, uint8_t portByte);
    // Plays `plan` from tick 1 (the caller passes a copy of Workspace::movePlan, so a plan
    // replaced during the run cannot pull the bytes away under the loop).
    [[nodiscard]] MoveOutcome runPlan(Workspace& ws, const std::vector<uint8_t>& plan);

    // Steps sent by the running (or last) move.
    int32_t stepsSent() const { return state_.stepsSent; }
    // Why the last move on a controller did not run (empty when it did).
    const std::string& controllerError() const { return state_.controllerError; }

private:
    // The one choice of kind, made afresh for every move: the operator may pick or drop a
    // controller while the window stays open.
    MachineMover& moverFor(const Workspace& ws);

    MoveState state_;
    PortMover port_;
    ControllerMover controller_;
};

}  // namespace corvane
