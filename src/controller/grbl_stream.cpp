// The character-counting stream of a program, with the motion it queues on the controller
// bounded by time and what the machine executes followed from its status reports.
#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "controller/grbl_session.h"
#include "controller/program_timeline.h"

namespace corvane {

using grbl::Reply;
using grbl::ReplyKind;

namespace {

// How far off the program's path a reported position may lie and still be on it (mm): the
// firmware reports three decimals and steps of a few hundredths.
constexpr double kOnPathMm = 0.02;

}  // namespace

StreamOutcome GrblSession::stream(const std::vector<ProgramLine>& lines, StreamControl& control) {
    StreamOutcome outcome;
    CharacterCounter counter(static_cast<std::size_t>(identity_.rxBuffer));
    const ProgramTimeline timeline(lines);
    StreamProgress progress;
    progress.total = lines.size();
    bool holdSent = false;
    int64_t nextPoll = clock_.now();
    const int64_t perMs = clock_.frequency() / 1000;
    const int64_t pollPeriod = perMs * std::max(control.statusIntervalMs, 20);
    // Once every line is answered, a status report asked for after that closes the stream.
    std::optional<std::size_t> closingReport;
    const std::size_t firstReport = statusCount_;
    replies_.clear();
    // The line the machine executes, and since when: the lines before it are done.
    std::size_t executing = 0;
    int64_t executingSince = clock_.now();
    std::array<double, 4> origin{};

    auto stopWith = [&](StreamEnd end, std::string message) {
        outcome.end = end;
        outcome.message = std::move(message);
        outcome.finalStatus = stopMotion();
    };
    // The motion the controller holds and has not done yet, in seconds.
    auto queuedSeconds = [&] {
        if (executing >= progress.sent) return 0.0;
        const double done =
            static_cast<double>(clock_.now() - executingSince) / static_cast<double>(perMs) / 1000;
        return std::max(timeline.at(executing).seconds - done, 0.0) +
               timeline.seconds(executing + 1, progress.sent);
    };
    auto follow = [&](const grbl::StatusReport& s) {
        std::size_t at = executing;
        const auto numbered = s.line > 0 ? timeline.indexOfNumber(s.line) : std::nullopt;
        const auto machine = s.machinePosition();
        if (numbered && *numbered < progress.sent) {
            at = std::max(at, *numbered);
        } else if (machine) {
            std::array<double, 4> p = *machine;
            for (std::size_t a = 0; a < 4; ++a) p[a] -= origin[a];
            if (const auto on = timeline.locate(p, executing, progress.sent, kOnPathMm)) {
                at = *on;
                // Standing at the end of a move: the lines after it (a dwell) run now.
                if (!s.moving() && timeline.fractionAt(at, p) > 0.999) ++at;
            }
        }
        // Standing where the last line sent ends, with every line answered: all of them ran
        // (standing elsewhere, the controller has not started them yet).
        if (!s.moving() && s.stateName() != "Hold" && progress.sent > 0 &&
            progress.acknowledged == progress.sent && machine) {
            std::array<double, 4> p = *machine;
            double off = 0;
            for (std::size_t a = 0; a < 4; ++a)
                off = std::max(off,
                               std::fabs(p[a] - origin[a] - timeline.at(progress.sent - 1).end[a]));
            if (off <= kOnPathMm) at = progress.sent;
        }
        if (at != executing) {
            executing = std::min(at, progress.sent);
            executingSince = clock_.now();
        }
        progress.executed = executing;
        progress.executing = executing < lines.size() ? lines[executing].number : 0;
    };
    try {
        lastReportAt_ = clock_.now();
        const auto start = queryStatus();
        if (start && timeline.zeroesAtStart())
            if (const auto machine = start->machinePosition()) origin = *machine;
        outcome.startPosition = start ? start->machinePosition() : std::nullopt;
        int overrideSent =
            lastStatus_ && lastStatus_->hasOverrides ? lastStatus_->overrides[0] : 100;
        while (true) {
            control.yield();
            if (control.stop) {
                stopWith(StreamEnd::Stopped, "Stopped by the operator");
                break;
            }
            if (control.hold != holdSent) {
                realtime(control.hold ? grbl::kFeedHold : grbl::kCycleStart);
                holdSent = control.hold;
                outcome.held = outcome.held || control.hold;
            }
            const int wanted = grbl::clampFeedOverride(control.feedOverride);
            if (wanted != overrideSent) {
                send(grbl::feedOverrideBytes(overrideSent, wanted));
                overrideSent = wanted;
            }
            while (progress.sent < lines.size()) {
                const ProgramLine& next = lines[progress.sent];
                const std::size_t bytes = next.text.size() + 1;
                if (!counter.everFits(bytes)) {
                    stopWith(StreamEnd::Error, "Line " + std::to_string(next.number) +
                                                   " is longer than the controller's buffer");
                    outcome.failedLine = next;
                    break;
                }
                if (!counter.fits(bytes)) break;
                // What a dead PC leaves behind is what the controller holds: at most this much
                // motion beyond the line it executes (and one line more, a line is not split).
                const double queued = queuedSeconds();
                if (control.queuedSeconds > 0 && queued > 0 && queued >= control.queuedSeconds)
                    break;
                send(next.text + "\n");
                counter.sent(bytes);
                outcome.mostOutstanding = std::max(outcome.mostOutstanding, counter.outstanding());
                outcome.mostQueuedSeconds = std::max(outcome.mostQueuedSeconds,
                                                     queued + timeline.at(progress.sent).seconds);
                ++progress.sent;
            }
            if (outcome.end != StreamEnd::Completed) break;
            if (clock_.now() >= nextPoll) {
                realtime(grbl::kStatusQuery);
                nextPoll = clock_.now() + pollPeriod;
                if (progress.acknowledged == lines.size() && !closingReport)
                    closingReport = statusCount_;
            }
            const std::size_t reportsBefore = statusCount_;
            pump(10);
            bool changed = statusCount_ != reportsBefore;
            while (!replies_.empty() && outcome.end == StreamEnd::Completed) {
                const Reply reply = replies_.front();
                replies_.pop_front();
                if (reply.kind == ReplyKind::Ok || reply.kind == ReplyKind::Error) {
                    if (!counter.answered()) continue;  // not an answer to a streamed line
                    const ProgramLine& answered = lines[progress.acknowledged];
                    ++progress.acknowledged;
                    progress.lastAcknowledgedLine = answered.number;
                    changed = true;
                    if (reply.kind == ReplyKind::Error) {
                        outcome.code = reply.code;
                        outcome.failedLine = answered;
                        stopWith(StreamEnd::Error,
                                 "error:" + std::to_string(reply.code) + " on line " +
                                     std::to_string(answered.number) + " \"" + answered.text +
                                     "\": " + grbl::errorMeaning(reply.code));
                    }
                } else if (reply.kind == ReplyKind::Alarm) {
                    outcome.code = reply.code;
                    stopWith(StreamEnd::Alarm, "ALARM:" + std::to_string(reply.code) + ": " +
                                                   grbl::alarmMeaning(reply.code));
                }
            }
            if (outcome.end != StreamEnd::Completed) break;
            if (changed && lastStatus_) follow(*lastStatus_);
            progress.status = lastStatus_;
            if (changed) control.progress(progress);
            if (closingReport && statusCount_ > *closingReport && lastStatus_ &&
                !lastStatus_->moving() && lastStatus_->stateName() != "Hold") {
                outcome.finalStatus = lastStatus_;
                break;
            }
            // A controller that stops reporting is as gone as a pulled cable.
            if (clock_.now() - lastReportAt_ > perMs * std::max(control.silentMs, 100)) {
                stopWith(StreamEnd::Lost,
                         "The controller sent no status report for " +
                             formatDouble(std::max(control.silentMs, 100) / 1000.0) +
                             " s: it is taken as lost");
                break;
            }
        }
    } catch (const SerialLost& lost) {
        outcome.end = StreamEnd::Lost;
        outcome.message = lost.what();
    } catch (const std::exception& e) {
        // Whatever failed beside the stream (a window's handler), the machine does not run on.
        outcome.end = StreamEnd::Error;
        outcome.message = e.what();
        outcome.finalStatus = stopMotion();
    }
    outcome.acknowledged = progress.acknowledged;
    outcome.executed = outcome.end == StreamEnd::Completed ? lines.size() : executing;
    // The firmware loses a step on the minor axes of a block held and resumed: after a hold,
    // where the machine ended is compared with where the program ends.
    if (outcome.end == StreamEnd::Completed && outcome.held && outcome.finalStatus &&
        !lines.empty()) {
        if (const auto at = outcome.finalStatus->machinePosition()) {
            std::array<double, 4> off{};
            bool differs = false;
            for (std::size_t a = 0; a < 4; ++a) {
                off[a] = (*at)[a] - origin[a] - timeline.at(lines.size() - 1).end[a];
                differs = differs || std::fabs(off[a]) > 0.0005;
            }
            if (differs) outcome.endDifference = off;
        }
    }
    outcome.statusReports = statusCount_ - firstReport;
    return outcome;
}

}  // namespace corvane
