// Decoding the set a simulate or export command names.
#include "cli/simulated_set.h"

#include "cli/cli_context.h"
#include "common/number_format.h"
#include "generate/cut_set_transaction.h"

namespace corvane::cli {

SimulatedSet simulateNamedSet(Workspace& ws, const std::string& set, std::optional<double> speed) {
    if (set.empty()) recoverInterruptedGeneration(ws.appFolder());
    SimulatedSet result{simulateSet(ws, setPathsFor(ws, set)), cuttingSpeed(ws, speed)};
    for (const std::string& w : result.sim.warnings) printMessage(w);
    if (result.speed.limited)
        printMessage("Cutting speed limited to " + formatDouble(result.speed.speed.toDouble()) +
                     " mm/s (SpeedSliderMax / 5)");
    return result;
}

}  // namespace corvane::cli
