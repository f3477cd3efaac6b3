// What the program knows of a scripted controller between and during moves: the wire and the
// override as it last reported them (a report without A: or Ov: changes nothing), a controller
// that falls silent is lost, an alarm left by a Stop refuses the next jog before anything is
// sent, the homing cycle lets the windows run, shows its progress and can be stopped, and a
// board's own axes ([AXS:]) carry X1 Y1 X2 Y2 as X Y Z A or X Y U V, or refuse it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controller/controller_choice.h"
#include "controller/grbl_connection.h"
#include "controller/grbl_session.h"
#include "platform/monotonic_clock.h"
#include "support/fake_grbl_peer.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::FakeGrblPeer;

TEST(GrblControllerState, AbsentAccessoryAndOverrideFieldsLeaveTheLastReportedValues) {
    FakeGrblPeer peer(1024);
    FakeClock clock(100'000);
    GrblSession session(peer, clock);
    session.connect();
    // As grblHAL reports a cut: A: and Ov: only now and then; an Ov: without A: says every
    // output is off; an empty A: says so too.
    const struct {
        const char* report;
        const char* wire;  // "on", "off" or "?" (not reported yet)
        int feedOverride;
    } steps[] = {
        {"Idle|MPos:0,0,0,0|FS:0,0", "off", 100},  // connecting's report had an empty A:
        {"Run|MPos:1,0,0,0|FS:300,1000|A:S", "on", 100},
        {"Run|MPos:2,0,0,0|FS:300,1000", "on", 100},
        {"Run|MPos:3,0,0,0|FS:300,1000|Ov:120,100,100|A:S", "on", 120},
        {"Run|MPos:4,0,0,0|FS:360,1000", "on", 120},
        {"Run|MPos:5,0,0,0|FS:360,1000|WCO:0,0,0,0", "on", 120},
        {"Run|MPos:6,0,0,0|FS:360,0|A:", "off", 120},
        {"Run|MPos:7,0,0,0|FS:360,0", "off", 120},
        {"Run|MPos:8,0,0,0|FS:360,0|A:F", "on", 120},
        {"Idle|MPos:9,0,0,0|FS:0,0|Ov:100,100,100", "off", 100},
        {"Idle|MPos:9,0,0,0|FS:0,0", "off", 100},
    };
    // Before any report with A: or Ov:, the wire is not known.
    EXPECT_FALSE(
        grbl::mergeStatus(std::nullopt, *grbl::parseStatus("<Run|MPos:0,0,0,0>")).accessoriesKnown);
    for (const auto& step : steps) peer.statusScript.push_back(step.report);
    for (const auto& step : steps) {
        const auto s = session.queryStatus();
        ASSERT_TRUE(s) << step.report;
        const std::string wire = !s->accessoriesKnown             ? "?"
                                 : (s->spindleOn || s->coolantOn) ? "on"
                                                                  : "off";
        EXPECT_EQ(wire, step.wire) << step.report;
        EXPECT_EQ(s->overrides[0], step.feedOverride) << step.report;
    }
}

TEST(GrblControllerState, ASilentControllerEndsTheStreamAsLost) {
    FakeGrblPeer peer(256);
    FakeClock clock(100'000);
    GrblSession session(peer, clock);
    session.connect();
    peer.received.clear();
    peer.silentAfterLines = 20;
    std::vector<ProgramLine> lines;
    for (int i = 1; i <= 200; ++i) lines.push_back({i, "G1 X" + std::to_string(i) + " F600"});
    StreamControl control;
    int turns = 0;
    // A stream that waited for ever would end here, by the operator's Stop.
    control.yield = [&] {
        if (++turns == 500'000) control.stop = true;
    };
    const StreamOutcome outcome = session.stream(lines, control);
    EXPECT_EQ(outcome.end, StreamEnd::Lost) << outcome.message;
    EXPECT_NE(outcome.message.find("no status report for 4 s"), std::string::npos)
        << outcome.message;
    EXPECT_LT(turns, 500'000);
}

struct Board {
    explicit Board(std::string axes = {}) : ws(m.dir.path(), m.port, clock) {
        ws.settings = m.ws.settings;
        ControllerChoice choice;
        choice.address = "grbl:/dev/fake";
        choice.homingCycle = true;
        connection =
            std::make_unique<GrblConnection>(ws, choice, [this, axes](const ControllerAddress&) {
                auto made = std::make_unique<FakeGrblPeer>(1024);
                made->axes = axes;
                peer = made.get();
                return std::unique_ptr<SerialLine>(std::move(made));
            });
    }
    test::TestMachine m;
    FakeClock clock{100'000};
    Workspace ws;
    FakeGrblPeer* peer = nullptr;
    std::unique_ptr<GrblConnection> connection;
};

TEST(GrblControllerState, AnAlarmLeftByAStopRefusesTheNextJogBeforeAnythingIsSent) {
    Board b;
    ASSERT_EQ(b.connection->connect(), "");
    ASSERT_NE(b.peer, nullptr);
    b.peer->alarmed = true;  // what a Stop mid-motion leaves: ALARM:3
    b.peer->received.clear();
    const ControllerJog jog = b.connection->jog(
        {1, 0, 0, 0}, 300, [] { return false; }, [] {});
    EXPECT_NE(jog.error.find("in alarm"), std::string::npos) << jog.error;
    EXPECT_NE(jog.error.find("Unlock ($X)"), std::string::npos) << jog.error;
    for (const std::string& line : b.peer->received)
        EXPECT_NE(line.rfind("$J=", 0), 0u) << "sent in alarm: " << line;
    // Unlocked, the jog goes.
    b.peer->alarmed = false;
    EXPECT_EQ(b.connection
                  ->jog(
                      {1, 0, 0, 0}, 300, [] { return false; }, [] {})
                  .error,
              "");
    EXPECT_EQ(b.peer->received.back().rfind("$J=", 0), 0u);
}

TEST(GrblControllerState, HomingShowsProgressKeepsTheWindowsRunningAndCanBeStopped) {
    Board b;
    ASSERT_EQ(b.connection->connect(), "");
    b.peer->homingReads = 5000;
    int turns = 0;
    std::vector<std::string> states;
    auto homed =
        b.connection->homingCycle([] { return false; }, [&] { ++turns; },
                                  [&](const ControllerProgress& p) { states.push_back(p.state); });
    ASSERT_TRUE(homed);
    EXPECT_EQ(homed->error, "");
    EXPECT_FALSE(homed->positionLost);
    EXPECT_GT(turns, 10);  // the windows ran while it homed
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), "Home");

    // Stopped: the soft reset ends the cycle, and the machine is not homed.
    b.peer->homingReads = 1'000'000;
    const int resets = b.peer->resets;
    turns = 0;
    homed = b.connection->homingCycle([&] { return turns >= 20; }, [&] { ++turns; },
                                      [](const ControllerProgress&) {});
    ASSERT_TRUE(homed);
    EXPECT_TRUE(homed->cancelled);
    EXPECT_TRUE(homed->positionLost);
    EXPECT_NE(homed->error.find("not homed"), std::string::npos) << homed->error;
    EXPECT_EQ(b.peer->resets, resets + 1);
}

TEST(GrblControllerState, ABoardsOwnAxesCarryTheTowersOrAreRefused) {
    // Built with U and V: X1 Y1 X2 Y2 go as X Y U V, Z idle.
    Board uv("XYZUV");
    ASSERT_EQ(uv.connection->connect(), "");
    EXPECT_EQ(uv.connection->session()->identity().axisMap.letters, "XYUV");
    EXPECT_EQ(uv.connection
                  ->jog(
                      {1, 2, 3, 4}, 300, [] { return false; }, [] {})
                  .error,
              "");
    EXPECT_EQ(uv.peer->received.back(), "$J=G91 G21 X1.0000 Y2.0000 U3.0000 V4.0000 F300.000");
    // Three axes cannot carry four.
    Board xyz("XYZ");
    const std::string refusal = xyz.connection->connect();
    EXPECT_NE(refusal.find("axes are XYZ"), std::string::npos) << refusal;
    const ControllerJog jog = xyz.connection->jog(
        {1, 0, 0, 0}, 300, [] { return false; }, [] {});
    EXPECT_EQ(jog.error, refusal);
    for (const std::string& line : xyz.peer->received) EXPECT_NE(line.rfind("$J=", 0), 0u);
}

}  // namespace
}  // namespace corvane
