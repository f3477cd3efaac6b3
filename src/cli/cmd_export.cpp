// corvane-cli export gcode: a cut-file set as G-code for LinuxCNC (XYUV) or GRBL-family 4-axis
// boards (XYZA), cutting exactly the decoded step positions in the parallel port's time.
#include <iostream>
#include <optional>
#include <string>

#include "cli/cli_context.h"
#include "cli/simulated_set.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "generate/cut_set_transaction.h"
#include "simulate/gcode_export.h"
#include "simulate/simulation.h"

namespace corvane::cli {

void addExportCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        std::string set;
        std::string axes = "XYUV";
        std::optional<double> speed;
        std::string wireOn = "M3";
        std::string wireOff = "M5";
        double wirePower = kDefaultWirePower;
        double pauseMs = 1;
        double preheatMs = 0;
        std::string output;
    };
    auto o = std::make_shared<Options>();
    CLI::App* exportCmd = app.add_subcommand("export", "write a cut-file set in another form");
    exportCmd->require_subcommand(1);
    CLI::App* cmd = exportCmd->add_subcommand(
        "gcode", "G-code (mm, absolute, inverse-time feed) of the decoded set");
    cmd->add_option("--set", o->set, "saved set NAME.ct1 (or NAME); default the working set");
    cmd->add_option("--axes", o->axes, "XYUV (LinuxCNC) or XYZA (GRBL-family boards)")
        ->check([](const std::string& text) {
            return parseGcodeAxes(text) ? std::string() : std::string("XYUV or XYZA");
        });
    cmd->add_option("--speed", o->speed, "cutting speed in mm/s (default CutSpeed, 1)")
        ->check(positiveNumber());
    cmd->add_option("--wire-on", o->wireOn, "code that heats the wire (default M3)");
    cmd->add_option("--wire-power", o->wirePower,
                    "S word added to the wire-on code when it has none (default 1000; 0: none)")
        ->check(nonNegativeNumber());
    cmd->add_option("--preheat-ms", o->preheatMs, "dwell after the wire-on code, ms (default 0)")
        ->check(nonNegativeNumber());
    cmd->add_option("--wire-off", o->wireOff, "code that switches the wire off (default M5)");
    cmd->add_option("--pause-ms", o->pauseMs, "dwell at each delay point, ms (default 1)")
        ->check(nonNegativeNumber());
    cmd->add_option("-o,--output", o->output, "the G-code file to write")->required();
    cmd->callback([&ctx, &runner, o] {
        runner = [&ctx, o]() -> int {
            Workspace& ws = ctx.workspace();
            try {
                const SimulatedSet decoded = simulateNamedSet(ws, o->set, o->speed);
                const Simulation& sim = decoded.sim;
                const CuttingSpeed& speed = decoded.speed;
                GcodeOptions options;
                options.axes = *parseGcodeAxes(o->axes);
                options.speed = speed.speed;
                options.pauseMs = o->pauseMs;
                options.wireOn = o->wireOn;
                options.wirePower = o->wirePower;
                options.preheatMs = o->preheatMs;
                options.wireOff = o->wireOff;
                GcodeSummary summary;
                const std::string program = gcodeProgram(sim, options, &summary);
                const std::filesystem::path target = std::filesystem::absolute(o->output);
                writeFileAtomic(target, program);
                std::cout << "G-code: " << target.string() << " (" << gcodeAxesName(options.axes)
                          << ", " << summary.moves << " moves, " << summary.dwells << " dwells, "
                          << formatTwoDecimals(summary.seconds) << " s)\n";
            } catch (const RunError& e) {
                std::cout.flush();
                printError(e, "corvane-cli export");
                return 1;
            }
            std::cout.flush();
            return 0;
        };
    });
}

}  // namespace corvane::cli
