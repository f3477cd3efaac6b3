// corvane-cli plan home|1|2 --position X1,Y1,X2,Y2: the return-home or waypoint move plan from a
// given position, one byte a line, as the return windows would play it.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "common/run_error.h"
#include "machine/position.h"
#include "manual/move_plan.h"

namespace corvane::cli {

void addPlanCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        std::string target;
        std::vector<double> position;
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand("plan", "print the return-home or waypoint move plan");
    cmd->add_option("target", options->target, "home, 1 or 2")
        ->required()
        ->check(CLI::IsMember({"home", "1", "2"}));
    cmd->add_option("--position", options->position, "current position X1,Y1,X2,Y2 in mm")
        ->required()
        ->delimiter(',')
        ->expected(4);
    cmd->callback([&ctx, &runner, options] {
        runner = [&ctx, options]() -> int {
            const PlanTarget target = options->target == "home" ? PlanTarget::Home
                                      : options->target == "1"  ? PlanTarget::WayPoint1
                                                                : PlanTarget::WayPoint2;
            Workspace& ws = ctx.workspace();
            // As at start-up: a missing or short waypoint.txt leaves the unread values at 0.
            if (target != PlanTarget::Home) {
                try {
                    loadWaypoints(ws.file("waypoint.txt"), ws.position);
                } catch (const RunError&) {
                }
            }
            // The position is given relative to a home that is taken as set.
            ws.position.HomeSet = true;
            const std::vector<double>& p = options->position;
            ws.position.Position = AxisPosition{static_cast<float>(p[0]), static_cast<float>(p[1]),
                                                static_cast<float>(p[2]), static_cast<float>(p[3])};
            try {
                planMove(ws, target);
            } catch (const RunError& e) {
                printMessage(errorReportText(e, planVariant(target).errorLabel));
                return 1;
            }
            std::string out;
            out.reserve(ws.movePlan.bytes.size() * 4);
            for (uint8_t b : ws.movePlan.bytes) {
                out += std::to_string(b);
                out += '\n';
            }
            std::cout << out << std::flush;
            return 0;
        };
    });
}

}  // namespace corvane::cli
