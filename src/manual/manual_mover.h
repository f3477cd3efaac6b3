// The tick loops of the jog and return windows: a distance move, a continuous move and a run
// of the move plan, each through StepPulse at JogSpeed with one yield and one stop-flag test
// per tick. One mover per window holds that window's stop flag.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

class Workspace;

// Shown instead of moving while JogSpeed is 0 (the slider at its left end).
inline constexpr const char* kJogSpeedZeroMessage =
    "The speed is 0 mm/s. Move the speed slider above 0 before moving.";

enum class MoveOutcome {
    Completed,  // every step of the distance or plan was sent
    Stopped,    // the stop flag ended the move (a continuous move always ends this way)
    Ignored,    // a move of the same window was already running: nothing was done
    SpeedZero,  // JogSpeed was 0 before a step: the move ended (or never started) there
};

class ManualMover {
public:
    // Sets the stop flag; the running move, if any, ends at its next test.
    void requestStop() { stopFlag_ = 1; }
    // Before a move that runs outside the mover (the controller's homing cycle).
    void clearStop() { stopFlag_ = 0; }
    int16_t stopFlag() const { return stopFlag_; }
    bool moving() const { return moving_; }

    // Distance move: `steps` ticks of `portByte` (none when steps <= 0).
    [[nodiscard]] MoveOutcome distanceMove(Workspace& ws, uint8_t portByte, int32_t steps);
    // Continuous move: ticks of `portByte` until the stop flag is set, at least one.
    [[nodiscard]] MoveOutcome continuousMove(Workspace& ws, uint8_t portByte);
    // Plays `plan` from tick 1 (the caller passes a copy of Workspace::movePlan, so a plan
    // replaced during the run cannot pull the bytes away under the loop).
    [[nodiscard]] MoveOutcome runPlan(Workspace& ws, const std::vector<uint8_t>& plan);

    // Steps sent by the running (or last) move.
    int32_t stepsSent() const { return stepsSent_; }
    // Why the last move on a controller did not run (empty when it did).
    const std::string& controllerError() const { return controllerError_; }

private:
    // On a controller the same moves are one jog ($J=) each: `steps` per axis X1 Y1 X2 Y2 (back
    // and up positive), or for a continuous move the directions to jog in, short jogs renewed
    // until the stop flag ends them. The counted position follows what the controller reports
    // it moved; a line lost while it moved clears the home flag.
    [[nodiscard]] MoveOutcome controllerMove(Workspace& ws, const std::array<int64_t, 4>& steps,
                                             bool continuous);
    [[nodiscard]] bool begin(Workspace& ws);
    bool speedIsZero(const Workspace& ws) const;
    void tick(Workspace& ws, uint8_t portByte);

    int16_t stopFlag_ = 0;
    bool moving_ = false;
    int32_t stepsSent_ = 0;
    std::string controllerError_;
};

// The steps a port byte makes on X1 Y1 X2 Y2: +1 back or up, -1 forward or down, 0 none.
std::array<int64_t, 4> byteSteps(const Workspace& ws, uint8_t portByte);

// True when JogSpeed is 0, so a move must be refused with kJogSpeedZeroMessage.
bool jogSpeedIsZero(const Workspace& ws);

}  // namespace corvane
