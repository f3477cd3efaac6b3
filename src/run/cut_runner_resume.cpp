// The cut runner's record of where it stands and its resume of a stopped cut: the same ticks,
// pauses and segment marks as Begin Cut, entered in the middle, with the wire heated first and,
// for an earlier point, the path run backwards to it.
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <optional>

#include "common/folder_lock.h"
#include "generate/cut_set_transaction.h"
#include "machine/motion_stamp.h"
#include "machine/step_output.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "run/cut_runner.h"
#include "run/resume_plan.h"
#include "run/working_set_reader.h"

namespace corvane {

void CutRunner::readSet(const ResumePlan* resume) {
    // Under the folder's lock, after a generation cut short is put right: the set is read whole
    // and is one program's set, never a mix; what is written to the folder later is not cut.
    std::optional<FolderLock> lock;
    try {
        lock.emplace(ws_.appFolder());
    } catch (const RunError&) {
        // A folder this user cannot write holds a set nobody here replaces: it is read as it is.
        if (::access(ws_.appFolder().c_str(), W_OK) == 0) throw;
    }
    if (lock && recoverInterruptedGeneration(ws_.appFolder())) {
        ws_.setStatus(2,
                      "An interrupted generation was found: the previous cut-file set is back "
                      "in place, and it is the set cut.");
    }
    set_.emplace(ws_.file("cut.ct1"), ws_.file("cut_cnt.ct2"));
    setPrint_ = fingerprintSet(ws_.appFolder());
    if (resume) {
        const std::string changed = changedSetFile(resume->record.set, setPrint_);
        if (!changed.empty()) {
            throw RunError(ErrorNumber::PathFileAccessError,
                           (ws_.appFolder() / changed).string() +
                               ": changed after the resume was planned; nothing was moved");
        }
    }
}

void CutRunner::startRecord(const ResumePlan* resume) {
    recorder_.reset();
    if (record == Record::None) return;
    CutRecord r;
    try {
        if (resume) {
            r = resume->record;
            r.place = resume->stand;
            r.place.phase = TickPhase::Written;
            r.bootId = currentBootId();
            r.motionStamp = motionStamp(ws_);
        } else {
            r = newCutRecord(ws_, record == Record::Foam, setPrint_, *set_);
        }
        recorder_ = std::make_unique<CutRecorder>(ws_.appFolder(), r);
        totalTicks_ = r.totalTicks();
    } catch (const RunError& e) {
        // A record that cannot be written leaves this cut without one and says so.
        ws_.setStatus(2, "This cut keeps no record to resume from: " + e.detail());
    }
}

void CutRunner::endRecord(CutEnd end) {
    if (!recorder_) return;
    // A cut stopped on its last tick has nothing left to resume: it ended as a finished one.
    if (end == CutEnd::Completed ||
        (end == CutEnd::Stopped && recorder_->place().phase == TickPhase::Written &&
         recorder_->place().tick >= totalTicks_))
        recorder_->remove();
    else
        recorder_->sync(RecordSync::Stop);
    recorder_.reset();
}

void CutRunner::syncRecord(RecordSync at) {
    if (recorder_) recorder_->sync(at);
}

// Runs right before the port write (see PacedTick): the position is counted from the
// workspace's as the tick's own update will count it, so the record and the status bar agree.
void CutRunner::tickWriting(uint8_t portByte, int direction) {
    if (!recorder_) return;
    CutPlace place = recorder_->place();
    place.tick += direction;
    countSteps(place.steps, ws_.settings.derived, portByte);
    PositionState counted = ws_.position;
    applyStepByte(counted, ws_.settings.derived, portByte);
    place.position = counted.Position;
    place.homeSet = counted.HomeSet;
    recorder_->writing(place);
}

bool CutRunner::resumeRun(const ResumePlan& plan, Fixed4 pauseMs) {
    const CutTape tape(plan.record, set_->steps(), set_->countEntries());
    const int64_t lead = tape.leadTicks();
    const int64_t setEnd = lead + tape.setTicks();
    stats_.setTicksTotal = tape.setTicks();
    // After a crash the new program counts on from the record's place.
    ws_.position.HomeSet = plan.stand.homeSet;
    ws_.position.Position = plan.stand.position;
    ClearStepBits(ws_);
    // The wire was switched on for this resume, not by the operator: it goes off with it,
    // however it ends, and a wire the operator had on stays on.
    struct WireBack {
        Workspace& ws;
        bool wasOn;
        ~WireBack() {
            if (wasOn) return;
            try {
                WireOff(ws);
            } catch (const std::exception&) {
                // The port failed: the cut's own error says so; the wire guard still stands.
            }
        }
    } wireBack{ws_, ws_.wire.on()};
    WireOn(ws_);
    const Fixed4 heatMs = Fixed4::fromDouble(plan.heatSeconds * 1000.0);
    if (!StandStill(ws_, heatMs, [this] { return yieldAndTest(); })) return false;

    // Back along the path: each tick undoes the one before it, in the kerf already cut.
    for (int64_t t = plan.from; t > plan.to; --t)
        if (!tick(reversedByte(tape.byte(t - 1), ws_.settings.derived), false, -1)) return false;
    if (plan.backTicks() > 0) {
        // The counted position is the one the cut had at that tick, not the sum of the float
        // steps forth and back (the whole steps are the same either way).
        ws_.position.Position = plan.atStart;
        if (recorder_) {
            CutPlace place = recorder_->place();
            place.position = plan.atStart;
            recorder_->note(place);
        }
    }

    for (int64_t t = plan.to; t < lead; ++t)
        if (!tick(tape.byte(t), false)) return false;

    // The step file from where the plan starts: segments already cut are passed over, the
    // pauses at delay points reached in this run are made (the one it starts at is not).
    const int64_t first = std::clamp<int64_t>(plan.to - lead, 0, tape.setTicks());
    stats_.setTicks = first;
    int segmentEnd = 1;
    int64_t done = 0;
    // A cut stopped at a delay point before its pause was made in full makes that pause (the
    // operator's chosen point to start from is not paused at again).
    const bool pauseOwed = plan.to == plan.from && !plan.stand.pauseMade;
    for (int32_t entry : tape.counts()) {
        if (entry == 0) {
            if ((done > first || (done == first && pauseOwed && first > 0)) && !pause(pauseMs))
                return false;
            continue;
        }
        ++segmentEnd;
        if (entry <= first) {
            done = std::max<int64_t>(done, entry);
            continue;
        }
        if (!yieldAndTest()) return false;
        for (int64_t d = std::max(done, first); d < entry; ++d)
            if (!tick(tape.byte(lead + d), true)) return false;
        done = std::max<int64_t>(done, entry);
        if (onSegmentDone) onSegmentDone(segmentEnd);
        ++stats_.segments;
    }

    const int64_t leadOutFrom = std::max(plan.to, setEnd);
    if (leadOutFrom < tape.size()) {
        if (leadOutFrom == setEnd) ClearStepBits(ws_);
        for (int64_t t = leadOutFrom; t < tape.size(); ++t)
            if (!tick(tape.byte(t), false)) return false;
    }
    return true;
}

}  // namespace corvane
