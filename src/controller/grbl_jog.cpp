// Jogs and the homing cycle on a GRBL-family controller: a distance as one $J= move, a held
// move as short jogs renewed while it is held (the firmware's own advice for continuous jogs),
// and $H waited for turn by turn so the windows stay live and Stop can end it.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "controller/grbl_connection.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"

namespace corvane {

namespace {

// `letters`: the board's words for X1 Y1 X2 Y2.
std::string jogLine(const std::string& letters, const std::array<double, 4>& mm,
                    double feedMmPerMin) {
    char words[160];
    std::snprintf(words, sizeof words, "$J=G91 G21 %c%.4f %c%.4f %c%.4f %c%.4f F%.3f", letters[0],
                  mm[0], letters[1], mm[1], letters[2], mm[2], letters[3], mm[3], feedMmPerMin);
    return words;
}

std::string refusalOf(const std::string& sent, const grbl::Reply& reply) {
    return sent + ": " + reply.text +
           (reply.kind == grbl::ReplyKind::Error   ? " " + grbl::errorMeaning(reply.code)
            : reply.kind == grbl::ReplyKind::Alarm ? " " + grbl::alarmMeaning(reply.code)
                                                   : std::string());
}

// How long a renewed piece of a continuous jog runs (s): two pieces are the most the
// controller holds, so a lost line moves it at most one short jog of twice this.
constexpr double kJogPieceSeconds = 0.25;
constexpr double kJogPieceLeastMm = 0.25;

}  // namespace

void GrblConnection::failed(ControllerJog& result, const std::exception& e, bool moving) {
    softReset();
    drop();
    result.error = e.what();
    result.positionLost = moving;
}

bool GrblConnection::waitStanding(ControllerJog& result, const std::function<bool()>& stopRequested,
                                  const std::function<void()>& yield) {
    MonotonicClock& clock = ws_.clock();
    int64_t heard = clock.now();
    while (true) {
        yield();
        if (!result.cancelled && stopRequested()) {
            session_->realtime(grbl::kJogCancel);
            result.cancelled = true;
        }
        const auto status = session_->queryStatus(500);
        if (status) heard = clock.now();
        if (status && !status->moving() && status->stateName() != "Hold") return true;
        if (clock.now() - heard > clock.frequency() / 1000 * kSilentMs) return false;
    }
}

ControllerJog GrblConnection::jog(const std::array<double, 4>& deltaMm, double feedMmPerMin,
                                  const std::function<bool()>& stopRequested,
                                  const std::function<void()>& yield) {
    ControllerJog result;
    if (std::string refusal = connect(); !refusal.empty()) {
        result.error = refusal;
        return result;
    }
    bool moving = false;
    try {
        const auto before = session_->queryStatus();
        const auto start = before ? before->machinePosition() : std::nullopt;
        const std::string words =
            jogLine(session_->identity().axisMap.letters, deltaMm, feedMmPerMin);
        const grbl::Reply reply = session_->command(words);
        if (reply.kind != grbl::ReplyKind::Ok) {
            result.error = refusalOf(words, reply);
            return result;
        }
        moving = true;
        // The jog runs until its end or the operator's release; a status report tells which.
        if (!waitStanding(result, stopRequested, yield)) {
            failed(result,
                   ControllerError("The controller stopped reporting during the jog: it "
                                   "is taken as lost."),
                   true);
            return result;
        }
        takeMoved(result, start);
    } catch (const std::exception& e) {
        failed(result, e, moving);
    }
    return result;
}

void GrblConnection::takeMoved(ControllerJog& result,
                               const std::optional<std::array<double, 4>>& start) {
    const auto after = session_->queryStatus();
    const auto moved = after ? movedBetween(start, *after) : std::nullopt;
    if (moved)
        result.moved = *moved;
    else
        result.positionLost = true;
}

ControllerJog GrblConnection::continuousJog(const std::array<int, 4>& directions,
                                            double feedMmPerMin,
                                            const std::function<bool()>& stopRequested,
                                            const std::function<void()>& yield) {
    ControllerJog result;
    if (std::string refusal = connect(); !refusal.empty()) {
        result.error = refusal;
        return result;
    }
    // Progress is followed on the first axis that moves; every axis goes as far.
    std::size_t axis = 4;
    for (std::size_t a = 0; a < 4 && axis == 4; ++a)
        if (directions[a] != 0) axis = a;
    if (axis == 4) return result;
    const double piece = std::max(feedMmPerMin / 60 * kJogPieceSeconds, kJogPieceLeastMm);
    std::array<double, 4> step{};
    for (std::size_t a = 0; a < 4; ++a) step[a] = directions[a] * piece;
    const std::string words = jogLine(session_->identity().axisMap.letters, step, feedMmPerMin);
    MonotonicClock& clock = ws_.clock();
    const int64_t perMs = clock.frequency() / 1000;
    bool moving = false;
    try {
        const auto before = session_->queryStatus();
        const auto start = before ? before->machinePosition() : std::nullopt;
        if (!start) throw ControllerError("The controller reports no position to jog from.");
        double sent = 0;  // along `axis`, mm
        int64_t heard = clock.now();
        while (!stopRequested()) {
            const auto status = session_->queryStatus(500);
            if (status) heard = clock.now();
            if (clock.now() - heard > perMs * kSilentMs)
                throw ControllerError(
                    "The controller stopped reporting during the jog: it is "
                    "taken as lost.");
            const auto at = status ? status->machinePosition() : std::nullopt;
            const double done = at ? std::fabs((*at)[axis] - (*start)[axis]) : sent;
            // Renewed once at most one piece is left: the controller never holds more than two.
            if (sent - done <= piece * 1.01) {
                const grbl::Reply reply = session_->command(words);
                if (reply.kind != grbl::ReplyKind::Ok) {
                    // Travel's end (error:15) or an alarm: the pieces sent still run out.
                    result.error = refusalOf(words, reply);
                    break;
                }
                sent += piece;
                moving = true;
            }
            yield();
            clock.sleepUntil(clock.now() + perMs * 20);
        }
        if (!waitStanding(
                result, [] { return true; }, yield))
            throw ControllerError(
                "The controller stopped reporting during the jog: it is taken "
                "as lost.");
        result.cancelled = result.error.empty();
        takeMoved(result, start);
    } catch (const std::exception& e) {
        failed(result, e, moving);
    }
    return result;
}

std::optional<ControllerJog> GrblConnection::homingCycle(
    const std::function<bool()>& stopRequested, const std::function<void()>& yield,
    const std::function<void(const ControllerProgress&)>& progress) {
    if (!choice_.homingCycle) return std::nullopt;
    ControllerJog result;
    if (std::string refusal = connect(); !refusal.empty()) {
        result.error = refusal;
        return result;
    }
    MonotonicClock& clock = ws_.clock();
    const int64_t perMs = clock.frequency() / 1000;
    try {
        // The cycle answers once the machine stands on its switches, minutes on a big frame:
        // the windows run meanwhile and the status reports show where it is.
        session_->sendLine("$H");
        int64_t heard = clock.now();
        int64_t nextPoll = clock.now();
        int64_t stoppedAt = 0;
        while (true) {
            yield();
            if (stoppedAt == 0 && stopRequested()) {
                session_->softReset();  // the only way to end a homing cycle
                result.cancelled = true;
                stoppedAt = clock.now();
            }
            if (const auto reply = session_->awaitAnswer(20)) {
                if (reply->kind != grbl::ReplyKind::Ok && !result.cancelled)
                    result.error = refusalOf("$H", *reply);
                if (reply->kind == grbl::ReplyKind::Alarm) result.positionLost = true;
                break;
            }
            if (session_->lastReportAt() > heard) {
                heard = session_->lastReportAt();
                if (const auto& s = session_->lastStatus()) progress(progressOf(*s));
            }
            if (clock.now() >= nextPoll) {
                session_->realtime(grbl::kStatusQuery);
                nextPoll = clock.now() + perMs * 200;
            }
            if (stoppedAt != 0 && clock.now() - stoppedAt > perMs * 3000) break;
            if (clock.now() - heard > perMs * kSilentMs)
                throw ControllerError(
                    "The controller stopped reporting during the homing "
                    "cycle: it is taken as lost.");
        }
        if (result.cancelled) {
            result.positionLost = true;
            result.error =
                "The homing cycle was stopped: the machine is not homed. Unlock ($X) "
                "in Controller Settings and home again.";
        }
    } catch (const std::exception& e) {
        failed(result, e, true);
    }
    return result;
}

}  // namespace corvane
