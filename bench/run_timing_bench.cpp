// Tick timing of a real cut on the simulated port with the real clock, headless: the yield does
// nothing, as in corvane-cli. Figures: see run_timing_support.h.
#include "run_timing_support.h"

namespace corvane::bench {
namespace {

void BM_CutTimingHeadless(benchmark::State& state) {
    const double speed = static_cast<double>(state.range(0)) / 10.0;
    BenchSet set(ticksFor(speed));
    SimulatedPort port;
    RealClock clock;
    Workspace ws(set.folder, port, clock);
    setPins(ws.settings);
    ws.scheduling = benchScheduling();
    ws.motion.CutSpeed = Fixed4::fromDouble(speed);
    for (auto _ : state) {
        CutRunner runner(ws);
        const CutOutcome out = runner.run(Fixed4::fromInt(1));
        if (out.end != CutEnd::Completed) state.SkipWithError("the cut did not complete");
        report(state, out.timing);
        reportFloor(state, ws, out.timing, seconds(out.stats.elapsedCounts, clock));
    }
}
BENCHMARK(BM_CutTimingHeadless)->Apply(speeds);

}  // namespace
}  // namespace corvane::bench
