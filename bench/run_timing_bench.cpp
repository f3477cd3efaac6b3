// Tick timing of a real cut on the simulated port with the real clock, headless: the yield does
// nothing, as in corvane-cli. Figures: see run_timing_support.h.
#include "run_timing_support.h"

namespace corvane::bench {
namespace {

void BM_CutTimingHeadless(benchmark::State& state) {
    const double speed = static_cast<double>(state.range(0)) / 5.0;
    BenchSet set(ticksFor(speed));
    SimulatedPort port;
    RealClock clock;
    Workspace ws(set.folder, port, clock);
    setPins(ws.settings);
    ws.motion.CutSpeed = Fixed4::fromDouble(speed);
    std::vector<int64_t> starts;
    port.setObserver([&](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out) starts.push_back(clock.now());
    });
    for (auto _ : state) {
        starts.clear();
        CutRunner runner(ws);
        const CutOutcome out = runner.run(Fixed4::fromInt(1));
        if (out.end != CutEnd::Completed) state.SkipWithError("the cut did not complete");
    }
    report(state, starts, speed);
}
// Slider positions: 5 = 1 mm/s, 15 = 3 mm/s, 31 = the slider top at 6.2 mm/s.
BENCHMARK(BM_CutTimingHeadless)->Arg(5)->Arg(15)->Arg(31)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace corvane::bench
