#include "run/resume_plan.h"

#include <algorithm>
#include <cstdio>

#include "common/folder_lock.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "machine/motion_stamp.h"
#include "machine/workspace.h"
#include "run/cut_runner.h"
#include "run/working_set_reader.h"

namespace corvane {

namespace {

std::string mm(float value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(value));
    return buf;
}

std::string standText(const CutPlace& place) {
    if (!place.homeSet) {
        return "The carriages must stand where the cut stopped: X1 " +
               std::to_string(place.steps[0]) + ", Y1 " + std::to_string(place.steps[1]) + ", X2 " +
               std::to_string(place.steps[2]) + ", Y2 " + std::to_string(place.steps[3]) +
               " steps from where the cut began (no home position was set, so no position in mm "
               "is known).";
    }
    const AxisPosition& p = place.position;
    return "The carriages must stand where the cut stopped: X1 " + mm(p.X1) + ", Y1 " + mm(p.Y1) +
           ", X2 " + mm(p.X2) + ", Y2 " + mm(p.Y2) + " mm.";
}

void refuseChangedSet(const SetFingerprint& recorded, const SetFingerprint& now) {
    const std::string changed = changedSetFile(recorded, now);
    if (changed.empty()) return;
    throw ResumeRefused("The cut cannot be resumed: " + changed +
                        " has changed since the cut stopped (it is not the file that was cut). "
                        "Begin Cut starts the set again from the beginning.");
}

}  // namespace

CutTape::CutTape(const CutRecord& record, std::vector<uint8_t> steps, std::vector<int32_t> counts)
    : lead_(record.leadTicks),
      leadIn_(record.leadInByte),
      leadOut_(record.leadOutByte),
      steps_(std::move(steps)),
      counts_(std::move(counts)) {
    for (int32_t c : counts_) setTicks_ = std::max<int64_t>(setTicks_, c);
}

uint8_t CutTape::byte(int64_t tick) const {
    if (tick < lead_) return leadIn_;
    const int64_t s = tick - lead_;
    if (s >= setTicks_) return leadOut_;
    if (s >= static_cast<int64_t>(steps_.size())) throw RunError(ErrorNumber::InputPastEndOfFile);
    return steps_[static_cast<std::size_t>(s)];
}

int64_t CutTape::segmentStart(int segment) const {
    if (segment < 1) return -1;
    int seen = 0;
    int32_t total = 0;
    for (int32_t c : counts_) {
        if (c == 0) continue;
        if (++seen == segment) return lead_ + total;
        total = c;
    }
    return -1;
}

int64_t CutTape::delayPointTick(int k) const {
    int seen = 0;
    int32_t total = 0;
    for (int32_t c : counts_) {
        if (c != 0) {
            total = c;
        } else if (++seen == k) {
            return lead_ + total;
        }
    }
    return -1;
}

int CutTape::delayPointCount() const {
    return static_cast<int>(std::count(counts_.begin(), counts_.end(), 0));
}

int CutTape::segmentAt(int64_t tick) const {
    if (tick < lead_) return 0;
    const int64_t s = tick - lead_;
    int segment = 0;
    for (int32_t c : counts_) {
        if (c == 0) continue;
        ++segment;
        if (s < c) return segment;
    }
    return segment;
}

int CutTape::lastDelayPointAt(int64_t tick) const {
    int last = 0;
    for (int k = 1; k <= delayPointCount(); ++k)
        if (delayPointTick(k) <= tick) last = k;
    return last;
}

double CutTape::profilePointAt(int64_t tick) const {
    const int64_t s = std::clamp<int64_t>(tick - lead_, 0, setTicks_);
    int segment = 0;
    int32_t total = 0;
    for (int32_t c : counts_) {
        if (c == 0) continue;
        ++segment;
        if (s < c) return segment + static_cast<double>(s - total) / (c - total);
        total = c;
    }
    return segment + 1.0;
}

