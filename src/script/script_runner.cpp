#include "script/script_runner.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "common/number_text.h"
#include "common/run_error.h"
#include "common/scoped_flag.h"
#include "machine/motion_priority.h"
#include "machine/motion_stamp.h"
#include "machine/step_output.h"
#include "machine/workspace.h"
#include "manual/jog_moves.h"
#include "platform/monotonic_clock.h"
#include "run/working_set_reader.h"

namespace corvane {

namespace {

// The set's total for the status line: its last running total (a delay marker may follow it).
std::string totalText(const std::vector<int32_t>& entries) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (*it != 0) return std::to_string(*it);
    return "0";
}

}  // namespace

std::string linesRunSummary(const ScriptStats& stats) {
    std::string text =
        std::to_string(stats.linesRun) + (stats.linesRun == 1 ? " line" : " lines") + " run";
    if (stats.failedLines.empty()) return text + ", no line failed";
    text += stats.failedLines.size() == 1 ? ", line failed: " : ", lines failed: ";
    for (std::size_t i = 0; i < stats.failedLines.size(); ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(stats.failedLines[i]);
    return text;
}

std::filesystem::path scriptPath(const Workspace& ws, const std::string& path) {
    const std::filesystem::path p(path);
    return p.is_absolute() ? p : ws.appFolder() / p;
}

LineCheckContext scriptCheckContext(const Workspace& ws, bool runCheck) {
    LineCheckContext context;
    context.speedSliderMax = ws.settings.derived.SpeedSliderMax;
    context.runCheck = runCheck;
    const Workspace* w = &ws;
    context.fileExists = [w](const std::string& path) {
        std::error_code ec;
        return std::filesystem::is_regular_file(scriptPath(*w, path), ec);
    };
    return context;
}

ScriptRunner::ScriptRunner(Workspace& ws) : ws_(ws) {}

void ScriptRunner::show(const std::string& text, const std::string& title) {
    if (message) message(text, title);
}

void ScriptRunner::doYield() {
    if (yield)
        yield();
    else
        ws_.yield();
}

void ScriptRunner::clearPanels() {
    ws_.setStatus(2, "");
    ws_.setStatus(3, "");
}

bool ScriptRunner::tick(uint8_t portByte) {
    StepPulse(ws_, portByte, ws_.motion.JogSpeed);
    ++stats_.steps;
    doYield();
    return stopFlag_ != 1;
}

// A pause or a delay point stands the machine still without a write, the window system running
// in its slices and Stop ending it; the ticks after it keep a schedule of their own.
bool ScriptRunner::wait(Fixed4 ms) {
    return StandStill(ws_, ms, [this] {
        doYield();
        return stopFlag_ != 1;
    });
}

ScriptOutcome ScriptRunner::run(std::vector<std::string> lines) {
    ScriptOutcome outcome;
    if (running_) {
        outcome.end = ScriptEnd::Ignored;
        return outcome;
    }
    if (!ws_.portKnown()) {
        show(ws_.portRefusal(), Workspace::kNoPortTitle);
        outcome.end = ScriptEnd::Refused;
        return outcome;
    }
    const ScopedFlag running(running_);  // busy however the run ends
    stopFlag_ = 0;
    stats_ = ScriptStats{};
    MonotonicClock& clock = ws_.clock();
    const int64_t start = clock.now();
    const int n = static_cast<int>(lines.size());

    const LineCheckContext context = scriptCheckContext(ws_, true);
    for (int i = 1; i <= n; ++i) {
        ws_.setStatus(3, "Checking script, Line (" + std::to_string(i) + ")");
        LineFault fault = LineFault::None;
        std::string report;
        try {
            fault = checkScriptLine(lines[i - 1], context);
        } catch (const RunError& e) {
            // A number too large to read (a travel of 1e999): reported like the run's own
            // errors, on its line, and nothing runs.
            report = errorReportText(e, "Module Script, RS");
        }
        if (fault == LineFault::None && report.empty()) continue;
        if (selectLine) selectLine(i - 1);
        show(report.empty() ? runFaultMessage(fault, i) : report);
        outcome.end = ScriptEnd::CheckFailed;
        outcome.failingLine = i;
        outcome.stats.elapsedCounts = clock.now() - start;
        return outcome;
    }

    outcome.end = ScriptEnd::Completed;
    markMotion(ws_, "a script");  // a stopped cut learns the carriages moved
    const MotionPriority priority(ws_);
    try {
        for (int i = 1; i <= n; ++i) {
            if (stopFlag_ == 1) {
                outcome.end = ScriptEnd::Stopped;
                break;
            }
            ws_.setStatus(3, "Running script, Line (" + std::to_string(i) + ")");
            const bool ok = execute(splitScriptLine(lines[i - 1]));
            ++stats_.linesRun;
            if (!ok) {
                // The machine is not where the rest of the script expects it: stop unless
                // the operator says otherwise.
                stats_.failedLines.push_back(i);
                const bool goOn = askContinue ? askContinue(i, lines[i - 1]) : keepGoing;
                if (!goOn) {
                    outcome.end = ScriptEnd::LineFailed;
                    break;
                }
            }
            doYield();
        }
        if (outcome.end == ScriptEnd::Completed && stopFlag_ == 1) outcome.end = ScriptEnd::Stopped;
        clearPanels();
    } catch (const RunError& e) {
        clearPanels();
        show(errorReportText(e, "Module Script, RS"));
        outcome.end = ScriptEnd::Failed;
    }
    stats_.elapsedCounts = clock.now() - start;
    outcome.stats = stats_;
    return outcome;
}

// Errors inside a move, angle, pause or cut are reported under its own name; the caller decides
// whether the run goes on.
bool ScriptRunner::execute(const std::vector<std::string>& items) {
    const std::string& keyword = items.at(0);
    if (static_cast<int>(items.size()) - 1 < std::max(0, scriptItemsNeeded(keyword)))
        throw RunError(ErrorNumber::SubscriptOutOfRange);
    if (keyword == "speed") {
        ws_.motion.JogSpeed = Fixed4::fromDouble(leadingNumber(items[1]));
        if (speedChanged) speedChanged();
        return true;
    }
    const char* label = keyword == "move"    ? "Module Script, RM"
                        : keyword == "angle" ? "Module Script, RA"
                        : keyword == "pause" ? "Module Script, RP"
                        : keyword == "cut"   ? "Module Script, RC"
                                             : nullptr;
    if (label == nullptr) throw RunError(ErrorNumber::InvalidProcedureCall);
    cutFile_.clear();
    try {
        if (keyword == "move") runMove(items);
        if (keyword == "angle") runAngle(items);
        if (keyword == "pause") runPause(pauseMillis(items[1]));
        if (keyword == "cut") runCut(items[1], countFileOf(items[1]));
    } catch (const RunError& e) {
        std::string detail = e.detail();
        // A cut's error names the file it was reading, which the classic text never does.
        if (!cutFile_.empty() && detail.find(cutFile_) == std::string::npos)
            detail = withDetail("Cut file: " + cutFile_, detail);
        show(withDetail(errorReportText(e, label), detail));
        return false;
    }
    return true;
}

void ScriptRunner::runMove(const std::vector<std::string>& items) {
    if (focusSlider) focusSlider();
    stopFlag_ = 0;
    const int32_t steps = signedSteps(ws_.settings.derived.StepsPerMm, items[3]);
    ClearStepBits(ws_);
    const uint8_t byte = moveByte(ws_.settings.derived, items[1], items[2]);
    for (int32_t k = 1; k <= steps; ++k)
        if (!tick(byte)) return;
}

// An integer interleave: the pair with more steps steps every tick, the other whenever its
// counter (rounded from the index of its last step) comes round.
void ScriptRunner::runAngle(const std::vector<std::string>& items) {
    if (focusSlider) focusSlider();
    stopFlag_ = 0;
    ClearStepBits(ws_);
    const DerivedSettings& d = ws_.settings.derived;
    const int32_t sx = signedSteps(d.StepsPerMm, items[3]);
    const int32_t sy = signedSteps(d.StepsPerMm, items[6]);
    const int32_t n = std::max(sx, sy);
    if (sx == 0 || sy == 0) throw RunError(ErrorNumber::DivisionByZero);
    const double rx = static_cast<double>(n) / sx;
    const double ry = static_cast<double>(n) / sy;
    const uint8_t xByte = angleXByte(d, items[1], items[2]);
    const uint8_t yByte = angleYByte(d, items[4], items[5]);
    const uint8_t dominant = sx >= sy ? xByte : yByte;
    const uint8_t minor = sx >= sy ? yByte : xByte;
    int64_t cx = toInt64(rx);
    int64_t cy = toInt64(ry);
    for (int64_t i = 1; i <= n; ++i) {
        uint8_t byte = dominant;
        if (cx == i && cy == i) {
            byte = portByteSum({dominant, minor});
            cx = toInt64(rx + static_cast<double>(i));
            cy = toInt64(ry + static_cast<double>(i));
        } else if (sx < sy) {
            cy = toInt64(ry + static_cast<double>(i));
        } else {
            cx = toInt64(rx + static_cast<double>(i));
        }
        if (!tick(byte)) return;
    }
}

void ScriptRunner::runPause(int64_t ms) {
    if (focusSlider) focusSlider();
    // A Stop that ends the wait early is seen by the run loop, which tests the flag next.
    (void)wait(Fixed4::fromDouble(static_cast<double>(ms)));  // Overflow past the fixed-point range
}

// Every tick of the set is output, as the cut runner does: a running total c outputs the ticks
// up to and including tick c, and the status line names the next tick to output.
void ScriptRunner::runCut(const std::string& stepFile, const std::string& countFile) {
    if (focusSlider) focusSlider();
    ws_.motion.DelayWaitMs = Fixed4::fromDouble(leadingNumber(delayText ? delayText() : "1"));
    stopFlag_ = 0;
    struct PanelTwo {
        Workspace& ws;
        ~PanelTwo() { ws.setStatus(2, ""); }
    } clearAtEnd{ws_};
    cutFile_ = scriptPath(ws_, stepFile).string();
    WorkingSetReader set(scriptPath(ws_, stepFile), scriptPath(ws_, countFile));
    restartTickSchedule(ws_.motion);  // a new move keeps a schedule of its own
    const std::string total = totalText(set.countEntries());
    int64_t next = 1;
    std::optional<int32_t> entry = set.nextCount();
    while (entry && stopFlag_ != 1) {
        ws_.setStatus(2, "Processing cut file step " + std::to_string(next) + " of " + total);
        while (entry && *entry == 0) {
            if (!wait(ws_.motion.DelayWaitMs)) return;
            entry = set.nextCount();
        }
        if (!entry) return;
        for (; next <= *entry; ++next)
            if (!tick(set.nextStep())) return;
        entry = set.nextCount();
    }
}

}  // namespace corvane
