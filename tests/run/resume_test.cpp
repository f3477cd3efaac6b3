// A cut stopped anywhere and resumed must put out exactly the ticks an uninterrupted cut puts
// out after that point, and a resume from an earlier point must first retrace the path
// backwards; the record must say where the cut stands and refuse a set that changed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "run/cut_record.h"
#include "run/cut_runner.h"
#include "run/resume_plan.h"
#include "run/run_fixture.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::RunnerBench;

// A random set: segments of 0..4 ticks (the first 2..6), random bytes, delay points after
// some segments; lead moves on in half of the cases.
struct RandomSet {
    std::vector<int> steps, counts;
    bool lead = false;
};

RandomSet randomSet(std::mt19937& rng) {
    RandomSet s;
    std::uniform_int_distribution<int> segments(2, 9), ticks(0, 4), byte(0, 255), coin(0, 3);
    int total = 0;
    const int n = segments(rng);
    for (int g = 0; g < n; ++g) {
        const int k = g == 0 ? 2 + ticks(rng) : ticks(rng);
        for (int i = 0; i < k; ++i) s.steps.push_back(byte(rng));
        total += k;
        s.counts.push_back(total);
        if (coin(rng) == 0) s.counts.push_back(0);
    }
    s.lead = coin(rng) < 2;
    return s;
}

struct Bench : RunnerBench {
    explicit Bench(const RandomSet& s) {
        writeSet(s.steps, s.counts);
        ws.position.HomeSet = true;
        ws.position.Position = {10, 20, 30, 40};
        if (s.lead) {
            ws.settings.fields.lead_in = 1;
            ws.settings.fields.horizontal = true;
            ws.settings.fields.lead_out = 1;
            ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.02);  // 3 ticks
        }
    }
    CutOutcome run(CutRunner& runner, const ResumePlan* plan = nullptr) {
        runner.record = CutRunner::Record::Wing;
        return runner.run(Fixed4::fromInt(1), plan);
    }
};

// Stops Begin Cut after `ticks` ticks.
CutOutcome runStoppedAfter(Bench& b, int64_t ticks) {
    CutRunner runner(b.ws);
    runner.onTick = [&](const CutStats& s) {
        if (s.ticks == ticks) runner.requestStop();
    };
    return b.run(runner);
}

TEST(CutResume, StoppedAtAnyTickAndResumedWhereItStoppedPutsOutTheRestOfTheUninterruptedCut) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        const RandomSet set = randomSet(rng);
        Bench whole(set);
        CutRunner runner(whole.ws);
        ASSERT_EQ(whole.run(runner).end, CutEnd::Completed);
        const std::vector<uint8_t> expected = whole.dataWrites();
        EXPECT_FALSE(readCutRecord(whole.ws.appFolder())) << "a finished cut keeps no record";

        Bench b(set);
        const int64_t stopAt = std::uniform_int_distribution<int64_t>(
            1, static_cast<int64_t>(expected.size()) - 1)(rng);
        ASSERT_EQ(runStoppedAfter(b, stopAt).end, CutEnd::Stopped) << "seed " << seed;
        const std::optional<CutRecord> record = readCutRecord(b.ws.appFolder());
        ASSERT_TRUE(record) << "seed " << seed;
        EXPECT_EQ(record->place.tick, stopAt);
        EXPECT_EQ(record->syncedTick, stopAt);
        EXPECT_EQ(record->syncedAt, RecordSync::Stop);
        EXPECT_EQ(record->place.position, b.ws.position.Position) << "seed " << seed;

        // A new program after a crash: nothing counted, the record says where the carriages are.
        b.ws.position = PositionState{};
        b.port.clearOperations();
        const ResumePlan plan = planResumeIn(b.ws, {}, 0);
        EXPECT_EQ(plan.backTicks(), 0);
        CutRunner again(b.ws);
        ASSERT_EQ(b.run(again, &plan).end, CutEnd::Completed) << "seed " << seed;
        const std::vector<uint8_t> rest(expected.begin() + stopAt, expected.end());
        EXPECT_EQ(b.dataWrites(), rest) << "seed " << seed << " stopped at " << stopAt;
        EXPECT_EQ(b.ws.position.Position, whole.ws.position.Position) << "seed " << seed;
        EXPECT_FALSE(readCutRecord(b.ws.appFolder()));
    }
}

