// The conversation with the controller and the character-counting stream.
#include "controller/grbl_session.h"

#include <algorithm>
#include <cstdlib>

namespace corvane {

using grbl::Reply;
using grbl::ReplyKind;

int64_t GrblSession::deadlineAfter(int ms) {
    return clock_.now() + clock_.frequency() / 1000 * ms;
}

void GrblSession::send(const std::string& bytes) {
    if (log) log(bytes, true);
    line_.write(bytes);
}

void GrblSession::realtime(char byte) {
    send(std::string(1, byte));
}

void GrblSession::softReset() noexcept {
    try {
        send(std::string(1, grbl::kSoftReset));
    } catch (...) {
        // The line is gone: nothing can reach the controller any more.
    }
}

void GrblSession::file(const std::string& text) {
    if (log) log(text, false);
    Reply reply = grbl::classify(text);
    if (reply.kind == ReplyKind::Status) {
        lastStatus_ = grbl::parseStatus(reply.text);
        ++statusCount_;
        return;
    }
    if (reply.kind == ReplyKind::Alarm) alarm_ = reply.code;
    if (reply.text.empty()) return;
    replies_.push_back(std::move(reply));
}

void GrblSession::pump(int timeoutMs) {
    const std::string bytes = line_.read(timeoutMs);
    for (char c : bytes) {
        if (c == '\n') {
            if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
            file(partial_);
            partial_.clear();
        } else {
            partial_ += c;
        }
    }
}

bool GrblSession::waitForBanner(int timeoutMs) {
    const int64_t deadline = deadlineAfter(timeoutMs);
    while (before(deadline)) {
        pump(20);
        while (!replies_.empty()) {
            const Reply reply = replies_.front();
            replies_.pop_front();
            if (reply.kind == ReplyKind::Banner) {
                identity_.banner = reply.text;
                return true;
            }
        }
    }
    return false;
}

ControllerIdentity GrblSession::connect() {
    identity_ = ControllerIdentity{};
    alarm_ = 0;
    realtime(grbl::kSoftReset);
    if (!waitForBanner(5000))
        throw ControllerError("No GRBL-family controller answered on " + line_.describe() +
                              " (no banner after a soft reset)");
    // What follows the banner ([MSG:...], an ALARM the board starts in) settles first.
    for (int i = 0; i < 5; ++i) pump(20);
    replies_.clear();
    std::vector<std::string> lines;
    command("$I", &lines);
    for (const std::string& l : lines) {
        if (l.rfind("[VER:", 0) == 0) identity_.version = l;
        if (l.rfind("[FIRMWARE:", 0) == 0) identity_.firmware = l;
        if (const auto rx = grbl::rxBufferOf(l)) {
            identity_.options = l;
            identity_.rxBuffer = *rx;
        }
    }
    lines.clear();
    command("$$", &lines);
    for (const std::string& l : lines) {
        const std::size_t eq = l.find('=');
        if (l.size() < 2 || l[0] != '$' || eq == std::string::npos) continue;
        identity_.settings[std::atoi(l.c_str() + 1)] = std::strtod(l.c_str() + eq + 1, nullptr);
    }
    identity_.status = queryStatus();
    return identity_;
}

Reply GrblSession::command(const std::string& text, std::vector<std::string>* lines,
                           int timeoutMs) {
    send(text + "\n");
    const int64_t deadline = deadlineAfter(timeoutMs);
    while (before(deadline)) {
        pump(20);
        while (!replies_.empty()) {
            Reply reply = replies_.front();
            replies_.pop_front();
            if (reply.kind == ReplyKind::Ok || reply.kind == ReplyKind::Error ||
                reply.kind == ReplyKind::Alarm)
                return reply;
            if (lines != nullptr) lines->push_back(reply.text);
        }
    }
    throw ControllerError("The controller did not answer \"" + text + "\" within " +
                          std::to_string(timeoutMs / 1000) + " s");
}

std::optional<grbl::StatusReport> GrblSession::queryStatus(int timeoutMs) {
    const std::size_t before_ = statusCount_;
    realtime(grbl::kStatusQuery);
    const int64_t deadline = deadlineAfter(timeoutMs);
    while (statusCount_ == before_ && before(deadline)) pump(10);
    if (statusCount_ == before_) return std::nullopt;
    return lastStatus_;
}

std::optional<grbl::StatusReport> GrblSession::stopMotion(int holdTimeoutMs) {
    try {
        realtime(grbl::kFeedHold);
        const int64_t deadline = deadlineAfter(holdTimeoutMs);
        while (before(deadline)) {
            const auto status = queryStatus(500);
            if (status && !status->moving()) break;
            pump(50);
        }
    } catch (const SerialLost&) {
        return std::nullopt;
    }
    softReset();
    try {
        waitForBanner(3000);
        for (int i = 0; i < 5; ++i) pump(20);
        replies_.clear();
        return queryStatus();
    } catch (const SerialLost&) {
        return std::nullopt;
    }
}

StreamOutcome GrblSession::stream(const std::vector<ProgramLine>& lines, StreamControl& control) {
    StreamOutcome outcome;
    CharacterCounter counter(static_cast<std::size_t>(identity_.rxBuffer));
    StreamProgress progress;
    progress.total = lines.size();
    bool holdSent = false;
    int overrideSent = lastStatus_ && lastStatus_->hasOverrides ? lastStatus_->overrides[0] : 100;
    int64_t nextPoll = clock_.now();
    const int64_t pollPeriod = clock_.frequency() / 1000 * std::max(control.statusIntervalMs, 20);
    // Once every line is answered, a status report asked for after that closes the stream.
    std::optional<std::size_t> closingReport;
    const std::size_t firstReport = statusCount_;
    replies_.clear();

    auto stopWith = [&](StreamEnd end, std::string message) {
        outcome.end = end;
        outcome.message = std::move(message);
        outcome.finalStatus = stopMotion();
    };
    try {
        while (true) {
            control.yield();
            if (control.stop) {
                stopWith(StreamEnd::Stopped, "Stopped by the operator");
                break;
            }
            if (control.hold != holdSent) {
                realtime(control.hold ? grbl::kFeedHold : grbl::kCycleStart);
                holdSent = control.hold;
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
                send(next.text + "\n");
                counter.sent(bytes);
                outcome.mostOutstanding = std::max(outcome.mostOutstanding, counter.outstanding());
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
            progress.status = lastStatus_;
            if (changed) control.progress(progress);
            if (outcome.end != StreamEnd::Completed) break;
            if (closingReport && statusCount_ > *closingReport && lastStatus_ &&
                !lastStatus_->moving() && lastStatus_->stateName() != "Hold") {
                outcome.finalStatus = lastStatus_;
                break;
            }
        }
    } catch (const SerialLost& lost) {
        outcome.end = StreamEnd::Lost;
        outcome.message = lost.what();
    }
    outcome.acknowledged = progress.acknowledged;
    outcome.statusReports = statusCount_ - firstReport;
    return outcome;
}

}  // namespace corvane
