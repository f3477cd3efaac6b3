// The conversation with the controller and the character-counting stream.
#include "controller/grbl_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace corvane {

using grbl::Reply;
using grbl::ReplyKind;

std::string endDifferenceText(const std::array<double, 4>& d) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "The paused cut ended X1 %+.3f Y1 %+.3f X2 %+.3f Y2 %+.3f mm off the "
                  "program's end: the controller's firmware loses a step on the minor axes of a "
                  "block held and resumed. The counted position is where the controller stands.",
                  d[0], d[1], d[2], d[3]);
    return text;
}

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

void GrblSession::outputsOff() {
    // A reset switches the spindle and coolant outputs off and the overrides back to 100 %.
    if (!lastStatus_) return;
    lastStatus_->accessoriesKnown = true;
    lastStatus_->spindleOn = lastStatus_->coolantOn = false;
    lastStatus_->overrides = {100, 100, 100};
}

void GrblSession::file(const std::string& text) {
    if (log) log(text, false);
    Reply reply = grbl::classify(text);
    if (reply.kind == ReplyKind::Status) {
        if (const auto parsed = grbl::parseStatus(reply.text, identity_.axisMap.index))
            lastStatus_ = grbl::mergeStatus(lastStatus_, *parsed);
        ++statusCount_;
        lastReportAt_ = clock_.now();
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
    lastStatus_.reset();
    realtime(grbl::kSoftReset);
    if (!waitForBanner(5000))
        throw ControllerError("No GRBL-family controller answered on " + line_.describe() +
                              " (no banner after a soft reset)");
    // What follows the banner ([MSG:...], an ALARM the board starts in) settles first.
    for (int i = 0; i < 5; ++i) pump(20);
    replies_.clear();
    std::vector<std::string> lines;
    // The lines are what count: a board that answers error:N says nothing, as a classic fork.
    (void)command("$I", &lines);
    for (const std::string& l : lines) {
        if (l.rfind("[VER:", 0) == 0) identity_.version = l;
        if (l.rfind("[FIRMWARE:", 0) == 0) identity_.firmware = l;
        if (const auto rx = grbl::rxBufferOf(l)) {
            identity_.options = l;
            identity_.rxBuffer = *rx;
        }
        if (const auto axes = grbl::axesOf(l)) identity_.axes = *axes;
    }
    // A board that does not say (classic GRBL forks) is taken as X Y Z A.
    if (!identity_.axes.empty()) {
        if (const auto map = grbl::axisMapOf(identity_.axes, &identity_.axesRefusal))
            identity_.axisMap = *map;
    }
    lines.clear();
    // A board that refuses $$ leaves `settings` without the axes, and the settings comparison
    // then refuses the cut naming the missing $100.. values.
    (void)command("$$", &lines);
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
    sendLine(text);
    if (auto reply = awaitAnswer(timeoutMs, lines)) return *reply;
    throw ControllerError("The controller did not answer \"" + text + "\" within " +
                          std::to_string(timeoutMs / 1000) + " s");
}

void GrblSession::sendLine(const std::string& text) {
    send(text + "\n");
}

std::optional<Reply> GrblSession::awaitAnswer(int timeoutMs, std::vector<std::string>* lines) {
    const int64_t deadline = deadlineAfter(timeoutMs);
    do {
        pump(std::min(timeoutMs, 20));
        while (!replies_.empty()) {
            Reply reply = replies_.front();
            replies_.pop_front();
            if (reply.kind == ReplyKind::Ok || reply.kind == ReplyKind::Error ||
                reply.kind == ReplyKind::Alarm)
                return reply;
            if (lines != nullptr) lines->push_back(reply.text);
        }
    } while (before(deadline));
    return std::nullopt;
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
        // No banner: the status asked for below says whether the board still answers.
        (void)waitForBanner(3000);
        for (int i = 0; i < 5; ++i) pump(20);
        replies_.clear();
        outputsOff();
        return queryStatus();
    } catch (const SerialLost&) {
        return std::nullopt;
    }
}

}  // namespace corvane
