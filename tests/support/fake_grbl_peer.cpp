// The scripted controller.
#include "support/fake_grbl_peer.h"

#include <algorithm>

#include "controller/grbl_protocol.h"

namespace corvane::test {

void FakeGrblPeer::write(std::string_view bytes) {
    if (lost) throw SerialLost("fake line lost");
    if (silent_) return;
    for (char c : bytes) {
        switch (c) {
            case grbl::kSoftReset:
                ++resets;
                buffer_.clear();
                holding = false;
                feedOverride = 100;
                out_ += "\r\nGrblHAL 1.1f ['$' or '$HELP' for help]\r\n";
                if (homingLeft_ >= 0) {
                    homingLeft_ = -1;
                    alarmed = true;
                    out_ += "ALARM:6\r\n";
                }
                realtimeBytes += c;
                continue;
            case grbl::kStatusQuery:
                if (!statusScript.empty()) {
                    out_ += "<" + statusScript.front() + ">\r\n";
                    statusScript.erase(statusScript.begin());
                    continue;
                }
                out_ += std::string("<") +
                        (alarmed            ? "Alarm"
                         : homingLeft_ >= 0 ? "Home"
                         : holding          ? "Hold:0"
                                            : "Idle") +
                        "|MPos:0.000,0.000,0.000,0.000|FS:0,0|Ov:" + std::to_string(feedOverride) +
                        ",100,100|A:>\r\n";
                continue;
            case grbl::kFeedHold:
                holding = true;
                realtimeBytes += c;
                continue;
            case grbl::kCycleStart:
                holding = false;
                realtimeBytes += c;
                continue;
            case grbl::kFeedOverridePlus10:
                feedOverride += 10;
                realtimeBytes += c;
                continue;
            case grbl::kFeedOverrideMinus10:
                feedOverride -= 10;
                realtimeBytes += c;
                continue;
            case grbl::kFeedOverridePlus1:
                ++feedOverride;
                realtimeBytes += c;
                continue;
            case grbl::kFeedOverrideMinus1:
                --feedOverride;
                realtimeBytes += c;
                continue;
            default:
                break;
        }
        buffer_ += c;
        // The firmware's ring buffer holds one byte less than its size.
        if (buffer_.size() > rx_ - 1) overflowed = true;
        mostHeld = std::max(mostHeld, buffer_.size());
        if (c == '\n' && errorSent_) ++linesAfterError;
    }
}

std::string FakeGrblPeer::read(int) {
    if (lost) throw SerialLost("fake line lost");
    if (silent_) return {};
    if (homingLeft_ > 0 && --homingLeft_ == 0) {
        homingLeft_ = -1;
        out_ += "ok\r\n";
    }
    // Between none and three lines a read: the machine is sometimes slower, sometimes faster
    // than the stream.
    int lines = static_cast<int>(random_() % 4);
    while (lines-- > 0 && !holding) {
        const std::size_t lf = buffer_.find('\n');
        if (lf == std::string::npos) break;
        const std::string line = buffer_.substr(0, lf);
        buffer_.erase(0, lf + 1);
        received.push_back(line);
        if (line == "$I") {
            out_ += "[VER:1.1f.fake:]\r\n[OPT:VNML+,100," + std::to_string(rx_) + ",4,0]\r\n";
            if (!axes.empty()) out_ += "[AXS:" + std::to_string(axes.size()) + ":" + axes + "]\r\n";
            out_ += "ok\r\n";
        } else if (line == "$$") {
            for (int n : {100, 101, 102, 103}) out_ += "$" + std::to_string(n) + "=158.000\r\n";
            out_ += "ok\r\n";
        } else if (line == "$H") {
            homingLeft_ = homingReads;
        } else if (alarmed && (line.rfind("$J=", 0) == 0 || line.rfind("$", 0) != 0)) {
            out_ += "error:9\r\n";
        } else if (line == "$X") {
            alarmed = false;
            out_ += "ok\r\n";
        } else if (const auto e = errorFor.find(line); e != errorFor.end()) {
            out_ += "error:" + std::to_string(e->second) + "\r\n";
            errorSent_ = true;
        } else {
            out_ += "ok\r\n";
        }
        ++processed_;
        if (loseAfterLines != 0 && processed_ >= loseAfterLines) lost = true;
        if (silentAfterLines != 0 && processed_ >= silentAfterLines) silent_ = true;
    }
    std::string chunk;
    chunk.swap(out_);
    return chunk;
}

}  // namespace corvane::test
