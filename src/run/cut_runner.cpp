#include "run/cut_runner.h"

#include <algorithm>
#include <exception>

#include "common/scoped_flag.h"
#include "machine/motion_priority.h"
#include "machine/motion_stamp.h"
#include "machine/step_output.h"
#include "machine/workspace.h"
#include "platform/memory_lock.h"
#include "platform/monotonic_clock.h"
#include "run/cut_tick.h"
#include "run/working_set_reader.h"

namespace corvane {

int CutStats::percentComplete() const {
    if (setTicksTotal <= 0) return 0;
    return static_cast<int>(std::min<int64_t>(100, setTicks * 100 / setTicksTotal));
}

std::optional<LeadMoves> leadMovesFor(const Workspace& ws) {
    const SettingsFields& f = ws.settings.fields;
    const DerivedSettings& d = ws.settings.derived;
    if (f.lead_in != 1) return std::nullopt;
    LeadMoves moves;
    // Steps per mm times the lead-in length, formed in fixed point and rounded half to even.
    const Fixed4 product = Fixed4::fromInt(d.StepsPerMm) * d.LeadInMm;
    moves.ticks = toInt64(product.toDouble());
    if (f.horizontal) {
        moves.leadInByte = toByte(d.X1Forward + d.X2Forward);
        moves.leadOutByte = f.lead_out == 1 ? toByte(d.X1Back + d.X2Back) : moves.leadInByte;
    } else if (f.vertical) {
        moves.leadInByte = toByte(d.Y1Down + d.Y2Down);
        moves.leadOutByte = f.lead_out == 1 ? toByte(d.Y1Up + d.Y2Up) : moves.leadInByte;
    } else {
        return std::nullopt;  // no lead direction chosen: there is nothing to move
    }
    return moves;
}

CutRunner::CutRunner(Workspace& ws) : ws_(ws) {}

bool CutRunner::yieldAndTest() {
    if (yield)
        yield();
    else
        ws_.yield();
    return !stop_;
}

// The yield of every tick runs inside its low millisecond; the stop flag is tested after it.
bool CutRunner::tick(uint8_t portByte, bool fromStepFile, int direction) {
    CutTick(
        ws_, portByte, ws_.motion.CutSpeed,
        [this, fromStepFile] {
            ++stats_.ticks;
            if (fromStepFile) ++stats_.setTicks;
            if (onTick) onTick(stats_);
            if (yield)
                yield();
            else
                ws_.yield();
        },
        [this, portByte, direction] { tickWriting(portByte, direction); },
        [this] {
            if (recorder_) recorder_->written();
        });
    return !stop_;
}

bool CutRunner::leadMove(uint8_t portByte, int64_t ticks) {
    ClearStepBits(ws_);
    for (int64_t i = 0; i < ticks; ++i)
        if (!tick(portByte, false)) return false;
    return true;
}

// A pause stands the machine still without a write, the window system running in its slices;
// the ticks after it keep a schedule of their own.
bool CutRunner::pause(Fixed4 ms) {
    ++stats_.pauses;
    syncRecord(RecordSync::DelayPoint);
    if (!StandStill(ws_, ms, [this] { return yieldAndTest(); })) return false;
    // A stop right after the pause owes the resume no second one.
    if (recorder_) {
        CutPlace place = recorder_->place();
        place.pauseMade = true;
        recorder_->note(place);
    }
    return true;
}

// Begin Cut's ticks: the lead-in, the step file segment by segment, the lead-out. False when
// stopped.
bool CutRunner::beginCutTicks(Fixed4 pauseMs) {
    const std::optional<LeadMoves> lead = leadMovesFor(ws_);
    bool going = true;
    if (lead) going = leadMove(lead->leadInByte, lead->ticks);
    if (going) {
        WorkingSetReader& set = *set_;
        if (onFilesOpened) onFilesOpened();
        stats_.setTicksTotal = set.stepCount();
        int segmentEnd = 1;
        int32_t done = 0;  // ticks of the step file output so far
        // Every non-zero entry is a segment's running total; each zero entry a pause.
        while (going) {
            if (!yieldAndTest()) {
                going = false;
                break;
            }
            std::optional<int32_t> entry = set.nextCount();
            while (entry && *entry == 0 && going) {
                going = pause(pauseMs);
                if (going) entry = set.nextCount();
            }
            if (!going) break;
            if (!entry) break;  // end of the count file: lead-out
            ++segmentEnd;
            // The first segment takes all n ticks, like every other: each tick is output.
            for (; done < *entry && going; ++done) going = tick(set.nextStep(), true);
            if (!going) break;
            if (onSegmentDone) onSegmentDone(segmentEnd);
            ++stats_.segments;
        }
        if (going && lead) going = leadMove(lead->leadOutByte, lead->ticks);
    }
    return going;
}

CutOutcome CutRunner::run(Fixed4 pauseMs, const ResumePlan* resume) {
    CutOutcome outcome;
    stop_ = false;
    const ScopedFlag running(running_);  // cleared however the cut ends
    stats_ = CutStats{};
    MonotonicClock& clock = ws_.clock();
    // Made before the first tick: recording a tick allocates nothing.
    TickTiming timing(clock.frequency());
    const MemoryLock memory;
    outcome.memoryRefusal = memory.refusal();
    const MotionPriority priority(ws_);
    outcome.priority = priority.description();
    outcome.priorityRefusal = priority.refusal();
    if (!memory.locked() && !ws_.memoryRefusalShown) {
        ws_.memoryRefusalShown = true;
        ws_.setStatus(2, memory.refusal());
    }
    struct Recording {
        MotionState& m;
        ~Recording() { m.timing = nullptr; }
    } recording{ws_.motion};
    ws_.motion.timing = &timing;
    restartTickSchedule(ws_.motion);
    const int64_t start = clock.now();
    try {
        outcome.end = CutEnd::Completed;
        readSet(resume);
        markMotion(ws_, resume ? "a resumed cut" : "a cut");
        startRecord(resume);
        const bool going = resume ? resumeRun(*resume, pauseMs) : beginCutTicks(pauseMs);
        if (!going) outcome.end = CutEnd::Stopped;
    } catch (const RunError& e) {
        outcome.end = CutEnd::Failed;
        outcome.error = e;
    } catch (const std::exception& e) {
        // Anything else a callback throws still ends the cut through Finish, with its text.
        outcome.end = CutEnd::Failed;
        outcome.error = RunError(ErrorNumber::InvalidProcedureCall, e.what());
    }
    endRecord(outcome.end);
    set_.reset();
    stats_.elapsedCounts = clock.now() - start;
    outcome.stats = stats_;
    outcome.timing = timing.figures();
    return outcome;
}

}  // namespace corvane
