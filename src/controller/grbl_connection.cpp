// Connecting, checking and streaming the working set for the windows.
#include "controller/grbl_connection.h"

#include <cstdio>

#include "common/run_error.h"
#include "controller/controller_address.h"
#include "controller/serial_open.h"
#include "controller/settings_comparison.h"
#include "machine/wire_guard.h"
#include "machine/workspace.h"
#include "simulate/simulation.h"

namespace corvane {

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

ControllerJog GrblConnection::jog(const std::array<double, 4>& deltaMm, double feedMmPerMin,
                                  const std::function<bool()>& stopRequested,
                                  const std::function<void()>& yield) {
    ControllerJog result;
    if (std::string refusal = connect(); !refusal.empty()) {
        result.error = refusal;
        return result;
    }
    try {
        const auto before = session_->queryStatus();
        char words[160];
        std::snprintf(words, sizeof words, "$J=G91 G21 X%.4f Y%.4f Z%.4f A%.4f F%.3f", deltaMm[0],
                      deltaMm[1], deltaMm[2], deltaMm[3], feedMmPerMin);
        const grbl::Reply reply = session_->command(words);
        if (reply.kind != grbl::ReplyKind::Ok) {
            result.error =
                std::string(words) + ": " + reply.text +
                (reply.kind == grbl::ReplyKind::Error ? " " + grbl::errorMeaning(reply.code)
                                                      : std::string());
            return result;
        }
        // The jog runs until its end or the operator's release; a status report tells which.
        while (true) {
            yield();
            if (!result.cancelled && stopRequested()) {
                session_->realtime(grbl::kJogCancel);
                result.cancelled = true;
            }
            const auto status = session_->queryStatus(500);
            if (status && !status->moving() && status->stateName() != "Hold") break;
        }
        const auto after = session_->queryStatus();
        if (before && after)
            for (std::size_t a = 0; a < 4; ++a)
                result.moved[a] = after->position[a] - before->position[a];
    } catch (const std::exception& e) {
        softReset();
        drop();
        result.error = e.what();
    }
    return result;
}

void GrblConnection::hold(bool on) {
    if (!session_) return;
    try {
        session_->realtime(on ? grbl::kFeedHold : grbl::kCycleStart);
    } catch (const SerialLost&) {
        // The running stream sees the lost line at its next turn and ends the cut.
    }
}

std::optional<ControllerJog> GrblConnection::homingCycle(const std::function<void()>& yield) {
    if (!choice_.homingCycle) return std::nullopt;
    ControllerJog result;
    if (std::string refusal = connect(); !refusal.empty()) {
        result.error = refusal;
        return result;
    }
    try {
        yield();
        // The cycle answers ok once the machine stands on its switches: minutes on a big frame.
        const grbl::Reply reply = session_->command("$H", nullptr, 300000);
        if (reply.kind != grbl::ReplyKind::Ok) {
            result.error =
                "$H: " + reply.text +
                (reply.kind == grbl::ReplyKind::Error ? " " + grbl::errorMeaning(reply.code)
                                                      : std::string());
        }
    } catch (const std::exception& e) {
        softReset();
        drop();
        result.error = e.what();
    }
    return result;
}

std::string GrblConnection::connect() {
    if (!session_) {
        std::string why;
        const auto address = parseControllerAddress(choice_.address, &why);
        if (!address) return why;
        try {
            line_ = open_(*address);
            WireGuard::resetControllerOn(line_->handle());
            session_ = std::make_unique<GrblSession>(*line_, ws_.clock());
            session_->connect();
        } catch (const std::exception& e) {
            drop();
            return e.what();
        }
    }
    const ControllerIdentity& id = session_->identity();
    if (id.inAlarm())
        return "The controller is in alarm" +
               (session_->alarm() != 0 ? " (ALARM:" + std::to_string(session_->alarm()) + ": " +
                                             grbl::alarmMeaning(session_->alarm()) + ")"
                                       : std::string()) +
               ": check the machine, then unlock it ($X) in the controller settings.";
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

ControllerCutResult GrblConnection::runCut(
    Fixed4 speed, double pauseMs, bool wire, ControllerControls& controls,
    const std::function<void()>& yield,
    const std::function<void(const ControllerProgress&)>& progress) {
    ControllerCutResult result;
    if (std::string refusal = connect(); !refusal.empty()) {
        result.message = refusal;
        return result;
    }
    std::vector<ProgramLine> lines;
    try {
        const Simulation sim = simulateSet(ws_, setPathsFor(ws_, ""));
        const SettingsComparison cmp =
            compareSettings(session_->identity().settings, ws_.settings.derived.StepsPerMm,
                            fastestAxisFeeds(sim, speed));
        if (!cmp.accepted()) {
            for (const std::string& r : cmp.refusals) result.message += r + "\n";
            result.message += "Corvane will not cut on this controller.";
            return result;
        }
        ControllerCutOptions cut;
        cut.speed = speed;
        cut.pauseMs = pauseMs;
        cut.wire = wire;
        cut.output = choice_.wireOutput;
        cut.power = choice_.wirePower;
        lines = controllerCut(sim, cut);
    } catch (const RunError& e) {
        result.message =
            errorDescription(e.number()) + (e.detail().empty() ? "" : ": " + e.detail());
        return result;
    }
    lines.insert(lines.begin(), ProgramLine{0, "G92 X0 Y0 Z0 A0"});  // from where it stands

    StreamControl control;
    control.yield = [&] {
        yield();
        control.stop = controls.stop;
        control.hold = controls.hold;
        control.feedOverride = controls.feedPercent;
    };
    control.progress = [&](const StreamProgress& p) {
        ControllerProgress shown;
        shown.acknowledged = p.acknowledged;
        shown.total = p.total;
        shown.line = p.lastAcknowledgedLine;
        if (p.status) {
            shown.state = p.status->state;
            shown.position = p.status->position;
            shown.feed = p.status->feed;
            shown.feedOverride = p.status->overrides[0];
            shown.wireOn = p.status->spindleOn || p.status->coolantOn;
        }
        progress(shown);
    };
    const StreamOutcome outcome = session_->stream(lines, control);
    result.completed = outcome.end == StreamEnd::Completed;
    result.stopped = outcome.end == StreamEnd::Stopped;
    if (!result.completed && !result.stopped) result.message = outcome.message;
    if (outcome.finalStatus) result.finalState = outcome.finalStatus->state;
    if (outcome.end == StreamEnd::Lost) {
        result.message += "\nThe cut ended: the controller cannot be reached.";
        drop();
    }
    return result;
}

}  // namespace corvane
