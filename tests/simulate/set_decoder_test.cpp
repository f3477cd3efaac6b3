// The set decoder: port bytes through random pin maps back into the moves they were built from,
// count entries into segments, pauses and lead moves as Begin Cut plays them, and the whole
// decoded set against what the cut runner really writes to the simulated port.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/run_error.h"
#include "machine/workspace.h"
#include "run/cut_runner.h"
#include "simulate_fixture.h"

namespace corvane {
namespace {

void randomPinMap(SettingsFields& f, std::mt19937& rng) {
    std::array<int, 8> pins{2, 3, 4, 5, 6, 7, 8, 9};
    std::shuffle(pins.begin(), pins.end(), rng);
    std::string* texts[] = {&f.x1_dir, &f.x1_step, &f.y1_dir, &f.y1_step,
                            &f.x2_dir, &f.x2_step, &f.y2_dir, &f.y2_step};
    for (int i = 0; i < 8; ++i)
        *texts[i] = "Pin " + std::to_string(pins[static_cast<std::size_t>(i)]);
    f.reverseX1 = static_cast<int>(rng() % 2);
    f.reverseY1 = static_cast<int>(rng() % 2);
    f.reverseX2 = static_cast<int>(rng() % 2);
    f.reverseY2 = static_cast<int>(rng() % 2);
}

TEST(StepDecoder, BytesBuiltFromThePatternsDecodeToTheirMoves) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        MachineSettings s;
        s.fields.resetDefaults();
        randomPinMap(s.fields, rng);
        s.fields.steps_per_inch = "158";
        s.derive();
        const DerivedSettings& d = s.derived;
        const StepDecoder decode(d);
        const uint16_t plus[4] = {d.X1Back, d.Y1Up, d.X2Back, d.Y2Up};
        const uint16_t minus[4] = {d.X1Forward, d.Y1Down, d.X2Forward, d.Y2Down};
        const uint16_t plusDir[4] = {d.X1BackDir, d.Y1UpDir, d.X2BackDir, d.Y2UpDir};
        const uint16_t minusDir[4] = {d.X1ForwardDir, d.Y1DownDir, d.X2ForwardDir, d.Y2DownDir};
        for (int i = 0; i < 200; ++i) {
            unsigned byte = 0;
            std::array<int8_t, 4> asked{};
            for (std::size_t a = 0; a < 4; ++a) {
                asked[a] = static_cast<int8_t>(static_cast<int>(rng() % 3) - 1);
                const bool up = rng() % 2;  // the direction level of a standing axis
                byte += asked[a] > 0   ? plus[a]
                        : asked[a] < 0 ? minus[a]
                        : up           ? plusDir[a]
                                       : minusDir[a];
            }
            ASSERT_LT(byte, 256u);
            EXPECT_EQ(decode(static_cast<uint8_t>(byte)), asked)
                << "seed " << seed << " byte " << byte;
        }
    }
    // An axis whose step pin the settings never named does not step, whatever the byte.
    MachineSettings fresh;
    fresh.fields.x1_dir = "Pin 2";
    fresh.fields.x1_step = "Pin 3";
    fresh.derive();
    const StepDecoder decode(fresh.derived);
    EXPECT_TRUE(decode.wired(kX1));
    EXPECT_FALSE(decode.wired(kY2));
    for (unsigned byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(decode(static_cast<uint8_t>(byte))[kY1], 0);
        EXPECT_EQ(decode(static_cast<uint8_t>(byte))[kX1], (byte & 2) ? ((byte & 1) ? 1 : -1) : 0);
    }
}

struct Expected {
    SegmentKind kind;
    int number;
    int64_t ticks;
    int pausesAfter;
};

