#include "run/cut_runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/memory_lock.h"
#include "run/run_fixture.h"

namespace corvane {
namespace {

using test::RunnerBench;
using Kind = PortOperation::Kind;

// The data register sees the lead-in, every byte of cut.ct1 in order and the lead-out; each
// write is followed by the four step-bit clears (X1, X2, Y1, Y2) and nothing else is written.
TEST(CutRunner, WritesLeadInEveryStepByteAndLeadOutWithClearsAfterEach) {
    RunnerBench b;
    b.ws.settings.fields.lead_in = 1;
    b.ws.settings.fields.horizontal = true;
    b.ws.settings.fields.lead_out = 1;
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.0190);  // 158 x 0.019 = 3.002 -> 3
    const std::vector<int> steps = {0x03, 0x0B, 0x22, 0x02, 0xF3, 0x51, 0x13};
    b.writeSet(steps, {2, 0, 5, 0, 0, 7});
    std::vector<int> marked;
    CutRunner runner(b.ws);
    runner.onSegmentDone = [&](int g) { marked.push_back(g); };

    const CutOutcome out = runner.run(Fixed4::fromInt(4));

    ASSERT_EQ(out.end, CutEnd::Completed);
    EXPECT_FALSE(out.error);
    std::vector<uint8_t> expected = {0x33, 0x33, 0x33};
    expected.insert(expected.end(), steps.begin(), steps.end());
    expected.insert(expected.end(), {0x11, 0x11, 0x11});
    EXPECT_EQ(b.dataWrites(), expected);
    EXPECT_EQ(marked, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(out.stats.ticks, 13);
    EXPECT_EQ(out.stats.setTicks, 7);
    EXPECT_EQ(out.stats.segments, 3);
    EXPECT_EQ(out.stats.pauses, 3);
    EXPECT_EQ(out.stats.percentComplete(), 100);

    // Every Out on the data register is followed by exactly CLR 0, CLR 4, CLR 2, CLR 6 (the
    // lead moves start with one extra set of clears).
    const auto& ops = b.port.operations();
    int outs = 0;
    for (size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind != Kind::Out) continue;
        ++outs;
        ASSERT_LT(i + 4, ops.size() + 1);
        const uint8_t bits[] = {0, 4, 2, 6};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(ops[i + 1 + k].kind, Kind::Clr) << "after write " << outs;
            EXPECT_EQ(ops[i + 1 + k].port, 888);
            EXPECT_EQ(ops[i + 1 + k].value, bits[k]);
        }
    }
    for (const PortOperation& op : ops) EXPECT_NE(op.kind, Kind::Set);
    // The register ends with the last byte's direction bits and no step bit.
    EXPECT_EQ(b.port.reg(888), 0x11 & ~0x55);
}

// A zero entry waits the pause length without a write; two zero entries wait twice.
// A cut that cannot lock the memory says so in the status bar once a session (a workspace),
// not at every cut; another session says it again.
TEST(CutRunner, UnlockedMemoryIsSaidOnceAWorkspace) {
    if (MemoryLock().locked()) GTEST_SKIP() << "this user may lock the memory";
    for (int session = 0; session < 2; ++session) {
        RunnerBench b;
        b.writeSet({0x03, 0x0B}, {2});
        std::vector<std::string> panel2;
        b.ws.showStatus = [&](int panel, const std::string& text) {
            if (panel == 2) panel2.push_back(text);
        };
        CutRunner runner(b.ws);
        for (int cut = 0; cut < 2; ++cut) {
            const CutOutcome out = runner.run(Fixed4::fromInt(1));
            ASSERT_EQ(out.end, CutEnd::Completed) << out.memoryRefusal;
            EXPECT_FALSE(out.memoryRefusal.empty());
        }
        CutRunner second(b.ws);  // another cut window of the same session
        EXPECT_EQ(second.run(Fixed4::fromInt(1)).end, CutEnd::Completed);
        EXPECT_EQ(std::count(panel2.begin(), panel2.end(), MemoryLock().refusal()), 1)
            << "session " << session;
    }
}

TEST(CutRunner, PausesAtZeroEntriesWithoutWriting) {
    RunnerBench b;
    b.writeSet({1, 2, 3}, {1, 0, 0, 3});
    int64_t lastOutAt = 0;
    std::vector<int64_t> gaps;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind != Kind::Out) return;
        gaps.push_back(b.clock.peek() - lastOutAt);
        lastOutAt = b.clock.peek();
    });
    CutRunner runner(b.ws);
    const CutOutcome out = runner.run(Fixed4::fromInt(50));
    ASSERT_EQ(out.end, CutEnd::Completed);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(out.stats.pauses, 2);
    // One tick at 5 mm/s is 1000 / 790 ms; the gap holding the two pauses is longer by 100 ms.
    ASSERT_EQ(gaps.size(), 3u);
    const int64_t tickNs = gaps[2];
    EXPECT_GE(gaps[1], tickNs + 100'000'000);
    EXPECT_LT(gaps[1], tickNs + 101'000'000);
    EXPECT_LT(tickNs, 1'400'000);
}

