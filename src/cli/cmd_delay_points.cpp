// corvane-cli delay-points: rebuild the active delay-point set from the working count file and
// print one step number a line.
#include <iostream>

#include "cli/cli_context.h"
#include "generate/active_delay_set.h"
#include "generate/cut_set_transaction.h"

namespace corvane::cli {

namespace {

int printDelayPoints(CliContext& ctx) {
    Workspace& ws = ctx.workspace(false);
    recoverInterruptedGeneration(ws.appFolder());
    std::string error = rebuildActiveDelayPointsReported(ws);
    if (!error.empty()) {
        printMessage(error);
        return 1;
    }
    for (int i = 0; i < ws.delays.ActiveDelayPointCount; ++i) {
        std::cout << ws.delays.ActiveDelayPoints[static_cast<std::size_t>(i)] << '\n';
    }
    std::cout.flush();
    return 0;
}

}  // namespace

void addDelayPointsCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    CLI::App* cmd = app.add_subcommand(
        "delay-points", "rebuild the active delay points from cut_cnt.ct2, one step number a line");
    cmd->callback([&ctx, &runner] { runner = [&ctx] { return printDelayPoints(ctx); }; });
}

}  // namespace corvane::cli
