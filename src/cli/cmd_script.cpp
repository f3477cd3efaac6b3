// corvane-cli script check|run: the script window's check and run without a window. `check`
// prints every line's verdict with its file line and the first failure as the run check words
// it, and warns of every item Load skips; `run` runs the script as the Run button does, stops
// at a failed line unless --keep-going, and prints one summary line.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/run_summary.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "machine/port_opening.h"
#include "machine/wire_guard.h"
#include "machine/wire_state.h"
#include "platform/port_select.h"
#include "platform/tracing_port.h"
#include "script/script_file.h"
#include "script/script_runner.h"

namespace corvane::cli {

namespace {

// The script as the window's Load reads it. Every skipped item is a warning with its file line:
// the file would not run as written. A load error is reported under "LS" after the lines before
// it; `ok` turns false on either.
ScriptLoad loadScript(const std::string& file, bool& ok) {
    ScriptLoad load;
    try {
        load = readScriptFile(readFileBytes(file));
    } catch (const RunError& e) {
        printError(e, "Module Script, LS");
        throw ReportedError(1);
    }
    for (const std::string& line : skippedItemLines(load.skipped))
        std::cerr << file << ": warning: " << line << " skipped: not an instruction\n";
    ok = load.skipped.empty() && !load.error;
    return load;
}

std::string summaryLine(const ScriptOutcome& outcome, MonotonicClock& clock) {
    const char* ended = outcome.end == ScriptEnd::Completed    ? "Script complete"
                        : outcome.end == ScriptEnd::Stopped    ? "Script stopped"
                        : outcome.end == ScriptEnd::LineFailed ? "Script stopped at a failed line"
                                                               : "Script failed";
    return cli::summaryLine(
        ended,
        linesRunSummary(outcome.stats) + ", " + std::to_string(outcome.stats.steps) + " steps out",
        countsToSeconds(outcome.stats.elapsedCounts, clock));
}

int checkScript(CliContext& ctx, const std::string& file) {
    Workspace& ws = ctx.workspace();
    bool loadOk = true;
    const ScriptLoad load = loadScript(file, loadOk);
    const std::vector<std::string>& lines = load.lines;
    const LineCheckContext context = scriptCheckContext(ws, true);
    std::optional<std::string> firstFailure;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        LineFault fault = LineFault::None;
        std::string report, verdict;
        try {
            fault = checkScriptLine(lines[i], context);
            verdict = fault == LineFault::None ? std::string("OK") : editFaultMessage(fault);
        } catch (const RunError& e) {  // a number too large to read: this line fails the check
            report = errorReportText(e, "Module Script, RS");
            verdict = report.substr(0, report.find('\r'));
        }
        std::cout << "file line " << load.fileLines[i] << ", line " << number << ": " << verdict
                  << "  [" << lines[i] << "]\n";
        if ((fault != LineFault::None || !report.empty()) && !firstFailure)
            firstFailure = report.empty() ? runFaultMessage(fault, number) : report;
    }
    std::cout.flush();
    if (load.error) printError(*load.error, "Module Script, LS");
    if (firstFailure) printMessage(*firstFailure);
    return firstFailure || !loadOk ? 1 : 0;
}

}  // namespace

void addScriptCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        std::string file;
        std::optional<std::string> port;
        std::optional<std::string> trace;
        std::optional<double> speed;
        double delayMs = 1;
        MachinePort machinePort;  // outlives the workspace's use of it
        bool keepGoing = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand("script", "Check or run a cutting script");
    cmd->require_subcommand(1);

    CLI::App* check = cmd->add_subcommand("check", "Check every line of a cutting script");
    check->add_option("FILE", options->file, "the script file")->required();
    check->callback([&ctx, &runner, options] {
        runner = [&ctx, options] { return checkScript(ctx, options->file); };
    });

    CLI::App* run = cmd->add_subcommand("run", "Check and run a cutting script");
    run->add_option("FILE", options->file, "the script file")->required();
    run->add_option("--port", options->port, "sim, direct, ppdev or ppdev:/dev/parportN")
        ->envname("CORVANE_PORT");
    run->add_option("--trace", options->trace, "write every port operation with its time here");
    run->add_option("--speed", options->speed, "JogSpeed in mm/s before the first line (default 1)")
        ->check(positiveNumber());
    run->add_option("--delay-ms", options->delayMs, "wait at each delay point of a cut, ms")
        ->check(nonNegativeNumber());
    run->add_flag("--keep-going", options->keepGoing,
                  "go on with the next line after a failed move, angle, pause or cut");
    run->callback([&ctx, &runner, options] {
        runner = [&ctx, options]() -> int {
            Workspace& ws = ctx.workspace();
            bool loadOk = true;
            const ScriptLoad load = loadScript(options->file, loadOk);
            // A file that loads differently from how it reads would cut something else.
            if (!loadOk) {
                if (load.error) printError(*load.error, "Module Script, LS");
                printMessage("The script was not run: the file does not load as written");
                return 1;
            }
            const std::vector<std::string>& lines = load.lines;
            if (options->speed) {
                // The window's slider stops at SpeedSliderMax (five positions a mm/s).
                const double top = ws.settings.derived.SpeedSliderMax / 5.0;
                if (*options->speed > top) {
                    printMessage("--speed " + formatDouble(*options->speed) +
                                 " mm/s is above the speed slider's top of " + formatDouble(top) +
                                 " mm/s");
                    return 1;
                }
            }
            if (!ws.portKnown()) {
                printMessage(std::string(Workspace::kNoPortTitle) + ": " + ws.portRefusal());
                return 1;
            }
            // The one source of motion and wire for the whole command, as a window's cut is.
            const LeaseHold lease = ws.lease.take(&ctx, kCommandLineHolder);
            // Trace file and signal guard first, then the lock and the claim (wire pin inactive
            // right after it).
            options->machinePort = openMachinePort(
                parsePortChoice(options->port), options->trace, &ws.settings,
                [&ws] { return &ws.settings; }, ws.clock());
            ctx.usePort(options->machinePort.live());
            struct GuardOffAtEnd {
                ~GuardOffAtEnd() { WireGuard::release(); }
            } guardOffAtEnd;
            // On a real port the wire pin starts at its inactive level; the script never
            // switches it.
            if (ws.port().isHardware()) WireOff(ws);
            if (options->speed) ws.motion.JogSpeed = Fixed4::fromDouble(*options->speed);
            std::cerr << "Port: " << ws.port().describe() << ", speed "
                      << formatDouble(ws.motion.JogSpeed.toDouble()) << " mm/s\n";

            // A stop signal since the program started (even during start-up) means no script: after
            // SIGCONT the command ends with the wire off rather than starting it.
            if (WireGuard::halts() != 0) {
                printMessage(
                    "The program was stopped by a signal (Ctrl-Z) before the script began: "
                    "nothing was started.");
                return 1;
            }
            ScriptRunner script(ws);
            script.keepGoing = options->keepGoing;
            const std::string delay = formatDouble(options->delayMs);
            script.delayText = [delay] { return delay; };
            script.message = [](const std::string& text, const std::string& title) {
                printMessage(title.empty() ? text : title + ": " + text);
            };
            script.yield = [&script] {
                // SIGINT and every other termination signal reach the guard, which drove the
                // wire pin inactive; Ctrl-Z stopped the process after doing the same.
                if (WireGuard::requestedBy() != 0 || WireGuard::halts() != 0) script.requestStop();
            };
            const ScriptOutcome outcome = script.run(lines);
            if (auto* tracing = dynamic_cast<TracingPort*>(&ws.port())) tracing->flush();
            if (outcome.end == ScriptEnd::CheckFailed) return 1;
            if (const int signal = WireGuard::requestedBy(); signal != 0 && signal != SIGINT) {
                std::cout << summaryLine(outcome, ws.clock()) << std::endl;
                return 128 + signal;
            }
            std::cout << summaryLine(outcome, ws.clock()) << std::endl;
            if (outcome.end == ScriptEnd::Stopped) return 130;
            // A failed line fails the command even when --keep-going ran past it.
            return outcome.end == ScriptEnd::Completed && outcome.stats.failedLines.empty() ? 0 : 1;
        };
    });
}

}  // namespace corvane::cli
