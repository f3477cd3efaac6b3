// The character-counting stream against a scripted controller that fails on overflow: many
// lines of random lengths never hold more than the RX buffer, every line arrives once and in
// order, an error:N ends the stream with no line sent after it, the operator's controls become the
// right real-time bytes, and a handler that throws still ends it through the stop path.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "controller/grbl_session.h"
#include "platform/monotonic_clock.h"
#include "support/fake_grbl_peer.h"

namespace corvane {
namespace {

using test::FakeGrblPeer;

std::vector<ProgramLine> randomLines(std::size_t count, std::size_t longest, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<ProgramLine> lines;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t length = 1 + random() % longest;
        std::string text = "G1 X" + std::to_string(i);
        text.resize(std::max(length, text.size()), '0');
        lines.push_back({static_cast<int>(i + 1), text});
    }
    return lines;
}

struct Connected {
    explicit Connected(std::size_t rx, unsigned seed = 1) : peer(rx, seed), session(peer, clock) {
        identity = session.connect();
        peer.received.clear();
    }
    FakeGrblPeer peer;
    FakeClock clock{100'000};
    GrblSession session;
    ControllerIdentity identity;
};

TEST(GrblStream, CharacterCountingNeverOverflowsTheBufferOverManyRandomLines) {
    // Small buffers make the counting tight; the firmware's 1024 is the real case.
    for (const std::size_t rx : {128u, 256u, 1024u}) {
        Connected c(rx, static_cast<unsigned>(rx));
        ASSERT_EQ(c.identity.rxBuffer, static_cast<int>(rx));
        const std::vector<ProgramLine> lines = randomLines(10000, 100, static_cast<unsigned>(rx));
        StreamControl control;
        const StreamOutcome outcome = c.session.stream(lines, control);
        EXPECT_EQ(outcome.end, StreamEnd::Completed) << outcome.message;
        EXPECT_FALSE(c.peer.overflowed) << "rx " << rx << " held " << c.peer.mostHeld;
        EXPECT_LE(outcome.mostOutstanding, rx - 1);
        // The buffer was used: the counting does not just send one line at a time.
        EXPECT_GT(c.peer.mostHeld, rx / 2);
        EXPECT_EQ(outcome.acknowledged, lines.size());
        ASSERT_EQ(c.peer.received.size(), lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(c.peer.received[i], lines[i].text) << "line " << i;
    }
}

TEST(GrblStream, AnErrorEndsTheStreamWithNoLineSentAfterIt) {
    Connected c(256);
    const std::vector<ProgramLine> lines = randomLines(500, 40, 7);
    c.peer.errorFor[lines[300].text] = 22;
    StreamControl control;
    const StreamOutcome outcome = c.session.stream(lines, control);
    EXPECT_EQ(outcome.end, StreamEnd::Error);
    EXPECT_EQ(outcome.code, 22);
    EXPECT_EQ(outcome.failedLine.number, 301);
    EXPECT_NE(outcome.message.find("error:22 on line 301"), std::string::npos) << outcome.message;
    EXPECT_NE(outcome.message.find("Feed rate has not yet been set"), std::string::npos);
    EXPECT_EQ(c.peer.linesAfterError, 0u);
    // The stop path: feed hold, then soft reset.
    EXPECT_EQ(c.peer.realtimeBytes.back(), grbl::kSoftReset);
    EXPECT_NE(c.peer.realtimeBytes.find(grbl::kFeedHold), std::string::npos);
    EXPECT_LT(c.peer.received.size(), lines.size());
}

TEST(GrblStream, OperatorControlsBecomeRealTimeBytesAndStopResets) {
    Connected c(128);
    const std::vector<ProgramLine> lines = randomLines(2000, 30, 3);
    StreamControl control;
    int turns = 0;
    std::size_t acknowledgedAtStop = 0;
    control.progress = [&](const StreamProgress& p) { acknowledgedAtStop = p.acknowledged; };
    control.yield = [&] {
        ++turns;
        if (turns == 50) control.feedOverride = 137;  // +10 x3, +1 x7
        if (turns == 80) control.feedOverride = 500;  // clamped to 200
        if (turns == 100) control.hold = true;
        if (turns == 150) control.hold = false;
        if (turns == 200) control.stop = true;
    };
    const StreamOutcome outcome = c.session.stream(lines, control);
    EXPECT_EQ(outcome.end, StreamEnd::Stopped);
    EXPECT_EQ(c.peer.feedOverride, 100);  // the reset put it back
    const std::string& rt = c.peer.realtimeBytes;
    EXPECT_EQ(std::count(rt.begin(), rt.end(), grbl::kFeedOverridePlus10), 3 + 6);
    EXPECT_EQ(std::count(rt.begin(), rt.end(), grbl::kFeedOverridePlus1), 7 + 3);
    EXPECT_LT(rt.find(grbl::kFeedHold), rt.find(grbl::kCycleStart));
    EXPECT_EQ(rt.back(), grbl::kSoftReset);
    EXPECT_LT(acknowledgedAtStop, lines.size());
    ASSERT_TRUE(outcome.finalStatus);
    EXPECT_FALSE(outcome.finalStatus->moving());
}

TEST(GrblStream, ALostLineEndsTheStreamAsLost) {
    Connected c(128);
    c.peer.loseAfterLines = 40;
    StreamControl control;
    const StreamOutcome outcome = c.session.stream(randomLines(300, 30, 5), control);
    EXPECT_EQ(outcome.end, StreamEnd::Lost);
    EXPECT_NE(outcome.message.find("lost"), std::string::npos);
    EXPECT_LT(outcome.acknowledged, 300u);
}

TEST(GrblStream, AHandlerThatThrowsEndsTheStreamThroughTheStopPath) {
    Connected c(128);
    StreamControl control;
    control.progress = [](const StreamProgress& p) {
        if (p.acknowledged >= 20) throw std::runtime_error("a window's handler failed");
    };
    const StreamOutcome outcome = c.session.stream(randomLines(300, 30, 5), control);
    EXPECT_EQ(outcome.end, StreamEnd::Error);
    EXPECT_EQ(outcome.message, "a window's handler failed");
    EXPECT_EQ(c.peer.realtimeBytes.back(), grbl::kSoftReset);
}

TEST(GrblStream, ConnectWithoutABannerIsRefused) {
    struct Silent : SerialLine {
        void write(std::string_view) override {}
        std::string read(int) override { return {}; }
        std::string describe() const override { return "silent"; }
    } silent;
    FakeClock clock(1'000'000);
    GrblSession session(silent, clock);
    EXPECT_THROW(session.connect(), ControllerError);
}

}  // namespace
}  // namespace corvane
