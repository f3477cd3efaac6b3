// The workspace's ControllerConnection on a GRBL-family board: connects on first use (and again
// after a lost line), checks the alarm state and the settings, and streams the working set as
// the export's G-code from the place the machine stands. Every exit path that leaves motion or
// the wire behind sends the soft reset; the signal guard knows the line's descriptor.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/controller_choice.h"
#include "controller/controller_program.h"
#include "controller/grbl_session.h"
#include "controller/serial_line.h"
#include "machine/controller_connection.h"

namespace corvane {

class Workspace;
class MonotonicClock;
struct ControllerAddress;
struct Simulation;

// A status report as the windows show it.
ControllerProgress progressOf(const grbl::StatusReport& status);
// The machine's move from `start` to where `end` reports it, nullopt when either is unknown.
std::optional<std::array<double, 4>> movedBetween(const std::optional<std::array<double, 4>>& start,
                                                  const grbl::StatusReport& end);

using SerialOpener = std::function<std::unique_ptr<SerialLine>(const ControllerAddress&)>;

// A cut's program for a decoded set, or why the controller's settings refuse it.
struct PreparedCut {
    std::vector<ProgramLine> lines;
    std::string refusal;  // the refusals and "Corvane will not cut on this controller."
};

// A streamed cut: what the windows show, and the stream's own figures for the command line's
// summary.
struct ControllerCutReport {
    ControllerCutResult result;
    StreamOutcome outcome;
    std::optional<grbl::StatusReport> lastStatus;  // as last reported, kept past a lost line
};

class GrblConnection : public ControllerConnection {
public:
    GrblConnection(Workspace& ws, ControllerChoice choice, SerialOpener open = {});
    ~GrblConnection() override;

    std::string describe() const override { return choice_.address; }
    ControllerCutResult runCut(
        Fixed4 speed, double pauseMs, bool wire, ControllerControls& controls,
        const std::function<void()>& yield,
        const std::function<void(const ControllerProgress&)>& progress) override;
    std::vector<std::string> cutWarnings(Fixed4 speed, bool wire) override;
    [[nodiscard]] std::string switchWire(bool on) override;
    ControllerJog jog(const std::array<double, 4>& deltaMm, double feedMmPerMin,
                      const std::function<bool()>& stopRequested,
                      const std::function<void()>& yield) override;
    ControllerJog continuousJog(const std::array<int, 4>& directions, double feedMmPerMin,
                                const std::function<bool()>& stopRequested,
                                const std::function<void()>& yield) override;
    [[nodiscard]] std::optional<ControllerJog> homingCycle(
        const std::function<bool()>& stopRequested, const std::function<void()>& yield,
        const std::function<void(const ControllerProgress&)>& progress) override;
    void hold(bool on) override;
    void softReset() noexcept override;

    // Opens the line and connects (the identity read) when not connected; empty, or why not.
    // No alarm or axes check: `controller unlock` must reach a controller in alarm.
    std::string open();
    // Empty when connected and out of alarm (asked afresh of a connected controller, so an
    // alarm a Stop left is refused before anything is sent); else the reason for the operator.
    [[nodiscard]] std::string connect();
    const ControllerChoice& choice() const { return choice_; }
    GrblSession* session() { return session_.get(); }
    // The open line's own description ("/dev/ttyUSB0 at 115200 baud"), empty when closed.
    std::string lineDescription() const;
    // Closes the line without the soft reset: a finished command leaves the controller as it
    // stands (an unlock stays unlocked).
    void close();

    // The comparison's warnings and the spindle-wire ones for `sim` at `speed`; connected.
    std::vector<std::string> warningsFor(const Simulation& sim, Fixed4 speed, bool wire);
    // The settings check and the program for `sim`; connected. RunError from the program.
    PreparedCut prepareCut(const Simulation& sim, Fixed4 speed, double pauseMs, bool wire);
    // Streams `lines` (prepared from `sim`): the one stream the windows and the command line
    // run. A lost line resets and closes the connection.
    ControllerCutReport streamCut(const Simulation& sim, const std::vector<ProgramLine>& lines,
                                  ControllerControls& controls, const std::function<void()>& yield,
                                  const std::function<void(const ControllerProgress&)>& progress);

    // Every line read and written, for a log; handed to each session this connection opens.
    std::function<void(const std::string&, bool out)> log;

    // How long a controller may stay silent before it counts as lost, in ms.
    static constexpr int kSilentMs = 4000;

private:
    void drop();
    // A jog's end: the line lost (the position then unknown) or another failure.
    void failed(ControllerJog& result, const std::exception& e, bool moving);
    // Waits with `yield` until the machine stands (jog cancel once `stopRequested`); false when
    // it stopped reporting.
    [[nodiscard]] bool waitStanding(ControllerJog& result,
                                    const std::function<bool()>& stopRequested,
                                    const std::function<void()>& yield);
    // What a jog moved, from `start` to where the machine now reports it; unknown (the position
    // lost) when either end is.
    void takeMoved(ControllerJog& result, const std::optional<std::array<double, 4>>& start);

    Workspace& ws_;
    ControllerChoice choice_;
    SerialOpener open_;
    std::unique_ptr<SerialLine> line_;
    std::unique_ptr<GrblSession> session_;
};

}  // namespace corvane
