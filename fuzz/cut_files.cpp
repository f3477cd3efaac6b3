// The readers of a set's step and count files, run over one pair of files.
#include "cut_files.h"

#include <optional>

#include "common/run_error.h"
#include "fuzz_support.h"
#include "generate/active_delay_set.h"
#include "generate/cut_set_layout.h"
#include "machine/workspace.h"
#include "run/working_set_reader.h"
#include "simulate/set_decoder.h"

namespace corvane::fuzz {

namespace {

// Load refuses a set whose files its line check finds damaged; a set it lets in must not then
// be refused by the runner as "not a number" (a value out of range is the runner's to report).
void loadCheckAgreesWithRunner(std::string_view bytes) {
    if (firstNonNumberLine(bytes)) return;
    try {
        (void)readCountEntries(bytes);
    } catch (const RunError& e) {
        require(e.number() == static_cast<int>(ErrorNumber::Overflow),
                "Load's check passes a file the runner reads as not a number");
    }
}

}  // namespace

void readCutFiles(std::string_view stepBytes, std::string_view countBytes) {
    loadCheckAgreesWithRunner(stepBytes);
    loadCheckAgreesWithRunner(countBytes);
    CutSetPaths paths;
    paths.step = scratchFile("cut.ct1", stepBytes);
    paths.count = scratchFile("cut_cnt.ct2", countBytes);
    paths.datInfo = scratchFolder() / "datinfo.ct3";

    try {
        WorkingSetReader reader(paths.step, paths.count);
        while (reader.nextCount()) {
        }
        for (std::size_t i = 0; i < reader.stepCount(); ++i) (void)reader.nextStep();
    } catch (const RunError&) {
    }

    Workspace& ws = scratchWorkspace();
    try {
        const LoadedSet set = loadSet(paths);
        const StepDecoder decoder(ws.settings.derived);
        const LeadMoves lead{10, 0x01, 0x03};
        std::size_t ticks = 0;
        const DecodedSet decoded = decodeSet(
            set, decoder, lead, [&](const DecodedSegment&, const AxisSteps&) { ++ticks; });
        require(static_cast<int64_t>(ticks) == decoded.ticks,
                "visited ticks differ from the total");
    } catch (const RunError&) {
    }
}

}  // namespace corvane::fuzz
