// One conversation with a GRBL-family controller over a serial line: connect (soft reset,
// banner, $I, $$, first status), single commands that wait for their ok, real-time bytes, and
// the character-counting stream of a program with status reports polled beside it. Every way
// out of a stream that is not its end (Stop, an error:N, an ALARM) goes through the stop path:
// feed hold, wait until motion has stopped, soft reset, which also switches the spindle and
// coolant outputs, and so the wire, off. Qt-free: the windows and the CLI drive it through
// StreamControl, whose yield runs their event handling between two turns of the loop.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "controller/character_counter.h"
#include "controller/grbl_protocol.h"
#include "controller/serial_line.h"
#include "platform/monotonic_clock.h"

namespace corvane {

// The controller did not answer as a GRBL-family controller does (no banner, a timeout).
struct ControllerError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ControllerIdentity {
    std::string banner;                        // "GrblHAL 1.1f ['$' or '$HELP' for help]"
    std::string version;                       // the [VER:...] line
    std::string options;                       // the [OPT:...] line
    std::string firmware;                      // the [FIRMWARE:...] line, when it sends one
    int rxBuffer = 128;                        // from [OPT:...]; classic GRBL's 128 when absent
    std::string axes;                          // from [AXS:n:LETTERS]; empty when not said
    grbl::AxisMap axisMap;                     // where X1 Y1 X2 Y2 sit among them
    std::string axesRefusal;                   // why its axes cannot carry them, or empty
    std::map<int, double> settings;            // $$: number -> value
    std::optional<grbl::StatusReport> status;  // the first status after connecting
    bool inAlarm() const { return status && status->stateName() == "Alarm"; }
};

// A program line as streamed: the text without comment, and its line number in the program.
struct ProgramLine {
    int number = 0;
    std::string text;
};

struct StreamProgress {
    std::size_t sent = 0;
    std::size_t acknowledged = 0;
    std::size_t total = 0;
    int lastAcknowledgedLine = 0;  // program line number of the last ok
    // Lines the machine has done (by its Ln: or its position on the program's path), and the
    // number of the line it executes.
    std::size_t executed = 0;
    int executing = 0;
    std::optional<grbl::StatusReport> status;
};

enum class StreamEnd { Completed, Stopped, Error, Alarm, Lost };

struct [[nodiscard]] StreamOutcome {
    StreamEnd end = StreamEnd::Completed;
    int code = 0;            // error:N or ALARM:N
    ProgramLine failedLine;  // the line an error:N answered
    std::string message;     // for the operator: what happened, the controller's meaning
    std::size_t acknowledged = 0;
    std::size_t statusReports = 0;
    std::size_t mostOutstanding = 0;  // the largest count of bytes the controller held
    double mostQueuedSeconds = 0;     // the most motion it held beyond the line it executed
    std::size_t executed = 0;         // lines the machine did
    // The machine position before the first line, and the status after the end (or the stop
    // path): the cut moved the machine by their difference.
    std::optional<std::array<double, 4>> startPosition;
    std::optional<grbl::StatusReport> finalStatus;
    bool held = false;  // the operator paused it (feed hold) at least once
    // After a hold, where the machine ended less where the program ends (X Y Z A, mm), when
    // they differ.
    std::optional<std::array<double, 4>> endDifference;
};

// What a paused cut's end off the program's end means, for the operator.
std::string endDifferenceText(const std::array<double, 4>& difference);

// What the operator's controls ask of a running stream; yield runs between two turns.
struct StreamControl {
    std::function<void()> yield = [] {};
    std::function<void(const StreamProgress&)> progress = [](const StreamProgress&) {};
    bool stop = false;
    bool hold = false;
    int feedOverride = 100;  // percent; clamped to the firmware's 10-200
    int statusIntervalMs = 150;
    // No status report for this long ends the stream as lost (through the stop path).
    int silentMs = 4000;
    // The most motion (seconds) sent beyond the line the machine executes, plus one line: what
    // the controller still does when the PC dies. 0: the RX buffer alone bounds it.
    double queuedSeconds = 2;
};

class GrblSession {
public:
    GrblSession(SerialLine& line, MonotonicClock& clock) : line_(line), clock_(clock) {}

    // Soft reset, banner, $I, $$ and a status report. ControllerError when no controller
    // answers; SerialLost when the line goes.
    ControllerIdentity connect();
    const ControllerIdentity& identity() const { return identity_; }

    // Sends one line and waits for its ok or error:N (ALARM:N ends the wait as well); the lines
    // that came before the answer go to `lines`. ControllerError on a timeout.
    grbl::Reply command(const std::string& text, std::vector<std::string>* lines = nullptr,
                        int timeoutMs = 5000);
    // A line whose answer comes late ($H): sent now, its answer awaited turn by turn.
    void sendLine(const std::string& text);
    // The first ok, error:N or ALARM:N within `timeoutMs` (the lines before it go to `lines`).
    [[nodiscard]] std::optional<grbl::Reply> awaitAnswer(int timeoutMs,
                                                         std::vector<std::string>* lines = nullptr);
    void realtime(char byte);
    // When the last status report arrived (the clock's counts).
    int64_t lastReportAt() const { return lastReportAt_; }
    [[nodiscard]] std::optional<grbl::StatusReport> queryStatus(int timeoutMs = 1000);

    StreamOutcome stream(const std::vector<ProgramLine>& lines, StreamControl& control);

    // Feed hold, wait (at most `holdTimeoutMs`) until the machine stands, soft reset, wait
    // for the banner; the status after it. Nothing thrown: the reset is sent whatever else
    // fails, as long as the line is there.
    std::optional<grbl::StatusReport> stopMotion(int holdTimeoutMs = 3000);
    // The soft reset alone, without waiting.
    void softReset() noexcept;

    const std::optional<grbl::StatusReport>& lastStatus() const { return lastStatus_; }
    // ALARM:N seen since the last connect or reset, 0 if none.
    int alarm() const { return alarm_; }
    // Every line read and written, for a log (out: true for what was sent).
    std::function<void(const std::string&, bool out)> log;

private:
    int64_t deadlineAfter(int ms);
    bool before(int64_t deadline) { return clock_.now() < deadline; }
    // Reads for at most `timeoutMs` and files every complete line.
    void pump(int timeoutMs);
    void file(const std::string& text);
    [[nodiscard]] bool waitForBanner(int timeoutMs);
    void send(const std::string& bytes);
    void outputsOff();

    SerialLine& line_;
    MonotonicClock& clock_;
    ControllerIdentity identity_;
    std::string partial_;
    std::deque<grbl::Reply> replies_;  // everything but status reports, in arrival order
    std::optional<grbl::StatusReport> lastStatus_;
    std::size_t statusCount_ = 0;
    int64_t lastReportAt_ = 0;
    int alarm_ = 0;
};

}  // namespace corvane