uint8_t reversedByte(uint8_t portByte, const DerivedSettings& settings) {
    int dirs = 0;
    for (const AxisPins* a : {&settings.X1, &settings.Y1, &settings.X2, &settings.Y2})
        if (a->DirBit >= 0 && a->DirBit < 8) dirs |= 1 << a->DirBit;
    return static_cast<uint8_t>(portByte ^ dirs);
}

void refuseMovedCarriages(const ResumePlan& plan, const PositionState& now,
                          const std::string& moved, bool movedHere) {
    const bool countedHere = now.HomeSet && plan.stand.homeSet;
    if (moved.empty() && (!countedHere || now.Position == plan.stand.position)) return;
    // Back at the stopped place by this program's own count: the carriages are where they were.
    if (movedHere && countedHere && now.Position == plan.stand.position) return;
    std::string text = "The cut cannot be resumed: the carriages have moved since the cut stopped";
    if (!moved.empty()) text += " (" + moved + ")";
    if (countedHere) {
        const AxisPosition& p = now.Position;
        text += "; counted now X1 " + mm(p.X1) + ", Y1 " + mm(p.Y1) + ", X2 " + mm(p.X2) + ", Y2 " +
                mm(p.Y2) + " mm";
    } else {
        text += ", and no position counted in this program says they are back";
    }
    throw ResumeRefused(text + ". " + standText(plan.stand) +
                        " Move them back there (with a home position set, the counted position "
                        "shows it), or start the set again with Begin Cut.");
}

CutPlace replayTo(const CutRecord& record, const CutTape& tape, const DerivedSettings& settings,
                  int64_t ticks) {
    PositionState counted;
    counted.HomeSet = record.start.homeSet;
    counted.Position = record.start.position;
    CutPlace place = record.start;
    for (int64_t t = 0; t < ticks && t < tape.size(); ++t) {
        const uint8_t b = tape.byte(t);
        countSteps(place.steps, settings, b);
        applyStepByte(counted, settings, b);
    }
    place.tick = ticks;
    place.position = counted.Position;
    return place;
}