// From a delay point or a segment behind the stop: the ticks between go back in reverse order
// with every direction bit inverted, then the cut goes on from there as it did the first time.
TEST(CutResume, FromAnEarlierPointRetracesThePathBackwardsThenCutsOnFromThere) {
    int resumed = 0;
    for (unsigned seed = 100; seed < 160; ++seed) {
        std::mt19937 rng(seed);
        const RandomSet set = randomSet(rng);
        Bench whole(set);
        CutRunner runner(whole.ws);
        ASSERT_EQ(whole.run(runner).end, CutEnd::Completed);
        const std::vector<uint8_t> expected = whole.dataWrites();

        Bench b(set);
        const auto n = static_cast<int64_t>(expected.size());
        const int64_t stopAt = std::uniform_int_distribution<int64_t>(1, n - 1)(rng);
        ASSERT_EQ(runStoppedAfter(b, stopAt).end, CutEnd::Stopped);
        const CutTape tape = readCutTape(b.ws, *readCutRecord(b.ws.appFolder()));
        const int segments = tape.segmentAt(tape.size());
        const int segment = std::uniform_int_distribution<int>(1, segments)(rng);
        ResumeRequest request{ResumeRequest::From::Segment, segment};
        if (tape.lastDelayPointAt(stopAt) > 0 && rng() % 2 == 0)
            request = {ResumeRequest::From::LastDelayPoint, 0};
        ResumePlan plan;
        try {
            plan = planResumeIn(b.ws, request, 0);
        } catch (const ResumeRefused& e) {
            EXPECT_GT(tape.segmentStart(segment), stopAt) << e.what();
            EXPECT_NE(std::string(e.what()).find("lies ahead of where the cut stopped"),
                      std::string::npos);
            continue;
        }
        ++resumed;
        b.port.clearOperations();
        CutRunner again(b.ws);
        ASSERT_EQ(b.run(again, &plan).end, CutEnd::Completed);
        std::vector<uint8_t> want;
        for (int64_t t = stopAt; t > plan.to; --t)
            want.push_back(
                reversedByte(expected[static_cast<std::size_t>(t - 1)], b.ws.settings.derived));
        want.insert(want.end(), expected.begin() + plan.to, expected.end());
        EXPECT_EQ(b.dataWrites(), want) << "seed " << seed;
        EXPECT_EQ(b.ws.position.Position, whole.ws.position.Position) << "seed " << seed;
    }
    EXPECT_GT(resumed, 20);
}

TEST(CutResume, RefusesAChangedSetNamingTheFileAPointAheadAndMovedCarriages) {
    std::mt19937 rng(7);
    RandomSet set = randomSet(rng);
    set.lead = false;
    set.counts = {3, 0, 5, 0, 8};
    set.steps = {1, 4, 16, 64, 1, 4, 16, 64};
    Bench b(set);
    ASSERT_EQ(runStoppedAfter(b, 4).end, CutEnd::Stopped);
    EXPECT_EQ(planResumeIn(b.ws, {ResumeRequest::From::LastDelayPoint, 0}, 5).to, 3);
    EXPECT_EQ(planResumeIn(b.ws, {ResumeRequest::From::DelayPoint, 1}, 5).backTicks(), 1);
    const std::string what = planResumeIn(b.ws, {}, 5).what;
    EXPECT_NE(what.find("X1 9.994, Y1 19.994, X2 29.994, Y2 39.994 mm"), std::string::npos) << what;
    EXPECT_NE(what.find("heats for 5 s before the first tick"), std::string::npos) << what;

    auto refusal = [&](ResumeRequest request) {
        try {
            planResumeIn(b.ws, request, 5);
        } catch (const ResumeRefused& e) {
            return std::string(e.what());
        }
        return std::string("not refused");
    };
    EXPECT_NE(refusal({ResumeRequest::From::DelayPoint, 2}).find("Delay point 2 lies ahead"),
              std::string::npos);
    EXPECT_NE(refusal({ResumeRequest::From::Segment, 9}).find("There is no segment 9"),
              std::string::npos);
    b.ws.position.Position.X2 += 1;
    EXPECT_NE(refusal({}).find("the carriages have moved since the cut stopped"),
              std::string::npos);
    b.ws.position.Position.X2 -= 1;

    for (const char* file : kSetFiles) {
        const std::filesystem::path path = b.ws.file(file);
        const bool existed = std::filesystem::exists(path);
        const std::string before = existed ? test::readFile(path) : std::string();
        test::writeText(path, before + "1\r\n");
        EXPECT_NE(refusal({}).find(std::string("resumed: ") + file + " has changed"),
                  std::string::npos)
            << refusal({});
        if (existed)
            test::writeText(path, before);
        else
            std::filesystem::remove(path);
    }
    EXPECT_EQ(refusal({}), "not refused");
    removeCutRecord(b.ws.appFolder());
    EXPECT_NE(refusal({}).find("There is no stopped cut to resume"), std::string::npos);
}