TEST(SetDecoder, CountEntriesBecomeSegmentsPausesAndLeadMovesAsBeginCutPlaysThem) {
    MachineSettings s;
    s.fields.resetDefaults();  // X1 direction on pin 2, step on pin 3: byte 3 is one step back
    s.fields.steps_per_inch = "158";
    s.derive();
    const StepDecoder decoder(s.derived);
    const LeadMoves lead{3, static_cast<uint8_t>(s.derived.X1Forward),
                         static_cast<uint8_t>(s.derived.X1Back)};
    using K = SegmentKind;
    struct Case {
        const char* name;
        std::vector<int32_t> counts;
        std::size_t lines;
        bool leads;
        int pausesAtStart;
        std::vector<Expected> segments;
    };
    const Case cases[] = {
        {"pauses after segments",
         {2, 0, 4, 0, 0, 6},
         6,
         false,
         0,
         {{K::Profile, 1, 2, 1}, {K::Profile, 2, 2, 2}, {K::Profile, 3, 2, 0}}},
        {"a first entry of 0 pauses before moving", {0, 3}, 3, false, 1, {{K::Profile, 1, 3, 0}}},
        {"with leads it pauses after the lead-in",
         {0, 3, 0},
         3,
         true,
         0,
         {{K::LeadIn, 0, 3, 1}, {K::Profile, 1, 3, 1}, {K::LeadOut, 0, 3, 0}}},
        {"totals that do not grow take no tick; extra lines stay unused",
         {3, 3, 2, 5},
         7,
         false,
         0,
         {{K::Profile, 1, 3, 0},
          {K::Profile, 2, 0, 0},
          {K::Profile, 3, 0, 0},
          {K::Profile, 4, 2, 0}}},
        {"an empty count file still makes the lead moves",
         {},
         0,
         true,
         0,
         {{K::LeadIn, 0, 3, 0}, {K::LeadOut, 0, 3, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedSet set;
        set.counts = c.counts;
        set.steps.assign(c.lines, static_cast<uint8_t>(s.derived.X1Back));
        std::vector<AxisSteps> visited;
        const DecodedSet d =
            decodeSet(set, decoder, c.leads ? std::optional(lead) : std::nullopt,
                      [&](const DecodedSegment&, const AxisSteps& at) { visited.push_back(at); });
        ASSERT_EQ(d.segments.size(), c.segments.size());
        int64_t ticks = 0, x1 = 0;
        for (std::size_t i = 0; i < c.segments.size(); ++i) {
            const DecodedSegment& got = d.segments[i];
            EXPECT_EQ(got.kind, c.segments[i].kind) << i;
            EXPECT_EQ(got.number, c.segments[i].number) << i;
            EXPECT_EQ(got.ticks, c.segments[i].ticks) << i;
            EXPECT_EQ(got.pausesAfter, c.segments[i].pausesAfter) << i;
            EXPECT_EQ(got.firstTick, ticks) << i;
            EXPECT_EQ(got.start[kX1], x1) << i;
            x1 += got.kind == K::LeadIn ? -got.ticks : got.ticks;
            EXPECT_EQ(got.end[kX1], x1) << i;
            ticks += got.ticks;
        }
        EXPECT_EQ(d.pausesAtStart, c.pausesAtStart);
        EXPECT_EQ(d.ticks, ticks);
        EXPECT_EQ(d.stepLines, c.lines);
        ASSERT_EQ(visited.size(), static_cast<std::size_t>(ticks));
        if (ticks > 0) {
            EXPECT_EQ(visited.back(), d.end);
        }
        EXPECT_EQ(d.end[kX1], x1);
    }

    LoadedSet shortSet;
    shortSet.counts = {2, 5};
    shortSet.steps.assign(4, 3);
    try {
        decodeSet(shortSet, decoder, std::nullopt);
        ADD_FAILURE() << "a step file shorter than its totals must not decode";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), static_cast<int>(ErrorNumber::InputPastEndOfFile));
        EXPECT_NE(e.detail().find("segment 2"), std::string::npos) << e.detail();
    }
}

// The runner on the simulated port, decoded write by write, lands where the decoder says, tick
// for tick, on random pin maps with lead moves and two delay points.
TEST(SetDecoder, AgreesWithWhatTheCutRunnerWritesToThePort) {
    for (unsigned seed = 1; seed <= 2; ++seed) {
        std::mt19937 rng(seed);
        test::DemoWingOptions o;
        o.rootChord = "40";
        o.tipChord = "25";
        o.tweak = [&](SettingsFields& f) { randomPinMap(f, rng); };
        test::DemoWing m(o);
        const Simulation sim = m.simulate();
        m.ws.motion.CutSpeed = Fixed4::fromDouble(6.2);
        m.ws.position.HomeSet = true;
        m.port.setRecording(false);

        std::vector<AxisSteps> expected;
        visitTicks(sim.set, *sim.decoder, sim.lead, sim.decoded,
                   [&](const DecodedSegment&, const AxisSteps& at) { expected.push_back(at); });
        std::vector<AxisSteps> written;
        AxisSteps at{};
        m.port.setObserver([&](const PortOperation& op) {
            if (op.kind != PortOperation::Kind::Out || op.port != 888) return;
            const auto& move = (*sim.decoder)(op.value);
            for (std::size_t a = 0; a < 4; ++a) at[a] += move[a];
            written.push_back(at);
        });
        CutRunner runner(m.ws);
        const CutOutcome out = runner.run(Fixed4::fromInt(1));
        ASSERT_EQ(out.end, CutEnd::Completed) << "seed " << seed;
        EXPECT_EQ(out.stats.ticks, sim.decoded.ticks);
        EXPECT_EQ(out.stats.pauses, sim.decoded.pauses);
        EXPECT_EQ(out.stats.segments, sim.decoded.profileSegments);
        EXPECT_EQ(sim.decoded.pauses, 2);
        EXPECT_GT(sim.decoded.leadTicks, 0);
        EXPECT_TRUE(written == expected) << "seed " << seed;
        const float counted[4] = {m.ws.position.Position.X1, m.ws.position.Position.Y1,
                                  m.ws.position.Position.X2, m.ws.position.Position.Y2};
        for (std::size_t a = 0; a < 4; ++a)
            EXPECT_NEAR(counted[a], static_cast<double>(sim.decoded.end[a]) / 158, 1e-3) << a;
    }
}

}  // namespace
}  // namespace corvane