ResumePlan planResume(const CutRecord& record, const CutTape& tape, const SetFingerprint& now,
                      const DerivedSettings& settings, ResumeRequest request, double heatSeconds) {
    refuseChangedSet(record.set, now);
    if (tape.size() != record.totalTicks()) {
        throw ResumeRefused("The cut cannot be resumed: the record counts " +
                            std::to_string(record.totalTicks()) +
                            " ticks, the set and the lead "
                            "moves " +
                            std::to_string(tape.size()) + ".");
    }
    if (record.place.phase == TickPhase::Writing) {
        throw ResumeRefused(
            "The cut cannot be resumed: it was ended (killed) while tick " +
            std::to_string(record.place.tick) +
            " was being written to the port, so whether the carriages made that tick is not "
            "known; a resume would cut the rest one step off. Start the set again with Begin "
            "Cut, or move the carriages to where the cut began.");
    }
    ResumePlan plan;
    plan.record = record;
    plan.heatSeconds = heatSeconds;
    plan.from = record.place.tick;
    plan.stand = record.place;
    const int stoppedIn = tape.segmentAt(plan.from);
    auto refuseAhead = [&](const std::string& what) {
        throw ResumeRefused(what + " lies ahead of where the cut stopped (tick " +
                            std::to_string(plan.from) + ", segment " + std::to_string(stoppedIn) +
                            "): a resume only goes back along the path already cut.");
    };
    std::string where;
    switch (request.from) {
        case ResumeRequest::From::WhereStopped:
            plan.to = plan.from;
            if (plan.from >= tape.size())
                throw ResumeRefused(
                    "The cut made all its ticks before it stopped: nothing is "
                    "left to resume.");
            break;
        case ResumeRequest::From::LastDelayPoint:
        case ResumeRequest::From::DelayPoint: {
            int k = request.number;
            if (request.from == ResumeRequest::From::LastDelayPoint) {
                k = tape.lastDelayPointAt(plan.from);
                if (k == 0)
                    throw ResumeRefused("No delay point was passed before the cut stopped.");
            }
            plan.to = tape.delayPointTick(k);
            if (plan.to < 0) {
                throw ResumeRefused("There is no delay point " + std::to_string(k) +
                                    " in this set (it has " +
                                    std::to_string(tape.delayPointCount()) + ").");
            }
            where = "delay point " + std::to_string(k);
            if (plan.to > plan.from) refuseAhead("Delay point " + std::to_string(k));
            break;
        }
        case ResumeRequest::From::Segment: {
            plan.to = tape.segmentStart(request.number);
            if (plan.to < 0) {
                throw ResumeRefused("There is no segment " + std::to_string(request.number) +
                                    " in this set (it has " +
                                    std::to_string(tape.segmentAt(tape.size())) + ").");
            }
            where = "the start of segment " + std::to_string(request.number);
            if (plan.to > plan.from) refuseAhead("Segment " + std::to_string(request.number));
            break;
        }
    }
    // The record must be what this set and these settings count to: other pins or an other
    // direction reversal would send the carriages elsewhere.
    const CutPlace replayed = replayTo(record, tape, settings, plan.from);
    if (replayed.steps != record.place.steps) {
        throw ResumeRefused(
            "The cut cannot be resumed: the machine settings changed since the cut stopped (the "
            "set's ticks no longer count to the recorded position).");
    }
    plan.atStart = replayTo(record, tape, settings, plan.to).position;
    plan.segment = tape.segmentAt(plan.to);

    const int64_t total = tape.size();
    std::string what = "Resume the cut, stopped at tick " + std::to_string(plan.from) + " of " +
                       std::to_string(total) + " (segment " + std::to_string(stoppedIn) + "): ";
    if (plan.backTicks() > 0) {
        what += std::to_string(plan.backTicks()) + " ticks back along the cut path to " + where +
                " (the kerf is open there, the wire stays on), then ";
    }
    what += std::to_string(total - plan.to) + " ticks on to the end";
    what += record.leadTicks > 0 ? ", the lead-out included; the lead-in is not made again." : ".";
    what += "\n" + standText(record.place) + "\nThe wire is switched on and heats for " +
            formatDouble(heatSeconds) +
            " s before the first tick; it goes off when the resume ends unless it was on "
            "before.\nThe record is " +
            record.guarantee() + ".";
    plan.what = what;
    return plan;
}

}  // namespace corvane