// The map is the record: a tick written is in the file at once, without a sync; a file that is
// not a record is refused by name rather than read as one.
TEST(CutResume, EveryTickIsInTheRecordFileAsItIsWrittenAndAForeignFileIsRefused) {
    RandomSet set;
    set.steps = {1, 4, 16, 64, 1};
    set.counts = {2, 0, 5};
    Bench b(set);
    CutRunner runner(b.ws);
    std::vector<int64_t> seen;
    runner.onTick = [&](const CutStats&) {
        seen.push_back(readCutRecord(b.ws.appFolder())->place.tick);
        if (seen.size() == 1) runner.syncRecord(RecordSync::Pause);
    };
    runner.record = CutRunner::Record::Foam;
    std::optional<CutRecord> atEnd;
    runner.onSegmentDone = [&](int g) {
        if (g == 3) atEnd = readCutRecord(b.ws.appFolder());
    };
    ASSERT_EQ(runner.run(Fixed4::fromInt(1)).end, CutEnd::Completed);
    EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3, 4, 5}));
    ASSERT_TRUE(atEnd);
    EXPECT_TRUE(atEnd->foam);
    EXPECT_EQ(atEnd->syncedTick, 2);  // the delay point after segment 1
    EXPECT_EQ(atEnd->syncedAt, RecordSync::DelayPoint);
    EXPECT_NE(atEnd->guarantee().find("after a power failure only up to tick 2"),
              std::string::npos);

    test::writeText(b.ws.file(kCutRecordName), "half a record");
    try {
        (void)readCutRecord(b.ws.appFolder());
        ADD_FAILURE() << "a foreign file was read as a record";
    } catch (const RunError& e) {
        EXPECT_NE(e.detail().find(kCutRecordName), std::string::npos) << e.detail();
    }
}

// A second cut from the same folder (another program, or a window beside it) neither replaces
// the running cut's record nor removes it at its end: it is refused the record, by name.
TEST(CutResume, ASecondCutFromTheSameFolderLeavesTheFirstOnesRecordAlone) {
    RandomSet set;
    set.steps = {1, 4, 16, 64, 1};
    set.counts = {2, 0, 5};
    Bench b(set);
    CutRunner runner(b.ws);
    std::string refused;
    std::optional<CutRecord> after;
    runner.onTick = [&](const CutStats& stats) {
        if (stats.ticks != 2) return;
        try {
            CutRecorder second(b.ws.appFolder(), *readCutRecord(b.ws.appFolder()));
        } catch (const RunError& e) {
            refused = e.detail();
        }
        after = readCutRecord(b.ws.appFolder());
    };
    runner.record = CutRunner::Record::Wing;
    ASSERT_EQ(runner.run(Fixed4::fromInt(1)).end, CutEnd::Completed);
    EXPECT_NE(refused.find("is kept by another cut from this application folder"),
              std::string::npos)
        << refused;
    EXPECT_NE(refused.find("(process " + std::to_string(::getpid()) + ")"), std::string::npos)
        << refused;
    ASSERT_TRUE(after);
    EXPECT_EQ(after->place.tick, 2);
    // Ended, the first cut lets the next one keep a record.
    CutRecorder next(b.ws.appFolder(), *after);
    EXPECT_TRUE(readCutRecord(b.ws.appFolder()));
}

}  // namespace
}  // namespace corvane
