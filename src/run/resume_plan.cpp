#include "run/resume_plan.h"

#include <algorithm>
#include <cstdio>

#include "common/number_format.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"
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

void refuseMovedCarriages(const ResumePlan& plan, const PositionState& now) {
    if (!now.HomeSet || !plan.stand.homeSet || now.Position == plan.stand.position) return;
    const AxisPosition& p = now.Position;
    throw ResumeRefused("The carriages have moved since the cut stopped (counted now X1 " +
                        mm(p.X1) + ", Y1 " + mm(p.Y1) + ", X2 " + mm(p.X2) + ", Y2 " + mm(p.Y2) +
                        " mm). " + standText(plan.stand));
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
    CutRecord r;
    r.foam = foam;
    r.folder = ws.appFolder().string();
    r.set = fingerprintSet(ws.appFolder());
    if (const std::optional<LeadMoves> lead = leadMovesFor(ws)) {
        r.leadTicks = lead->ticks;
        r.leadInByte = lead->leadInByte;
        r.leadOutByte = lead->leadOutByte;
    }
    r.setTicks = readCutTape(ws, r).setTicks();
    r.start = CutPlace{0, {}, ws.position.Position, ws.position.HomeSet};
    r.place = r.start;
    return r;
}

CutTape readCutTape(const Workspace& ws, const CutRecord& record) {
    const WorkingSetReader set(ws.file("cut.ct1"), ws.file("cut_cnt.ct2"));
    return CutTape(record, set.steps(), set.countEntries());
}

ResumePlan planResumeIn(Workspace& ws, ResumeRequest request, double heatSeconds) {
    const std::optional<CutRecord> record = readCutRecord(ws.appFolder());
    if (!record) {
        throw ResumeRefused("There is no stopped cut to resume in " + ws.appFolder().string() +
                            ": the last cut ended normally or none was made.");
    }
    const SetFingerprint now = fingerprintSet(ws.appFolder());
    // The set is compared before it is read: a changed file is named, not misread.
    refuseChangedSet(record->set, now);
    const ResumePlan plan = planResume(*record, readCutTape(ws, *record), now, ws.settings.derived,
                                       request, heatSeconds);
    refuseMovedCarriages(plan, ws.position);
    return plan;
}

}  // namespace corvane
