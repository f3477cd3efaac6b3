// What a resume may trust: a record whose every byte it uses proves itself, that belongs to this
// folder and these settings, whose last tick was written whole, and no motion of the machine
// since the stop; the set a cut cuts is the one read at Begin Cut under the folder's lock, after
// an interrupted generation is put right, and no generation replaces it while the cut runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "common/folder_lock.h"
#include "generate/cut_generator.h"
#include "generate/cut_set_commands.h"
#include "machine/motion_stamp.h"
#include "run/cut_record.h"
#include "run/cut_runner.h"
#include "run/resume_plan.h"
#include "run/run_fixture.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::RunnerBench;

struct Bench : RunnerBench {
    Bench() { writeSet({1, 4, 16, 64, 1, 4, 16, 64}, {3, 0, 5, 0, 8}); }
    CutOutcome stopAfter(int64_t ticks, CutRunner::Record kind = CutRunner::Record::Wing) {
        CutRunner runner(ws);
        runner.record = kind;
        runner.onTick = [&](const CutStats& s) {
            if (s.ticks == ticks) runner.requestStop();
        };
        return runner.run(Fixed4::fromInt(1));
    }
    std::string refusal(ResumeRequest request = {}, std::optional<bool> foam = std::nullopt) {
        try {
            planResumeIn(ws, request, 0, foam);
        } catch (const ResumeRefused& e) {
            return e.what();
        } catch (const RunError& e) {
            return e.detail();
        }
        return "not refused";
    }
};

// Every byte of a stopped cut's record changed in turn: the record is refused, or what it says
// is exactly what it said (a byte of the slot not in use).
TEST(RecordTrust, EveryChangedByteIsRefusedOrChangesNothingRead) {
    Bench b;
    ASSERT_EQ(b.stopAfter(4).end, CutEnd::Stopped);
    const fs::path file = b.ws.file(kCutRecordName);
    const std::string bytes = test::readFile(file);
    const CutRecord was = *readCutRecord(b.ws.appFolder());
    int refused = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0x10);
        test::writeText(file, changed);
        try {
            const std::optional<CutRecord> r = readCutRecord(b.ws.appFolder());
            ASSERT_TRUE(r);
            EXPECT_EQ(r->place.tick, was.place.tick) << "byte " << at;
            EXPECT_EQ(r->place.steps, was.place.steps) << "byte " << at;
            EXPECT_EQ(r->leadOutByte, was.leadOutByte) << "byte " << at;
            EXPECT_EQ(r->syncedTick, was.syncedTick) << "byte " << at;
            EXPECT_EQ(r->folder, was.folder) << "byte " << at;
        } catch (const RunError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, static_cast<int>(bytes.size()) * 3 / 4);
    // A NaN where a position stands, with its checksum made to fit, is refused too: written by
    // the recorder itself from a place holding one.
    test::writeText(file, bytes);
    CutRecord nan = was;
    nan.place.position.Y2 = std::nanf("");
    removeCutRecord(b.ws.appFolder());
    { CutRecorder keep(b.ws.appFolder(), nan); }
    EXPECT_THROW(readCutRecord(b.ws.appFolder()), RunError);
}

// A record copied from another folder, and settings changed since the stop (steps per mm, the
// lead moves), are refused with what changed; the runner of the other kind is refused too.
TEST(RecordTrust, AForeignRecordAndChangedStepsOrLeadMovesAreRefused) {
    Bench b;
    ASSERT_EQ(b.stopAfter(4).end, CutEnd::Stopped);
    EXPECT_EQ(b.refusal(), "not refused");
    EXPECT_NE(b.refusal({}, true).find("the record is of a wing cut"), std::string::npos);

    Bench other;
    fs::copy_file(b.ws.file(kCutRecordName), other.ws.file(kCutRecordName));
    EXPECT_NE(other.refusal().find("was made for the folder " + b.ws.appFolder().string()),
              std::string::npos)
        << other.refusal();

    b.ws.settings.derived.StepsPerMm = 157;
    EXPECT_NE(b.refusal().find("steps per mm 158 then, 157 now"), std::string::npos) << b.refusal();
    b.ws.settings.derived.StepsPerMm = 158;
    b.ws.settings.fields.lead_in = 1;
    b.ws.settings.fields.horizontal = true;
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.02);
    EXPECT_NE(b.refusal().find("the lead moves changed since the cut stopped"), std::string::npos)
        << b.refusal();
}