// Stop is seen after the tick in which it was asked for; no later byte is written, and the
// segment that was interrupted is not marked.
TEST(CutRunner, StopEndsAtTheNextTickAndAStoppedCutStartsOverFromTheBeginning) {
    RunnerBench b;
    b.writeSet({1, 2, 3, 4, 5, 6}, {2, 4, 6});
    CutRunner runner(b.ws);
    std::vector<int> marked;
    runner.onSegmentDone = [&](int g) { marked.push_back(g); };
    int ticks = 0;
    runner.onTick = [&](const CutStats& s) { ticks = static_cast<int>(s.ticks); };
    runner.yield = [&] {
        if (ticks == 3) runner.requestStop();
    };
    const CutOutcome out = runner.run(Fixed4::fromInt(1));
    EXPECT_EQ(out.end, CutEnd::Stopped);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(marked, (std::vector<int>{2}));
    EXPECT_EQ(out.stats.percentComplete(), 50);

    b.port.clearOperations();
    runner.yield = nullptr;
    const CutOutcome again = runner.run(Fixed4::fromInt(1));
    EXPECT_EQ(again.end, CutEnd::Completed);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

// The set is read once at Begin Cut, before the lead-in: a missing set fails before the first
// tick (no lead-in into the foam with nothing to cut), and a Stop during the lead-in ends the cut
// before the step file's ticks begin.
TEST(CutRunner, AMissingSetFailsBeforeTheLeadInAndStopDuringItEndsTheCut) {
    RunnerBench b;
    b.ws.settings.fields.lead_in = 1;
    b.ws.settings.fields.vertical = true;
    b.ws.settings.fields.lead_out = 0;
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.05);  // 7.9 -> 8 ticks
    CutRunner runner(b.ws);
    CutOutcome out = runner.run(Fixed4::fromInt(1));
    EXPECT_EQ(out.end, CutEnd::Failed);
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->number(), 53);
    EXPECT_TRUE(b.dataWrites().empty());

    b.writeSet({1, 2}, {2});
    bool opened = false;
    runner.onFilesOpened = [&] { opened = true; };
    int ticks = 0;
    runner.onTick = [&](const CutStats& s) { ticks = static_cast<int>(s.ticks); };
    runner.yield = [&] {
        if (ticks == 2) runner.requestStop();
    };
    out = runner.run(Fixed4::fromInt(1));
    EXPECT_EQ(out.end, CutEnd::Stopped);
    EXPECT_FALSE(out.error);
    EXPECT_FALSE(opened);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{0xCC, 0xCC}));
}

// Stop during a long pause ends the cut without waiting out the pause.
TEST(CutRunner, StopDuringAPauseEndsTheCut) {
    RunnerBench b;
    b.writeSet({1, 2}, {1, 0, 2});
    CutRunner runner(b.ws);
    int yields = 0;
    runner.yield = [&] {
        if (runner.stats().pauses == 1 && ++yields == 3) runner.requestStop();
    };
    const int64_t before = b.clock.peek();
    const CutOutcome out = runner.run(Fixed4::fromInt(60'000));
    EXPECT_EQ(out.end, CutEnd::Stopped);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{1}));
    EXPECT_LT(b.clock.peek() - before, 1'000'000'000);  // far less than the minute asked
}

TEST(CutRunner, LeadMovesFollowTheSettings) {
    RunnerBench b;
    SettingsFields& f = b.ws.settings.fields;
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(2.5);
    f.lead_in = 0;
    f.horizontal = true;
    EXPECT_FALSE(leadMovesFor(b.ws));

    f.lead_in = 1;
    f.lead_out = 0;
    auto m = leadMovesFor(b.ws);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->ticks, 395);
    EXPECT_EQ(m->leadInByte, 0x33);
    EXPECT_EQ(m->leadOutByte, 0x33);
    f.lead_out = 1;
    EXPECT_EQ(leadMovesFor(b.ws)->leadOutByte, 0x11);

    f.horizontal = false;
    f.vertical = true;
    EXPECT_EQ(leadMovesFor(b.ws)->leadInByte, 0xCC);
    EXPECT_EQ(leadMovesFor(b.ws)->leadOutByte, 0x44);
    f.lead_out = 0;
    EXPECT_EQ(leadMovesFor(b.ws)->leadOutByte, 0xCC);

    // Half a tick rounds to the even neighbour: 1.5 ticks -> 2, 2.5 ticks -> 2.
    b.ws.settings.derived.StepsPerMm = 100;
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.015);
    EXPECT_EQ(leadMovesFor(b.ws)->ticks, 2);
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.025);
    EXPECT_EQ(leadMovesFor(b.ws)->ticks, 2);
}

