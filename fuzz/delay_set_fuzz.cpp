// Fuzz target: the rebuild of the active delay set from the working count file, as Load, the
// generators and the delay-point editor do it: the set read before a bad line is kept.
#include <cstddef>
#include <cstdint>

#include "common/run_error.h"
#include "fuzz_support.h"
#include "generate/active_delay_set.h"
#include "generate/cut_set_layout.h"
#include "machine/workspace.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Workspace& ws = fuzz::scratchWorkspace();
    fuzz::scratchFile(kCountFileName, fuzz::bytesOf(data, size));
    std::string status;
    ws.showStatus = [&status](int panel, const std::string& text) {
        if (panel == 3) status = text;
    };
    (void)rebuildActiveDelayPointsReported(ws);
    const ActiveDelaySet& set = ws.delays;
    fuzz::require(set.ActiveDelayPointCount == static_cast<int>(set.ActiveDelayPoints.size()),
                  "the delay count differs from the points");
    fuzz::require(status == delayStatusText(set.ActiveDelayPointCount),
                  "the status bar does not show the set's count");
    for (std::size_t i = 1; i < set.ActiveDelayPoints.size(); ++i) {
        fuzz::require(set.ActiveDelayPoints[i - 1] <= set.ActiveDelayPoints[i],
                      "delay points out of order");
    }
    return 0;
}