// Motion since the stop, whatever made it: refused naming it, unless this program counted the
// carriages back to the stopped place.
TEST(RecordTrust, AnyMotionSinceTheStopIsRefusedUnlessCountedBackHere) {
    Bench b;
    ASSERT_EQ(b.stopAfter(4).end, CutEnd::Stopped);
    markMotion(b.ws, "a jog");
    EXPECT_NE(b.refusal().find("the carriages have moved since the cut stopped (a jog by "),
              std::string::npos)
        << b.refusal();

    // Counted here from a home position: away is refused, back at the stopped place goes on.
    Bench home;
    home.ws.position.HomeSet = true;
    ASSERT_EQ(home.stopAfter(4).end, CutEnd::Stopped);
    const AxisPosition stopped = home.ws.position.Position;
    markMotion(home.ws, "a jog");
    home.ws.position.Position.X1 += 1;
    EXPECT_NE(home.refusal().find("counted now X1"), std::string::npos) << home.refusal();
    home.ws.position.Position = stopped;
    EXPECT_EQ(home.refusal(), "not refused");
}

// A kill between the note of a tick and its write leaves "writing": refused with the reason. A
// record of another boot is only as recent as its last sync.
TEST(RecordTrust, AHalfNotedTickAndARestartSinceTheStopAreTold) {
    Bench b;
    ASSERT_EQ(b.stopAfter(5).end, CutEnd::Stopped);
    const CutPlace five = readCutRecord(b.ws.appFolder())->place;
    ASSERT_EQ(b.stopAfter(4).end, CutEnd::Stopped);
    CutRecord r = *readCutRecord(b.ws.appFolder());
    removeCutRecord(b.ws.appFolder());
    {
        CutRecorder killed(b.ws.appFolder(), r);
        killed.writing(five);  // the process dies here, before the write
    }
    EXPECT_NE(b.refusal().find("while tick 5 was being written to the port"), std::string::npos)
        << b.refusal();

    removeCutRecord(b.ws.appFolder());
    r.bootId = "another boot";
    {
        CutRecorder before(b.ws.appFolder(), r);
        before.writing(five);
        before.written();  // written, but never synced before the power went
    }
    EXPECT_NE(b.refusal().find("the PC restarted since the cut ran"), std::string::npos)
        << b.refusal();
    EXPECT_EQ(b.refusal({ResumeRequest::From::DelayPoint, 1}), "not refused");
}

// A cut stopped after its last tick keeps no record; a stop right at a delay point before its
// pause makes that pause on the resume.
TEST(RecordTrust, AStopOnTheLastTickEndsTheCutAndAStopBeforeAPauseKeepsIt) {
    Bench b;
    EXPECT_EQ(b.stopAfter(8).end, CutEnd::Stopped);
    EXPECT_FALSE(readCutRecord(b.ws.appFolder()));

    ASSERT_EQ(b.stopAfter(3).end, CutEnd::Stopped);  // segment 1 done, its delay point next
    const ResumePlan plan = planResumeIn(b.ws, {}, 0);
    CutRunner again(b.ws);
    again.record = CutRunner::Record::Wing;
    const CutOutcome out = again.run(Fixed4::fromInt(1), &plan);
    EXPECT_EQ(out.end, CutEnd::Completed);
    EXPECT_EQ(out.stats.pauses, 2);
}

