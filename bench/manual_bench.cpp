// How fast the return-home plan is built, and how close a jog on the real clock comes to the
// tick rate its JogSpeed asks for (StepsPerMm x JogSpeed ticks per second).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "machine/position.h"
#include "machine/workspace.h"
#include "manual/manual_mover.h"
#include "manual/move_plan.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace {

using namespace corvane;

void configure(Workspace& ws) {
    ws.settings.fields.resetDefaults();
    ws.settings.fields.steps_per_inch = "158";
    ws.settings.derive();
}

// 100 mm back on X1: 15800 ticks with the other three axes spread over them.
void BM_BuildReturnHomePlan(benchmark::State& state) {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws(std::filesystem::temp_directory_path(), port, clock);
    configure(ws);
    const AxisPosition from{100.0f, 37.5f, 81.25f, -12.0f};
    size_t ticks = 0;
    for (auto _ : state) {
        auto plan = buildMovePlan(ws.settings.derived, from, AxisPosition{}, true);
        ticks = plan.size();
        benchmark::DoNotOptimize(plan.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ticks));
}
BENCHMARK(BM_BuildReturnHomePlan);

// A 0.5 mm jog (79 ticks) on the real clock at the given slider position (value / 5 mm/s).
void BM_JogTickRate(benchmark::State& state) {
    SimulatedPort port;
    RealClock clock;
    Workspace ws(std::filesystem::temp_directory_path(), port, clock);
    configure(ws);
    ws.motion.JogSpeed = Fixed4::fromRaw(state.range(0) * 2000);
    ManualMover mover;
    int64_t ticks = 0;
    const int64_t start = clock.now();
    for (auto _ : state) {
        // A move cut short would count ticks that never ran.
        if (mover.distanceMove(ws, 0x02, 79) != MoveOutcome::Completed) {
            state.SkipWithError("the jog did not complete");
            break;
        }
        ticks += 79;
    }
    const double seconds = static_cast<double>(clock.now() - start) / 1e9;
    state.counters["ticks_per_s"] = static_cast<double>(ticks) / seconds;
    state.counters["wanted_per_s"] = 158 * state.range(0) / 5.0;
}
BENCHMARK(BM_JogTickRate)->Arg(5)->Arg(31)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