// A short step file fails at the read past its end, after the bytes it has; a mark beyond the
// profile fails the same way; both come back as errors, never as a completed cut.
TEST(CutRunner, ShortFilesAndFailedMarksEndTheCutWithAnError) {
    RunnerBench b;
    b.writeSet({1, 2, 3}, {2, 5});
    CutRunner runner(b.ws);
    CutOutcome out = runner.run(Fixed4::fromInt(1));
    EXPECT_EQ(out.end, CutEnd::Failed);
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->number(), 62);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{1, 2, 3}));

    b.port.clearOperations();
    b.writeSet({1, 2, 3}, {1, 2, 3});
    runner.onSegmentDone = [](int g) {
        if (g > 3) throw RunError(ErrorNumber::SubscriptOutOfRange);
    };
    out = runner.run(Fixed4::fromInt(1));
    EXPECT_EQ(out.end, CutEnd::Failed);
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->number(), 9);
    EXPECT_EQ(out.stats.segments, 2);  // a three-point profile has two segments

    // Garbled and out-of-range lines are refused before the first byte of the set.
    b.port.clearOperations();
    test::writeText(b.ws.file("cut.ct1"), "1\r\nabc\r\n");
    test::writeLines(b.ws.file("cut_cnt.ct2"), {2});
    out = runner.run(Fixed4::fromInt(1));
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->number(), 13);
    b.writeSet({1, 300}, {2});
    out = runner.run(Fixed4::fromInt(1));
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->number(), 6);
    EXPECT_TRUE(b.dataWrites().empty());

    // A speed of 0 is a division by zero at the first tick.
    b.writeSet({1}, {1});
    b.ws.motion.CutSpeed = Fixed4{};
    out = runner.run(Fixed4::fromInt(1));
    ASSERT_TRUE(out.error);
    EXPECT_EQ(out.error->number(), 11);
}

// The slider's speed takes effect at the next tick: the high time follows CutSpeed.
TEST(CutRunner, SpeedChangesTakeEffectAtTheNextTick) {
    RunnerBench b;
    b.ws.motion.CutSpeed = Fixed4::fromInt(1);
    b.writeSet({1, 1, 1, 1}, {4});
    std::vector<int64_t> high;
    int64_t outAt = 0;
    bool inTick = false;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind == Kind::Out) {
            outAt = b.clock.peek();
            inTick = true;
        } else if (op.kind == Kind::Clr && inTick) {
            high.push_back(b.clock.peek() - outAt);
            inTick = false;
        }
    });
    CutRunner runner(b.ws);
    runner.onTick = [&](const CutStats& s) {
        if (s.ticks == 2) b.ws.motion.CutSpeed = Fixed4::fromInt(5);
    };
    ASSERT_EQ(runner.run(Fixed4::fromInt(1)).end, CutEnd::Completed);
    ASSERT_EQ(high.size(), 4u);
    // 5.3291 ms at 1 mm/s, 0.2658 ms at 5 mm/s from the tick after the change (which starts a
    // new schedule, so its high time is whole). The clear keeps the schedule: a tick a few clock
    // reads late is that much shorter.
    EXPECT_GE(high[0], 5'329'100);
    EXPECT_NEAR(high[1], 5'329'100, 10'000);
    EXPECT_GE(high[2], 265'800);
    EXPECT_LT(high[2], 1'000'000);
    EXPECT_LT(high[3], 1'000'000);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// An independent decoder of the data-register writes agrees with the position the ticks
// counted, lead moves included, also when the yield sometimes outlasts the low millisecond and
// the high time is empty (above the slider top). Seeded random bytes.
TEST(CutRunner, DecodedWritesMatchTheCountedPosition) {
    for (uint32_t seed : {1u, 7u, 42u}) {
        RunnerBench b;
        b.ws.position.HomeSet = true;
        b.ws.settings.derived.MmPerStep = 1.0 / 158;
        b.ws.settings.fields.lead_in = 1;
        b.ws.settings.fields.horizontal = true;
        b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.1);
        b.ws.motion.CutSpeed = Fixed4::fromInt(seed == 1 ? 3 : 10);
        uint32_t state = seed;
        auto next = [&state] {
            state = state * 1664525u + 1013904223u;
            return state >> 24;
        };
        std::vector<int> steps, counts;
        for (int k = 0; k < 400; ++k) {
            steps.push_back(static_cast<int>(next() & 0xFF));
            if (k % 37 == 36) counts.push_back(k + 1);
        }
        counts.push_back(400);
        b.writeSet(steps, counts);
        CutRunner runner(b.ws);
        int n = 0;
        runner.yield = [&] {
            if (++n % 5 == 0) b.clock.advance(1'500'000);
        };
        ASSERT_EQ(runner.run(Fixed4::fromInt(1)).end, CutEnd::Completed);

        int count[4] = {0, 0, 0, 0};  // X1, Y1, X2, Y2 in steps
        for (uint8_t byte : b.dataWrites())
            for (int axis = 0; axis < 4; ++axis)
                if (byte & (1 << (2 * axis))) count[axis] += (byte & (2 << (2 * axis))) ? 1 : -1;
        const AxisPosition& p = b.ws.position.Position;
        const float got[4] = {p.X1, p.Y1, p.X2, p.Y2};
        for (int axis = 0; axis < 4; ++axis)
            EXPECT_NEAR(got[axis] * 158.0, count[axis], 0.01)
                << "seed " << seed << " axis " << axis;
    }
}

}  // namespace
}  // namespace corvane
