// The wing cut loop: lead-in, the step file played segment by segment with pauses at the zero
// entries of the count file, lead-out, all through StepPulse at CutSpeed. It yields and tests
// its stop flag after every tick, so Stop, Pause, the wire and the speed act between two ticks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/fixed_point.h"
#include "common/run_error.h"
#include "machine/tick_timing.h"
#include "run/cut_record.h"
#include "run/working_set_reader.h"

namespace corvane {

class Workspace;
class CutTape;
struct ResumePlan;

// The port bytes of the lead moves, from the settings (nullopt when lead_in is off or no lead
// direction is chosen). The lead-out goes back when lead_out is 1, else on in the lead-in's way.
struct LeadMoves {
    int64_t ticks = 0;
    uint8_t leadInByte = 0;
    uint8_t leadOutByte = 0;
};
[[nodiscard]] std::optional<LeadMoves> leadMovesFor(const Workspace& ws);

enum class CutEnd { Completed, Stopped, Failed };

struct CutStats {
    int64_t ticks = 0;          // every tick output, lead moves included
    int64_t setTicks = 0;       // ticks taken from the step file
    int64_t setTicksTotal = 0;  // lines of the step file (0 before it is opened)
    int segments = 0;           // segments finished and marked
    int pauses = 0;             // zero entries waited at
    int64_t elapsedCounts = 0;  // clock counts from the start to Finish

    // Percent of the step file output so far, 0..100 (whole number, rounded down).
    int percentComplete() const;
};

struct [[nodiscard]] CutOutcome {
    CutEnd end = CutEnd::Completed;
    std::optional<RunError> error;  // set when end is Failed
    CutStats stats;
    TickFigures timing;           // how well the ticks kept their schedule
    std::string memoryRefusal;    // why the pages could not be locked (empty when they were)
    std::string priority;         // the ticks' scheduling, e.g. "real-time (SCHED_FIFO 40)"
    std::string priorityRefusal;  // why real-time priority was not granted, with the step
};

class CutRunner {
public:
    explicit CutRunner(Workspace& ws);

    // Called after each segment's ticks with the profile point at which it ends (2 for the
    // first). May throw RunError (a segment beyond the profile), which ends the cut.
    std::function<void(int segmentEnd)> onSegmentDone;
    // Called after every tick with the figures so far (progress display).
    std::function<void(const CutStats&)> onTick;
    // Lets the window system run once; defaults to the workspace's yield.
    std::function<void()> yield;
    // Called when the step file's ticks begin (after the lead-in; the set itself was read at
    // Begin Cut).
    std::function<void()> onFilesOpened;

    // Keep the cut's record (where it stands) in the application folder, saying which runner's
    // set it is; None keeps no record.
    enum class Record { None, Wing, Foam };
    Record record = Record::None;

    // Begin Cut: reads the working set once, under the folder's lock and after the recovery of
    // an interrupted generation, and cuts that whatever is written to the folder meanwhile; then
    // runs to the end, to Stop or to an error. `pauseMs` is the pause at each zero
    // entry of the count file. Never throws a RunError: it comes back in the outcome. With a
    // plan it resumes a stopped cut instead: no lead-in, back along the path when the plan
    // says so, the wire switched on and heated first.
    CutOutcome run(Fixed4 pauseMs, const ResumePlan* resume = nullptr);

    // Makes the record durable now (a Pause); nothing without a record.
    void syncRecord(RecordSync at);

    // Stop: the loop ends at its next test (after the current tick).
    void requestStop() { stop_ = true; }
    bool stopRequested() const { return stop_; }
    bool running() const { return running_; }
    const CutStats& stats() const { return stats_; }

private:
    // One tick; false when the stop flag is set afterwards.
    // `direction` -1 is a tick back along the path (a resume's way to an earlier point).
    [[nodiscard]] bool tick(uint8_t portByte, bool fromStepFile, int direction = 1);
    void tickWriting(uint8_t portByte, int direction);
    void readSet(const ResumePlan* resume);
    void startRecord(const ResumePlan* resume);
    void endRecord(CutEnd end);
    [[nodiscard]] bool beginCutTicks(Fixed4 pauseMs);
    [[nodiscard]] bool resumeRun(const ResumePlan& plan, Fixed4 pauseMs);
    [[nodiscard]] bool pause(Fixed4 ms);  // false when stopped during the pause
    [[nodiscard]] bool leadMove(uint8_t portByte, int64_t ticks);
    [[nodiscard]] bool yieldAndTest();

    Workspace& ws_;
    bool stop_ = false;
    bool running_ = false;
    CutStats stats_;
    std::unique_ptr<CutRecorder> recorder_;
    // The set this cut cuts, read once at Begin Cut under the folder's lock, and its checksums.
    std::optional<WorkingSetReader> set_;
    SetFingerprint setPrint_;
    int64_t totalTicks_ = 0;  // of the cut the record keeps
};

}  // namespace corvane
