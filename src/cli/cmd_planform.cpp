// corvane-cli planform NAME TextN=value ...: a planform window's "Calculate" without the window.
// The keys are the window's input boxes; every box the calculation fills is printed as
// TextN=value, as the window shows it. The oversize blank amounts come from settings.txt.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "generate/planform.h"

namespace corvane::cli {

namespace {

std::string joined(const std::vector<std::string_view>& names) {
    std::string out;
    for (auto n : names) out += (out.empty() ? "" : " ") + std::string(n);
    return out;
}

int runPlanform(CliContext& ctx, const std::string& name, const std::vector<std::string>& args) {
    const PlanformWindowInfo* window = findPlanformWindow(name);
    if (!window) {
        std::vector<std::string_view> names;
        for (const auto& w : planformWindows()) names.push_back(w.name);
        printMessage("Unknown planform window \"" + name + "\"; the windows are: " + joined(names));
        return 2;
    }
    std::string complaint;
    const std::optional<BoxTexts> boxes = planformArguments(*window, args, complaint);
    if (!boxes) {
        printMessage(complaint);
        return 2;
    }
    Workspace& ws = ctx.workspace();
    PlanformResult result =
        calculatePlanform(*window, *boxes, OversizeBlank::fromSettings(ws.settings));
    std::string out;
    for (const FilledBox& b : result.boxes) out += b.name + "=" + b.text + "\n";
    std::cout << out << std::flush;
    for (const std::string& problem : result.problems) printMessage(problem);
    return result.problems.empty() ? 0 : 1;
}

}  // namespace

void addPlanformCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        std::string name;
        std::vector<std::string> boxes;
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "planform", "a planform window's calculation: tower chords, gaps and foam blank");
    cmd->add_option("name", options->name, "the window: left_taper, Form7, concentric, ...")
        ->required();
    cmd->add_option("boxes", options->boxes, "input boxes as TextN=value (empty boxes read 0)");
    cmd->callback([&ctx, &runner, options] {
        runner = [&ctx, options] { return runPlanform(ctx, options->name, options->boxes); };
    });
}

}  // namespace corvane::cli
