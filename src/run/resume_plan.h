// How a stopped cut goes on: from the tick where it stopped, or back along the path it cut (the
// kerf is open there, the wire stays on) to a delay point or a segment and on from there. The
// plan checks the record against the working set and says, before anything moves, what it will
// do and where the carriages must stand.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "machine/position.h"
#include "run/cut_record.h"

namespace corvane {

struct DerivedSettings;
class Workspace;
class WorkingSetReader;

// A resume that must not move: the text is the operator's message.
struct ResumeRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where the operator wants the cut to go on from.
struct ResumeRequest {
    enum class From { WhereStopped, LastDelayPoint, DelayPoint, Segment };
    From from = From::WhereStopped;
    int number = 0;  // the delay point (1-based, count-file order) or the segment (1-based)
};

// The ticks of a whole cut in order, lead-in, step file, lead-out, as one numbered tape.
class CutTape {
public:
    // The lead moves come from the record.
    CutTape(const CutRecord& record, std::vector<uint8_t> steps, std::vector<int32_t> counts);
    int64_t size() const { return 2 * lead_ + setTicks_; }
    int64_t leadTicks() const { return lead_; }
    // The step-file ticks a cut makes: up to the count file's last running total.
    int64_t setTicks() const { return setTicks_; }
    // RunError InputPastEndOfFile for a step-file tick past the end of a short step file.
    uint8_t byte(int64_t tick) const;
    const std::vector<int32_t>& counts() const { return counts_; }
    const std::vector<uint8_t>& steps() const { return steps_; }

    // The cut tick at which segment `segment` (1-based) begins; -1 when there is no such segment.
    int64_t segmentStart(int segment) const;
    // The cut tick of delay point `k` (1-based, the k-th zero entry); -1 when there is none.
    int64_t delayPointTick(int k) const;
    int delayPointCount() const;
    // The segment a cut tick lies in (its profile point of arrival minus one), 0 in the lead-in.
    int segmentAt(int64_t tick) const;
    // The last delay point at or before the cut tick; 0 when none was passed.
    int lastDelayPointAt(int64_t tick) const;
    // Where on the profile the wire is at a cut tick, as a point number with the fraction of the
    // segment made (1.0 before the first segment's first tick, 2.5 halfway through segment 2).
    double profilePointAt(int64_t tick) const;

private:
    int64_t lead_;
    int64_t setTicks_ = 0;
    uint8_t leadIn_, leadOut_;
    std::vector<uint8_t> steps_;
    std::vector<int32_t> counts_;
};

// The same byte with every axis's direction bit inverted: its steps go back the way they came.
uint8_t reversedByte(uint8_t portByte, const DerivedSettings& settings);

struct ResumePlan {
    int64_t from = 0;        // where the carriages stand (the record's tick)
    int64_t to = 0;          // where the forward run starts; from - to ticks go back first
    int segment = 0;         // the segment `to` lies in
    CutPlace stand;          // the record's place: where the carriages must stand
    AxisPosition atStart;    // the counted position at `to`, as the uninterrupted cut had it
    double heatSeconds = 0;  // the wire heats this long before the first tick
    CutRecord record;        // the record it goes on from (kept up to date as the cut goes on)
    std::string what;        // what it will do and what must be true, for the operator

    int64_t backTicks() const { return from - to; }
};

// The plan, or ResumeRefused with the operator's message: no record, the set changed since the
// record (naming the file), a point ahead of where the cut stopped or beyond the set.
ResumePlan planResume(const CutRecord& record, const CutTape& tape, const SetFingerprint& now,
                      const DerivedSettings& settings, ResumeRequest request, double heatSeconds);

// Everything a resume checks, read from the workspace's folder: the record (ResumeRefused when
// there is none, when its cut still runs, when it was copied from another folder), the set, the
// settings (pins, steps/mm, lead moves), a tick left half noted by a kill, a restart of the PC,
// and any motion of the machine since the stop.
// `foam`: the kind of runner asked to go on (true: foam); a record of the other kind is refused.
ResumePlan planResumeIn(Workspace& ws, ResumeRequest request, double heatSeconds,
                        std::optional<bool> foam = std::nullopt);
// The record a cut of the working set starts with, standing at its first tick: the set's
// checksums, the lead moves and steps/mm of the settings, the counted position, the folder's
// identity, the boot and the motion stamp. RunError when the set cannot be read.
CutRecord newCutRecord(const Workspace& ws, bool foam);
// The same from a set already read (Begin Cut reads it once) and its checksums.
CutRecord newCutRecord(const Workspace& ws, bool foam, const SetFingerprint& set,
                       const WorkingSetReader& read);

// The working set as a tape with the record's lead moves.
CutTape readCutTape(const Workspace& ws, const CutRecord& record);

// ResumeRefused when the carriages were moved since the cut stopped (`moved` from the motion
// stamp, motion_stamp.h): only a motion of this program whose counted position (home set) is
// back at the record's place lets the resume go on; a motion of another program never does.
void refuseMovedCarriages(const ResumePlan& plan, const PositionState& now,
                          const std::string& moved, bool movedHere);

// The counted position after the cut's first `ticks` ticks from the record's start.
CutPlace replayTo(const CutRecord& record, const CutTape& tape, const DerivedSettings& settings,
                  int64_t ticks);

}  // namespace corvane
