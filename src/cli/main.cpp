// corvane-cli: the headless twin of corvane for batch work, dry runs and tests.
#include <CLI/CLI.hpp>
#include <iostream>

#include "build_version.h"
#include "cli/cli_context.h"
#include "cli/cmd_drawing.h"
#include "common/run_error.h"
#include "machine/wire_guard.h"

using namespace corvane;
using namespace corvane::cli;

int main(int argc, char** argv) {
    // Counted from the first instruction: a Ctrl-Z during start-up keeps a cut from starting.
    WireGuard::watchStops();
    CLI::App app{"corvane-cli: settings, generation, dry runs and plans without windows"};
    app.set_version_flag("--version", "corvane-cli " CORVANE_BUILD_VERSION);
    app.require_subcommand(1);
    CliContext ctx;
    app.add_option("--app-dir", ctx.appDir, "application folder (default: CORVANE_APP_DIR, ...)")
        ->envname("CORVANE_APP_DIR");
    app.add_flag("--init", ctx.init, "create the --app-dir folder when it does not exist");
    SubcommandRunner runner;
    addSettingsCommand(app, ctx, runner);
    addPlanCommand(app, ctx, runner);
    addPlanformCommand(app, ctx, runner);
    addGenerateCommand(app, ctx, runner);
    addDelayPointsCommand(app, ctx, runner);
    addRunCommand(app, ctx, runner);
    addAirfoilCommand(app, ctx, runner);
    addLoadCommand(app, ctx, runner);
    addScriptCommand(app, ctx, runner);
    addSimulateCommand(app, ctx, runner);
    addExportCommand(app, ctx, runner);
    addLatencyTestCommand(app, ctx, runner);
    addControllerCommand(app, ctx, runner);
    addDrawingCommand(app, ctx, runner);
    addMaterialCommand(app, ctx, runner);
    addCalibrateCommand(app, ctx, runner);
    CLI11_PARSE(app, argc, argv);
    announceFolderWaits();
    try {
        return runner ? runner() : 2;
    } catch (const ReportedError& e) {
        return e.exitCode;
    } catch (const RunError& e) {
        printError(e, "corvane-cli");
        return 1;
    } catch (const std::exception& e) {
        printMessage(e.what());
        return 1;
    }
}