namespace corvane {

CutRecord newCutRecord(const Workspace& ws, bool foam) {
    const WorkingSetReader set(ws.file("cut.ct1"), ws.file("cut_cnt.ct2"));
    return newCutRecord(ws, foam, fingerprintSet(ws.appFolder()), set);
}

CutRecord newCutRecord(const Workspace& ws, bool foam, const SetFingerprint& set,
                       const WorkingSetReader& read) {
    CutRecord r;
    r.foam = foam;
    r.folder = ws.appFolder().string();
    r.identity = folderIdentity(ws.appFolder());
    r.bootId = currentBootId();
    r.motionStamp = motionStamp(ws);
    r.stepsPerMm = ws.settings.derived.StepsPerMm;
    r.set = set;
    if (const std::optional<LeadMoves> lead = leadMovesFor(ws)) {
        r.leadTicks = lead->ticks;
        r.leadInByte = lead->leadInByte;
        r.leadOutByte = lead->leadOutByte;
    }
    r.setTicks = CutTape(r, read.steps(), read.countEntries()).setTicks();
    r.start = CutPlace{0, {}, ws.position.Position, ws.position.HomeSet};
    r.place = r.start;
    return r;
}

CutTape readCutTape(const Workspace& ws, const CutRecord& record) {
    const WorkingSetReader set(ws.file("cut.ct1"), ws.file("cut_cnt.ct2"));
    return CutTape(record, set.steps(), set.countEntries());
}

namespace {

// The record belongs to this folder, this machine's settings and, for its place, this boot.
void refuseForeignRecord(const Workspace& ws, const CutRecord& record) {
    const std::string folder = ws.appFolder().string();
    if (record.folder != folder || record.identity != folderIdentity(ws.appFolder())) {
        throw ResumeRefused("The cut cannot be resumed: the record in " + folder +
                            " was made for the folder " + record.folder +
                            " (copied or moved here); it says nothing of this folder's cut.");
    }
    if (record.stepsPerMm != ws.settings.derived.StepsPerMm) {
        throw ResumeRefused(
            "The cut cannot be resumed: the machine settings changed since the cut stopped "
            "(steps per mm " +
            std::to_string(record.stepsPerMm) + " then, " +
            std::to_string(ws.settings.derived.StepsPerMm) + " now).");
    }
    const std::optional<LeadMoves> lead = leadMovesFor(ws);
    const LeadMoves now = lead.value_or(LeadMoves{});
    if (now.ticks != record.leadTicks ||
        (now.ticks > 0 &&
         (now.leadInByte != record.leadInByte || now.leadOutByte != record.leadOutByte))) {
        throw ResumeRefused(
            "The cut cannot be resumed: the lead moves changed since the cut stopped (" +
            std::to_string(record.leadTicks) + " ticks then, " + std::to_string(now.ticks) +
            " now, or another direction); the rest of the cut would not end where it should.");
    }
}

// After a restart of the PC the record is only as recent as its last sync.
void refuseAfterRestart(const CutRecord& record, const ResumePlan& plan) {
    const std::string boot = currentBootId();
    if (record.bootId.empty() || boot.empty() || record.bootId == boot) return;
    if (record.place.tick == record.syncedTick && plan.to <= record.syncedTick) return;
    const std::string synced = "synced at " + std::string(recordSyncName(record.syncedAt)) +
                               ", tick " + std::to_string(record.syncedTick);
    if (plan.to > record.syncedTick || plan.to == plan.from) {
        throw ResumeRefused(
            "The cut cannot be resumed from there: the PC restarted since the cut ran, and its "
            "record is only as recent as its last sync (" +
            synced +
            "); the carriages may "
            "have gone on up to tick " +
            std::to_string(record.place.tick) +
            ". Only a delay point or segment before that sync is offered.");
    }
}

}  // namespace

ResumePlan planResumeIn(Workspace& ws, ResumeRequest request, double heatSeconds,
                        std::optional<bool> foam) {
    const std::string running = runningCutHolder(ws.appFolder());
    if (!running.empty()) {
        throw ResumeRefused("The cut cannot be resumed: it is still running in " + running +
                            ". Stop it there first.");
    }
    const std::optional<CutRecord> record = readCutRecord(ws.appFolder());
    if (!record) {
        throw ResumeRefused("There is no stopped cut to resume in " + ws.appFolder().string() +
                            ": the last cut ended normally or none was made.");
    }
    if (foam && *foam != record->foam) {
        throw ResumeRefused(std::string("The cut cannot be resumed here: the record is of a ") +
                            (record->foam ? "foam" : "wing") + " cut, and this is the " +
                            (*foam ? "foam" : "wing") + " cut.");
    }
    refuseForeignRecord(ws, *record);
    const SetFingerprint now = fingerprintSet(ws.appFolder());
    // The set is compared before it is read: a changed file is named, not misread.
    refuseChangedSet(record->set, now);
    ResumePlan plan = planResume(*record, readCutTape(ws, *record), now, ws.settings.derived,
                                 request, heatSeconds);
    refuseAfterRestart(*record, plan);
    if (record->bootId != currentBootId() && !record->bootId.empty()) {
        plan.what +=
            "\nThe PC restarted since the cut ran: the record is only as recent as its "
            "last sync (tick " +
            std::to_string(record->syncedTick) + ").";
    }
    const MotionSince moved = motionSince(ws, record->motionStamp);
    refuseMovedCarriages(plan, ws.position, moved.what, moved.onlyHere);
    return plan;
}

}  // namespace corvane
