// corvane-cli controller info|unlock: the controller's identity, the settings that matter to a
// cut and their comparison with Corvane's; or its alarm cleared ($X) at the operator's word.
#include <iostream>
#include <memory>
#include <string>

#include "cli/cli_context.h"
#include "cli/controller_connect.h"
#include "common/number_format.h"
#include "controller/settings_comparison.h"

namespace corvane::cli {

namespace {

ControllerChoice choiceOf(const std::string& address) {
    ControllerChoice choice;
    choice.address = address;
    return choice;
}

}  // namespace

void addControllerCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    auto controller = std::make_shared<std::string>();
    CLI::App* group = app.add_subcommand("controller", "a GRBL-family controller on a serial line");
    group->require_subcommand(1);
    group->add_option("--controller", *controller, "grbl:DEVICE[@BAUD]")
        ->envname("CORVANE_CONTROLLER")
        ->required();
    CLI::App* info = group->add_subcommand(
        "info", "print the controller's identity, settings and their comparison with Corvane's");
    info->callback([&ctx, &runner, controller] {
        runner = [&ctx, controller]() -> int {
            Workspace& ws = ctx.workspace();
            std::optional<ControllerLink> link = connectController(ws, choiceOf(*controller));
            if (!link) return 1;
            printIdentity(link->identity);
            std::cout << "Settings:\n";
            for (const auto& [number, value] : link->identity.settings)
                std::cout << "  $" << number << "=" << formatDouble(value) << "\n";
            // The fastest an axis moves in Corvane: the slider's top speed.
            const double top = ws.settings.derived.SpeedSliderMax / 5.0 * 60.0;
            SettingsComparison cmp =
                compareSettings(link->identity.settings, ws.settings.derived.StepsPerMm,
                                {top, top, top, top}, link->identity.axisMap);
            if (!link->identity.axesRefusal.empty())
                cmp.refusals.push_back(link->identity.axesRefusal);
            std::cout << "Comparison with Corvane's settings (slider top "
                      << formatDouble(top / 60.0) << " mm/s):\n";
            for (const std::string& row : cmp.rows) std::cout << "  " << row << "\n";
            for (const std::string& w : cmp.warnings) std::cout << "Warning: " << w << "\n";
            for (const std::string& r : cmp.refusals) std::cout << "Refused: " << r << "\n";
            std::cout << (cmp.accepted() ? "The controller matches Corvane's settings\n"
                                         : "Corvane will not cut on this controller\n");
            return cmp.accepted() ? 0 : 1;
        };
    });
    CLI::App* unlock = group->add_subcommand(
        "unlock", "clear the controller's alarm ($X) after checking the machine");
    unlock->callback([&ctx, &runner, controller] {
        runner = [&ctx, controller]() -> int {
            Workspace& ws = ctx.workspace(false);
            std::optional<ControllerLink> link = connectController(ws, choiceOf(*controller));
            if (!link) return 1;
            const grbl::Reply reply = link->connection->session()->command("$X");
            std::cout << "$X: " << reply.text << "\n";
            const auto status = link->connection->session()->queryStatus();
            if (status) std::cout << "State: " << status->state << "\n";
            return reply.kind == grbl::ReplyKind::Ok ? 0 : 1;
        };
    });
}

}  // namespace corvane::cli