// A record that cannot be written lets its lock go with it: the next cut keeps one.
TEST(RecordTrust, AFailedRecordWriteLeavesNoLockHeld) {
    Bench b;
    fs::create_directory(b.ws.file(kCutRecordName));  // the rename onto it fails
    const CutRecord r = newCutRecord(b.ws, false);
    EXPECT_THROW(CutRecorder(b.ws.appFolder(), r), RunError);
    fs::remove(b.ws.file(kCutRecordName));
    EXPECT_EQ(runningCutHolder(b.ws.appFolder()), "");
    EXPECT_NO_THROW(CutRecorder(b.ws.appFolder(), r));
}

// Begin Cut after a generation killed between its renames: the previous set is put back first,
// and it is the one cut (not the mix the folder held).
TEST(RecordTrust, BeginCutPutsAnInterruptedGenerationRightFirst) {
    Bench b;
    const std::string before = test::readFile(b.ws.file("cut.ct1"));
    fs::create_hard_link(b.ws.file("cut.ct1"), b.ws.file(".corvane-hold1"));
    fs::create_hard_link(b.ws.file("cut_cnt.ct2"), b.ws.file(".corvane-hold2"));
    test::writeText(b.ws.file(".corvane-hold.open"), "cut.ct1\r\ncut_cnt.ct2\r\n");
    fs::remove(b.ws.file("cut.ct1"));
    test::writeLines(b.ws.file("cut.ct1"), {255, 255, 255, 255, 255, 255, 255, 255});
    CutRunner runner(b.ws);
    ASSERT_EQ(runner.run(Fixed4::fromInt(1)).end, CutEnd::Completed);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{1, 4, 16, 64, 1, 4, 16, 64}));
    EXPECT_EQ(test::readFile(b.ws.file("cut.ct1")), before);
}

// A generation and a Load while a cut holds the machine (as a cut window holds it) are refused
// under "Machine Busy" naming the holder; a set written over during the lead-in by a program that
// does not ask is not cut: the ticks after the lead-in are the set of Begin Cut.
TEST(RecordTrust, AGenerationDuringTheLeadInIsRefusedAndTheSetOfBeginCutIsCut) {
    Bench b;
    test::copyResources(b.ws.appFolder());
    b.ws.settings.fields.lead_in = 1;
    b.ws.settings.fields.horizontal = true;
    b.ws.settings.fields.lead_out = 1;
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.02);  // 3 ticks
    const int owner = 0;
    const LeaseHold lease = b.ws.lease.take(&owner, "切割 (Form10)");
    CutRunner runner(b.ws);
    runner.record = CutRunner::Record::Wing;
    GenerationOutcome generated;
    LoadOutcome loaded;
    runner.onTick = [&](const CutStats& s) {
        if (s.ticks != 1) return;
        GenerationRequest request;
        request.kind = CutSetKind::Foam;
        request.leftPath = request.rightPath = b.ws.file("samples/naca0012.dat").string();
        request.leftChordText = "40";
        request.rightChordText = "25";
        generated = CutGenerator(b.ws).generate(request);
        loaded = loadCutSet(b.ws, b.ws.file("samples/slot.ct1"));
        test::writeLines(b.ws.file("cut.ct1"), {255, 255, 255, 255, 255, 255, 255, 255});
    };
    ASSERT_EQ(runner.run(Fixed4::fromInt(1)).end, CutEnd::Completed);
    EXPECT_EQ(generated.status, GenerationStatus::Refused);
    ASSERT_FALSE(generated.messages.empty());
    EXPECT_EQ(generated.messages[0].title, kMachineBusyTitle);
    EXPECT_NE(generated.messages[0].text.find("切割 (Form10)"), std::string::npos);
    EXPECT_FALSE(loaded.loaded);
    ASSERT_FALSE(loaded.messages.empty());
    EXPECT_EQ(loaded.messages[0].title, kMachineBusyTitle);
    const std::vector<uint8_t> outs = b.dataWrites();
    ASSERT_EQ(outs.size(), 3u + 8u + 3u);
    EXPECT_EQ(std::vector<uint8_t>(outs.begin() + 3, outs.begin() + 11),
              (std::vector<uint8_t>{1, 4, 16, 64, 1, 4, 16, 64}));
}

}  // namespace
}  // namespace corvane
