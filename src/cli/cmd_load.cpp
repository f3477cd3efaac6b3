// corvane-cli load SET.ct1: the main window's Load Cut File without the dialogs — the saved set
// replaces the working set as one step and the active delay points are rebuilt.
#include <iostream>

#include "cli/cli_context.h"
#include "generate/cut_set_commands.h"
#include "generate/cut_set_transaction.h"

namespace corvane::cli {

namespace {

int runLoad(CliContext& ctx, const std::string& set) {
    Workspace& ws = ctx.workspace(true);
    if (recoverInterruptedGeneration(ws.appFolder()))
        printMessage(
            "An interrupted generation was found: the previous cut-file set is back in place.");
    LoadOutcome out = loadCutSet(ws, std::filesystem::absolute(set));
    // The reason as the window shows it: the message with its detail on the lines below.
    for (const UserMessage& m : out.messages) {
        const std::string text = m.title == kMachineBusyTitle ? m.title + ": " + m.text : m.text;
        printMessage(withDetail(text, m.detail));
    }
    if (!out.loaded) return 1;
    std::cout << "Loaded=" << set << '\n';
    std::cout.flush();
    return 0;
}

}  // namespace

void addLoadCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    auto set = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("load", "load a saved cut-file set over the working set");
    cmd->add_option("set", *set, "the saved set's step file (NAME.ct1)")->required();
    cmd->callback([&ctx, &runner, set] { runner = [&ctx, set] { return runLoad(ctx, *set); }; });
}

}  // namespace corvane::cli
