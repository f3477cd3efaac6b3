// The interface of the jog and return moves on one kind of connection (the port's tick loops,
// a controller's jogs), and what a move shares with the window that started it.
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

// A window's move as the handlers nested in `yield` see it. The mover has cleared the stop
// flag and the steps sent and set `moving` before a kind's move runs.
struct MoveState {
    int16_t stopFlag = 0;
    bool moving = false;
    int32_t stepsSent = 0;
    std::string controllerError;  // why the last move on a controller did not run
};

class MachineMover {
public:
    virtual ~MachineMover() = default;
    virtual MoveOutcome distanceMove(Workspace& ws, MoveState& state, uint8_t portByte,
                                     int32_t steps) = 0;
    virtual MoveOutcome continuousMove(Workspace& ws, MoveState& state, uint8_t portByte) = 0;
    virtual MoveOutcome runPlan(Workspace& ws, MoveState& state,
                                const std::vector<uint8_t>& plan) = 0;
};

// The steps a port byte makes on X1 Y1 X2 Y2: +1 back or up, -1 forward or down, 0 none.
std::array<int64_t, 4> byteSteps(const Workspace& ws, uint8_t portByte);

// True when JogSpeed is 0, so a move must be refused with kJogSpeedZeroMessage.
bool jogSpeedIsZero(const Workspace& ws);

}  // namespace corvane
