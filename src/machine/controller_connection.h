// A machine reached through a controller (a GRBL-family board on a serial line) instead of a
// port: the windows and commands that move the machine ask the workspace for it and, when one
// is chosen, stream to it rather than tick a port. Declared here, below the windows, so that
// every window can reach it; the controller layer implements it.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/fixed_point.h"

namespace corvane {

// What the operator's controls ask of a running controller cut; the handlers that run nested
// in `yield` set them, the stream reads them between two turns.
struct ControllerControls {
    bool stop = false;
    bool hold = false;
    int feedPercent = 100;  // the slider's speed over the speed the stream was planned at
};

// What a controller cut shows while it runs.
struct ControllerProgress {
    std::size_t acknowledged = 0;  // lines answered
    std::size_t executed = 0;      // lines the machine has done (what Percent Complete shows)
    int segmentsDone = 0;          // profile segments it has cut (the count file's order)
    std::size_t total = 0;
    int line = 0;                      // program line the machine executes
    std::string state;                 // "Run", "Hold:0", ...
    std::array<double, 4> position{};  // machine position X Y Z A (X1 Y1 X2 Y2), mm
    double feed = 0;                   // mm/min
    int feedOverride = 100;
    bool wireKnown = false;  // the controller has reported its outputs since connecting
    bool wireOn = false;     // as it last reported them
};

struct [[nodiscard]] ControllerCutResult {
    bool completed = false;
    bool stopped = false;
    std::string message;  // why it ended when it did not complete (error:N, ALARM, a lost line)
    std::string finalState;
    // How far the machine went from where the cut began (X1 Y1 X2 Y2, mm) by the controller's
    // reports; nullopt when it cannot be known (the line went while it moved).
    std::optional<std::array<double, 4>> moved;
    bool positionLost = false;  // it streamed, and where the machine went is not known
    bool wireKnown = false;     // the wire as last reported
    bool wireOn = false;
};

// How a jog on the controller ended.
struct [[nodiscard]] ControllerJog {
    std::string error;              // why it did not run (alarm, error:N, a lost line)
    bool cancelled = false;         // the stop flag ended it (jog cancel)
    std::array<double, 4> moved{};  // X1 Y1 X2 Y2 as the status reports saw it, mm
    bool positionLost = false;      // the line went while it moved: `moved` is not known
};

// The status bar's word when the counted position is gone.
inline constexpr const char* kControllerPositionLost =
    "The position is not known: the controller was lost while the machine moved. Set Home "
    "again before a return or waypoint move.";

class ControllerConnection {
public:
    virtual ~ControllerConnection() = default;
    // "grbl:/dev/ttyUSB0@115200"
    virtual std::string describe() const = 0;
    // Streams the working cut-file set at `speed` with delay points of `pauseMs`, the wire
    // switched on for the cut when `wire`. Connects first when not connected; the refusals
    // (no controller, steps/mm mismatch, an alarm) come back as the result's message.
    virtual ControllerCutResult runCut(
        Fixed4 speed, double pauseMs, bool wire, ControllerControls& controls,
        const std::function<void()>& yield,
        const std::function<void(const ControllerProgress&)>& progress) = 0;
    // What the operator should know before a cut at `speed` (with the wire when `wire`): the
    // controller's rates or accelerations below what the cut asks, a wire power above its top
    // spindle speed, laser mode switching the wire off at delay points. Connects first; empty
    // when there is nothing to say (or when it cannot connect: Begin Cut then says why).
    virtual std::vector<std::string> cutWarnings(Fixed4 speed, bool wire) {
        (void)speed, (void)wire;
        return {};
    }
    // The wire output (M3 S<power>/M5 or M8/M9) while no cut streams; the error's text, or empty.
    [[nodiscard]] virtual std::string switchWire(bool on) = 0;
    // A jog of `deltaMm` (X1 Y1 X2 Y2; back and up positive) at `feedMmPerMin` ($J=), waiting
    // with `yield` until it ends; `stopRequested` turning true cancels it (0x85) at once.
    virtual ControllerJog jog(const std::array<double, 4>& deltaMm, double feedMmPerMin,
                              const std::function<bool()>& stopRequested,
                              const std::function<void()>& yield) = 0;
    // A jog in `directions` (-1, 0 or +1 per axis) until `stopRequested`: short jogs renewed
    // while it is held, so the controller never holds more than one short jog of motion.
    virtual ControllerJog continuousJog(const std::array<int, 4>& directions, double feedMmPerMin,
                                        const std::function<bool()>& stopRequested,
                                        const std::function<void()>& yield) {
        (void)directions, (void)feedMmPerMin, (void)stopRequested, (void)yield;
        ControllerJog refused;
        refused.error = "This controller cannot jog continuously.";
        return refused;
    }
    // Home by the controller's own homing cycle ($H) when its settings say it has switches,
    // waiting with `yield` and showing `progress` ("Home" and the position) meanwhile;
    // `stopRequested` turning true stops the cycle (soft reset). nullopt when it has no
    // switches (home is then the planned move, jogged).
    [[nodiscard]] virtual std::optional<ControllerJog> homingCycle(
        const std::function<bool()>& stopRequested, const std::function<void()>& yield,
        const std::function<void(const ControllerProgress&)>& progress) {
        (void)stopRequested, (void)yield, (void)progress;
        return std::nullopt;
    }
    // Feed hold (true) or cycle start (false), at once: a modal box may hold the stream's loop.
    virtual void hold(bool on) = 0;
    // Soft reset, at once: motion stops and the outputs go off.
    virtual void softReset() noexcept = 0;
};

}  // namespace corvane
