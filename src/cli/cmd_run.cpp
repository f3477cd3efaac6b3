// corvane-cli run: Begin Cut on the working set without a window (lead moves from the settings),
// on the chosen port backend, optionally tracing every port operation; prints one summary line.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_context.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "generate/cut_set_transaction.h"
#include "machine/step_output.h"
#include "platform/port_select.h"
#include "platform/tracing_port.h"
#include "run/cut_runner.h"

namespace corvane::cli {

namespace {

// Ctrl-C asks the cut to stop at its next tick, as the Stop button does.
volatile std::sig_atomic_t interruptRequested = 0;
extern "C" void onInterrupt(int) {
    interruptRequested = 1;
}

std::string summaryLine(const CutOutcome& outcome, MonotonicClock& clock) {
    const char* ended = outcome.end == CutEnd::Completed ? "Cut complete"
                        : outcome.end == CutEnd::Stopped ? "Cut stopped"
                                                         : "Cut failed";
    const double seconds =
        static_cast<double>(outcome.stats.elapsedCounts) / static_cast<double>(clock.frequency());
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.3f", seconds);
    return std::string(ended) + ": " + std::to_string(outcome.stats.ticks) + " ticks, " +
           std::to_string(outcome.stats.segments) + " segments, " +
           std::to_string(outcome.stats.pauses) + " pauses, " + elapsed + " s elapsed (" +
           std::to_string(outcome.stats.percentComplete()) + "% of the step file)";
}

}  // namespace

void addRunCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        std::optional<std::string> port;
        std::optional<std::string> trace;
        std::optional<double> speed;
        double pauseMs = 1;
        bool foam = false;
        std::unique_ptr<PortIo> backend;  // outlives the tracing port that wraps it
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand("run", "Begin Cut on the working cut-file set");
    cmd->add_option("--port", options->port, "sim, direct, ppdev or ppdev:/dev/parportN")
        ->envname("CORVANE_PORT");
    cmd->add_option("--trace", options->trace, "write every port operation with its time here");
    cmd->add_option("--speed", options->speed, "cutting speed in mm/s (default CutSpeed, 1)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--pause-ms", options->pauseMs, "pause at each delay point, ms (default 1)")
        ->check(CLI::NonNegativeNumber);
    cmd->add_flag("--foam", options->foam, "the set is a foam set (errors as the foam runner)");
    cmd->callback([&ctx, &runner, options] {
        runner = [&ctx, options]() -> int {
            Workspace& ws = ctx.workspace();
            if (recoverInterruptedGeneration(ws.appFolder())) {
                printMessage(
                    "An interrupted generation was found: the previous cut-file set "
                    "is back in place.");
            }
            const uint16_t dataPort = static_cast<uint16_t>(ws.settings.derived.DataPort);
            options->backend = openPort(parsePortChoice(options->port), dataPort);
            PortIo& backend = *options->backend;
            if (options->trace)
                ctx.usePort(std::make_unique<TracingPort>(backend, ws.clock(), *options->trace));
            else
                ctx.usePort(std::move(options->backend));
            // On a real port the wire pin starts at its inactive level; the cut never switches it.
            if (ws.port().isHardware()) WireOff(ws);
            if (options->speed) ws.motion.CutSpeed = Fixed4::fromDouble(*options->speed);
            std::cerr << "Port: " << ws.port().describe() << ", speed "
                      << formatDouble(ws.motion.CutSpeed.toDouble()) << " mm/s\n";

            CutRunner cut(ws);
            interruptRequested = 0;
            auto previous = std::signal(SIGINT, onInterrupt);
            cut.yield = [&cut] {
                if (interruptRequested) cut.requestStop();
            };
            const CutOutcome outcome = cut.run(Fixed4::fromDouble(options->pauseMs));
            std::signal(SIGINT, previous);
            if (auto* tracing = dynamic_cast<TracingPort*>(&ws.port())) tracing->flush();

            if (outcome.error) {
                printMessage(errorReportText(*outcome.error,
                                             options->foam ? "Module 11, BC" : "Module 10, BC"));
                if (!outcome.error->detail().empty()) printMessage(outcome.error->detail());
            }
            std::cout << summaryLine(outcome, ws.clock()) << std::endl;
            return outcome.end == CutEnd::Failed ? 1 : outcome.end == CutEnd::Stopped ? 130 : 0;
        };
    });
}

}  // namespace corvane::cli
