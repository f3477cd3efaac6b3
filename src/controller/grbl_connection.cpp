// Connecting, checking and streaming the working set for the windows.
#include "controller/grbl_connection.h"

#include <algorithm>
#include <cstdio>

#include "common/run_error.h"
#include "controller/controller_address.h"
#include "controller/program_timeline.h"
#include "controller/serial_open.h"
#include "controller/settings_comparison.h"
#include "machine/wire_guard.h"
#include "machine/workspace.h"
#include "simulate/simulation.h"

namespace corvane {

ControllerProgress progressOf(const grbl::StatusReport& s) {
    ControllerProgress shown;
    shown.state = s.state;
    shown.position = s.position;
    shown.feed = s.feed;
    shown.feedOverride = s.overrides[0];
    shown.wireKnown = s.accessoriesKnown;
    shown.wireOn = s.spindleOn || s.coolantOn;
    return shown;
}

std::optional<std::array<double, 4>> movedBetween(const std::optional<std::array<double, 4>>& start,
                                                  const grbl::StatusReport& end) {
    const auto at = end.machinePosition();
    if (!start || !at) return std::nullopt;
    std::array<double, 4> moved{};
    for (std::size_t a = 0; a < 4; ++a) moved[a] = (*at)[a] - (*start)[a];
    return moved;
}

GrblConnection::GrblConnection(Workspace& ws, ControllerChoice choice, SerialOpener open)
    : ws_(ws),
      choice_(std::move(choice)),
      open_(open ? std::move(open) : SerialOpener(openSerialLine)) {}

GrblConnection::~GrblConnection() {
    softReset();
    drop();
}

void GrblConnection::drop() {
    if (line_) WireGuard::resetControllerOn(-1);
    session_.reset();
    line_.reset();
}

void GrblConnection::softReset() noexcept {
    if (session_) session_->softReset();
}

void GrblConnection::hold(bool on) {
    if (!session_) return;
    try {
        session_->realtime(on ? grbl::kFeedHold : grbl::kCycleStart);
    } catch (const SerialLost&) {
        // The running stream sees the lost line at its next turn and ends the cut.
    }
}

std::string GrblConnection::open() {
    if (session_) return {};
    std::string why;
    const auto address = parseControllerAddress(choice_.address, &why);
    if (!address) return why;
    try {
        line_ = open_(*address);
        WireGuard::resetControllerOn(line_->handle());
        session_ = std::make_unique<GrblSession>(*line_, ws_.clock());
        session_->log = log;
        session_->connect();
    } catch (const std::exception& e) {
        drop();
        return e.what();
    }
    return {};
}

std::string GrblConnection::lineDescription() const {
    return line_ ? line_->describe() : "";
}

void GrblConnection::close() {
    drop();
}

std::string GrblConnection::connect() {
    if (std::string why = open(); !why.empty()) return why;
    if (!session_->identity().axesRefusal.empty()) return session_->identity().axesRefusal + ".";
    // The state now, not at connecting: a Stop may have left the controller in alarm since.
    std::optional<grbl::StatusReport> now;
    try {
        now = session_->queryStatus();
    } catch (const SerialLost& e) {
        drop();
        return e.what();
    }
    if (!now) {
        softReset();
        drop();
        return "The controller does not answer (no status report): it is taken as lost.";
    }
    if (now->stateName() == "Alarm")
        return "The controller is in alarm" +
               (session_->alarm() != 0 ? " (ALARM:" + std::to_string(session_->alarm()) + ": " +
                                             grbl::alarmMeaning(session_->alarm()) + ")"
                                       : std::string()) +
               ". Nothing was sent. Check the machine, then press Unlock ($X) in Controller "
               "Settings; after an alarm the position may be lost, so set Home again.";
    return {};
}

std::string GrblConnection::switchWire(bool on) {
    if (const std::string refusal = connect(); !refusal.empty()) return refusal;
    try {
        const std::string code = on ? wireOnCode(choice_.wireOutput, choice_.wirePower)
                                    : wireOffCode(choice_.wireOutput);
        const grbl::Reply reply = session_->command(code);
        if (reply.kind != grbl::ReplyKind::Ok)
            return code + ": " + reply.text +
                   (reply.kind == grbl::ReplyKind::Error ? " " + grbl::errorMeaning(reply.code)
                                                         : std::string());
    } catch (const std::exception& e) {
        softReset();
        drop();
        return e.what();
    }
    return {};
}

std::vector<std::string> GrblConnection::warningsFor(const Simulation& sim, Fixed4 speed,
                                                     bool wire) {
    const ControllerIdentity& id = session_->identity();
    std::vector<std::string> warnings =
        compareSettings(id.settings, ws_.settings.derived.StepsPerMm, fastestAxisFeeds(sim, speed),
                        id.axisMap)
            .warnings;
    if (wire && choice_.wireOutput == WireOutput::Spindle)
        for (const std::string& w :
             spindleWireWarnings(id.settings, choice_.wirePower, sim.decoded.pauses > 0))
            warnings.push_back(w);
    return warnings;
}

std::vector<std::string> GrblConnection::cutWarnings(Fixed4 speed, bool wire) {
    if (!connect().empty()) return {};
    try {
        return warningsFor(simulateSet(ws_, setPathsFor(ws_, "")), speed, wire);
    } catch (const RunError&) {
        // Begin Cut reads the set again and says what is wrong with it.
    }
    return {};
}

PreparedCut GrblConnection::prepareCut(const Simulation& sim, Fixed4 speed, double pauseMs,
                                       bool wire) {
    PreparedCut prepared;
    const ControllerIdentity& id = session_->identity();
    const SettingsComparison cmp = compareSettings(id.settings, ws_.settings.derived.StepsPerMm,
                                                   fastestAxisFeeds(sim, speed), id.axisMap);
    if (!cmp.accepted()) {
        for (const std::string& r : cmp.refusals) prepared.refusal += r + "\n";
        prepared.refusal += "Corvane will not cut on this controller.";
        return prepared;
    }
    ControllerCutOptions cut;
    cut.speed = speed;
    cut.pauseMs = pauseMs;
    cut.wire = wire;
    cut.output = choice_.wireOutput;
    cut.power = choice_.wirePower;
    cut.letters = id.axisMap.letters;
    prepared.lines = controllerCut(sim, cut);
    return prepared;
}

ControllerCutResult GrblConnection::runCut(
    Fixed4 speed, double pauseMs, bool wire, ControllerControls& controls,
    const std::function<void()>& yield,
    const std::function<void(const ControllerProgress&)>& progress) {
    ControllerCutResult result;
    if (std::string refusal = connect(); !refusal.empty()) {
        result.message = refusal;
        return result;
    }
    Simulation sim;
    PreparedCut prepared;
    try {
        sim = simulateSet(ws_, setPathsFor(ws_, ""));
        prepared = prepareCut(sim, speed, pauseMs, wire);
    } catch (const RunError& e) {
        result.message =
            errorDescription(e.number()) + (e.detail().empty() ? "" : ": " + e.detail());
        return result;
    }
    if (!prepared.refusal.empty()) {
        result.message = prepared.refusal;
        return result;
    }
    return streamCut(sim, prepared.lines, controls, yield, progress).result;
}

ControllerCutReport GrblConnection::streamCut(
    const Simulation& sim, const std::vector<ProgramLine>& lines, ControllerControls& controls,
    const std::function<void()>& yield,
    const std::function<void(const ControllerProgress&)>& progress) {
    // The k-th move of the program is the k-th segment that moves: the lines done say which
    // profile segments are cut.
    std::vector<int> segmentsBefore(lines.size() + 1, 0);
    {
        std::vector<int> moving;
        for (const DecodedSegment& s : sim.decoded.segments)
            if (s.ticks > 0 && s.end != s.start)
                moving.push_back(s.kind == SegmentKind::Profile ? s.number : 0);
        const ProgramTimeline timeline(lines);
        std::size_t k = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            int done = segmentsBefore[i];
            if (timeline.at(i).moves && k < moving.size()) done = std::max(done, moving[k++]);
            segmentsBefore[i + 1] = done;
        }
    }
    StreamControl control;
    control.yield = [&] {
        yield();
        control.stop = controls.stop;
        control.hold = controls.hold;
        control.feedOverride = controls.feedPercent;
    };
    control.silentMs = kSilentMs;
    control.progress = [&](const StreamProgress& p) {
        ControllerProgress shown = p.status ? progressOf(*p.status) : ControllerProgress{};
        shown.acknowledged = p.acknowledged;
        shown.executed = p.executed;
        shown.segmentsDone = segmentsBefore[std::min(p.executed, lines.size())];
        shown.total = p.total;
        shown.line = p.executing;
        progress(shown);
    };
    ControllerCutReport report;
    report.outcome = session_->stream(lines, control);
    report.lastStatus = session_->lastStatus();
    const StreamOutcome& outcome = report.outcome;
    ControllerCutResult& result = report.result;
    result.completed = outcome.end == StreamEnd::Completed;
    result.stopped = outcome.end == StreamEnd::Stopped;
    if (!result.completed && !result.stopped) result.message = outcome.message;
    if (outcome.endDifference) result.message = endDifferenceText(*outcome.endDifference);
    if (outcome.finalStatus) {
        result.finalState = outcome.finalStatus->state;
        result.moved = movedBetween(outcome.startPosition, *outcome.finalStatus);
        result.wireKnown = outcome.finalStatus->accessoriesKnown;
        result.wireOn = outcome.finalStatus->spindleOn || outcome.finalStatus->coolantOn;
    }
    result.positionLost = !result.moved;
    if (outcome.end == StreamEnd::Lost) {
        // A line that went while the machine moved leaves its position unknown.
        result.moved.reset();
        result.positionLost = true;
        result.message += "\nThe cut ended: the controller cannot be reached.";
        softReset();
        drop();
    }
    return report;
}

}  // namespace corvane
