// Runs a cutting script: a check pass over every line (nothing moves when one is wrong), then
// the lines in order, each tick through StepPulse at JogSpeed with one yield and one stop-flag
// test after it. Shared by the script window and `corvane-cli script run`; never switches
// the wire.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/fixed_point.h"
#include "script/script_language.h"

namespace corvane {

class Workspace;

enum class ScriptEnd {
    Completed,    // every line ran (with keepGoing, failed lines were reported and passed)
    Stopped,      // the stop flag ended the run
    LineFailed,   // a move, angle, pause or cut failed and the run stopped after it
    CheckFailed,  // a line broke a rule: nothing ran
    Failed,       // a run-time error outside the instructions ended the run
    Refused,      // no known port: nothing ran
    Ignored,      // a run of this runner was already going
};

struct ScriptStats {
    int linesRun = 0;              // lines executed, failed ones included
    std::vector<int> failedLines;  // 1-based, in run order
    int64_t steps = 0;             // ticks output
    int64_t elapsedCounts = 0;
};

struct [[nodiscard]] ScriptOutcome {
    ScriptEnd end = ScriptEnd::Completed;
    int failingLine = 0;  // 1-based, for CheckFailed
    ScriptStats stats;
};

// "3 lines run, lines failed: 2" (", no line failed" when none failed).
std::string linesRunSummary(const ScriptStats& stats);

// A script line's path as the runner opens it: relative paths are in the application folder.
std::filesystem::path scriptPath(const Workspace& ws, const std::string& path);

// The check context of the workspace: its SpeedSliderMax and its application folder.
LineCheckContext scriptCheckContext(const Workspace& ws, bool runCheck);

class ScriptRunner {
public:
    explicit ScriptRunner(Workspace& ws);

    // An OK message box (check failures, error reports, the no-port refusal).
    std::function<void(const std::string& text, const std::string& title)> message;
    // Selects the failing line (0-based) in the window's list.
    std::function<void(int index)> selectLine;
    // After a "speed" line set JogSpeed: the slider and its label follow.
    std::function<void()> speedChanged;
    // Each instruction gives the speed slider the focus.
    std::function<void()> focusSlider;
    // The delay-time box: read by every "cut" line for DelayWaitMs.
    std::function<std::string()> delayText;
    // Lets the window system run once; defaults to the workspace's yield.
    std::function<void()> yield;
    // After a failed move, angle, pause or cut (1-based line, its text): true goes on with the
    // next line. Unset, the run goes on only with keepGoing.
    std::function<bool(int line, const std::string& text)> askContinue;
    bool keepGoing = false;

    // Check, then run `lines` (a copy: editing the list during the run changes nothing).
    ScriptOutcome run(std::vector<std::string> lines);

    void requestStop() { stopFlag_ = 1; }
    int16_t stopFlag() const { return stopFlag_; }
    bool running() const { return running_; }

private:
    // False when an instruction failed (its error already reported).
    [[nodiscard]] bool execute(const std::vector<std::string>& items);
    void runMove(const std::vector<std::string>& items);
    void runAngle(const std::vector<std::string>& items);
    void runPause(int64_t ms);
    void runCut(const std::string& stepFile, const std::string& countFile);
    [[nodiscard]] bool tick(uint8_t portByte);  // false when the stop flag is set afterwards
    [[nodiscard]] bool wait(Fixed4 ms);         // false when the stop flag ended it early
    void doYield();
    void show(const std::string& text, const std::string& title = {});
    std::string cutFile_;  // the cut file a "cut" line is reading, for its messages
    void clearPanels();

    Workspace& ws_;
    int16_t stopFlag_ = 0;
    bool running_ = false;
    ScriptStats stats_;
};

}  // namespace corvane
