// corvane-cli run: Begin Cut on the working set without a window (lead moves from the settings),
// on the chosen port backend, optionally tracing every port operation; prints one summary line.
// With --wire on it switches the wire on before the lead-in and off after the lead-out, on Stop,
// on any error and on every signal (through the wire guard). After the cut it prints the ticks'
// timing beside a bare timer loop of the same period and priority (the PC's own floor).
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_context.h"
#include "cli/controller_run.h"
#include "cli/run_resume.h"
#include "cli/run_summary.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "generate/cut_set_transaction.h"
#include "machine/motion_priority.h"
#include "machine/port_opening.h"
#include "machine/tick_floor.h"
#include "machine/tick_timing.h"
#include "machine/wire_guard.h"
#include "machine/wire_state.h"
#include "platform/port_select.h"
#include "platform/tracing_port.h"
#include "run/cut_runner.h"

namespace corvane::cli {

namespace {

// Switches the wire off on every way out of the run (an error, a throw, the end).
struct WireOffAtEnd {
    Workspace& ws;
    ~WireOffAtEnd() {
        try {
            WireOff(ws);
        } catch (const std::exception& e) {
            printMessage(std::string("The wire could not be switched off: ") + e.what());
        }
        // The guard lets go of the port and the trace before they go with the context.
        WireGuard::release();
    }
};

std::string summaryLine(const CutOutcome& outcome, MonotonicClock& clock) {
    return cli::summaryLine(
        cutEndedText(outcome.end == CutEnd::Completed, outcome.end == CutEnd::Stopped),
        std::to_string(outcome.stats.ticks) + " ticks, " + std::to_string(outcome.stats.segments) +
            " segments, " + std::to_string(outcome.stats.pauses) + " pauses",
        countsToSeconds(outcome.stats.elapsedCounts, clock),
        " (" + std::to_string(outcome.stats.percentComplete()) + "% of the step file)");
}

}  // namespace

void addRunCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        std::optional<std::string> port;
        std::optional<std::string> trace;
        std::optional<double> speed;
        double floorSeconds = 3;
        double pauseMs = 1;
        bool foam = false;
        std::string wire = "off";
        MachinePort machinePort;  // outlives the workspace's use of it
        ControllerRunOptions controller;
        ResumeOptions resume;
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand("run", "Begin Cut on the working cut-file set");
    cmd->add_option("--port", options->port, "sim, direct, ppdev or ppdev:/dev/parportN")
        ->envname("CORVANE_PORT");
    cmd->add_option("--trace", options->trace, "write every port operation with its time here");
    cmd->add_option("--speed", options->speed, "cutting speed in mm/s (default CutSpeed, 1)")
        ->check(positiveNumber());
    cmd->add_option("--pause-ms", options->pauseMs, "pause at each delay point, ms (default 1)")
        ->check(nonNegativeNumber());
    cmd->add_option("--floor-seconds", options->floorSeconds,
                    "longest bare timer loop after the cut, in seconds (default 3, 0: none)")
        ->check(CLI::Range(0.0, 600.0));
    cmd->add_flag("--foam", options->foam, "the set is a foam set (errors as the foam runner)");
    cmd->add_option("--wire", options->wire,
                    "on: switch the wire on before the lead-in and off after the cut (default off)")
        ->check(CLI::IsMember({"on", "off"}));
    cmd->add_option("--controller", options->controller.controller,
                    "stream to a GRBL-family controller, grbl:DEVICE[@BAUD], instead of a port");
    cmd->add_option("--set", options->controller.set, "with --controller: saved set NAME");
    cmd->add_option("--wire-output", options->controller.wireOutput,
                    "with --controller: spindle (M3 S<power>/M5, default) or coolant (M8/M9)")
        ->check(CLI::IsMember({"spindle", "coolant"}));
    cmd->add_option("--wire-power", options->controller.wirePower,
                    "with --controller: the S word of M3 (default 1000)")
        ->check(nonNegativeNumber());
    addResumeOptions(*cmd, options->resume);
    cmd->callback([&ctx, &runner, options] {
        runner = [&ctx, options]() -> int {
            if (!options->controller.controller.empty()) {
                // The record of a stopped cut counts the port's ticks; a controller runs whole.
                if (options->resume.asked() || options->resume.stopAfter) {
                    printMessage(
                        "--resume, --from-segment, --from-delay-point and --stop-after "
                        "run on a port; with --controller the cut starts again.");
                    return 2;
                }
                ControllerRunOptions& c = options->controller;
                c.speed = options->speed;
                c.pauseMs = options->pauseMs;
                c.wire = options->wire == "on";
                return runOnController(ctx, c);
            }
            Workspace& ws = ctx.workspace();
            if (recoverInterruptedGeneration(ws.appFolder())) {
                printMessage(
                    "An interrupted generation was found: the previous cut-file set "
                    "is back in place.");
            }
            // No known port: nothing is opened and nothing is written anywhere.
            if (!ws.portKnown()) {
                printMessage(ws.portRefusal());
                return 1;
            }
            // Checked and said before anything opens or moves.
            const std::optional<ResumePlan> resume =
                resumePlanFor(ws, options->resume, options->foam);
            // The one source of motion and wire for the whole command, as a window's cut is.
            const LeaseHold lease = ws.lease.take(&ctx, kCommandLineHolder);
            // Trace file and signal guard first, then the lock and the claim (wire pin inactive
            // right after it). Every signal from here on drives the wire pin inactive; SIGINT,
            // SIGTERM, SIGHUP and the like then stop the cut as the Stop button does.
            options->machinePort = openMachinePort(
                parsePortChoice(options->port), options->trace, &ws.settings,
                [&ws] { return &ws.settings; }, ws.clock());
            ctx.usePort(options->machinePort.live());
            WireOffAtEnd wireOffAtEnd{ws};
            WireOff(ws);
            if (options->speed) ws.motion.CutSpeed = Fixed4::fromDouble(*options->speed);
            std::cerr << "Port: " << ws.port().describe() << ", speed "
                      << formatDouble(ws.motion.CutSpeed.toDouble()) << " mm/s\n";
            // A stop signal since the program started (even during start-up) means no cut: after
            // SIGCONT the command ends with the wire off rather than starting to cut.
            if (WireGuard::halts() != 0) {
                printMessage(
                    "The program was stopped by a signal (Ctrl-Z) before the cut began: "
                    "nothing was started.");
                return 1;
            }
            if (options->wire == "on") {
                WireOn(ws);
                if (ws.wire.on())
                    std::cerr << "Wire on\n";
                else
                    printMessage(
                        "No wire pin is chosen in 设备设置 (热丝控制): the wire stays off.");
            }

            // What a window shows in status panel 2 (no record kept, memory not locked) is said
            // here.
            ws.showStatus = [](int panel, const std::string& text) {
                if (panel == 2 && !text.empty()) printMessage(text);
            };
            CutRunner cut(ws);
            cut.record = options->foam ? CutRunner::Record::Foam : CutRunner::Record::Wing;
            cut.yield = [&cut, stopAfter = options->resume.stopAfter] {
                if (WireGuard::requestedBy() != 0 || WireGuard::halts() != 0 ||
                    (stopAfter && cut.stats().ticks >= *stopAfter))
                    cut.requestStop();
            };
            const CutOutcome outcome =
                cut.run(Fixed4::fromDouble(options->pauseMs), resume ? &*resume : nullptr);
            WireOff(ws);
            const int signal = WireGuard::requestedBy();

            if (outcome.error) {
                printMessage(errorReportText(*outcome.error,
                                             options->foam ? "Module 11, BC" : "Module 10, BC"));
                if (!outcome.error->detail().empty()) printMessage(outcome.error->detail());
            }
            std::cout << summaryLine(outcome, ws.clock()) << "\nTick timing:\n"
                      << describeTickFigures(outcome.timing);
            // The floor: a bare loop after the cut (the wire is off), as long as the cut up to
            // a few seconds, at the priority the cut had. A signal ends the program at once.
            if (signal == 0 && outcome.timing.ticks >= 2 && options->floorSeconds > 0) {
                const double seconds = std::min(options->floorSeconds,
                                                static_cast<double>(outcome.stats.elapsedCounts) /
                                                    static_cast<double>(ws.clock().frequency()));
                const MotionPriority priority(ws);
                const TickFigures bare = BareTimerLoop(
                    ws, tickPeriodMs(ws.settings.derived.StepsPerMm, ws.motion.CutSpeed), seconds);
                std::cout << describeFloor(outcome.timing, bare, outcome.priority);
            } else {
                std::cout << "  priority: " << outcome.priority << "\n";
            }
            std::cout << "  Verdict: " << tickVerdict(outcome.timing) << std::endl;
            if (!outcome.memoryRefusal.empty()) std::cerr << outcome.memoryRefusal << "\n";
            if (!outcome.priorityRefusal.empty()) std::cerr << outcome.priorityRefusal << "\n";
            if (signal != 0) return 128 + signal;
            return outcome.end == CutEnd::Failed ? 1 : outcome.end == CutEnd::Stopped ? 130 : 0;
        };
    });
}

}  // namespace corvane::cli
