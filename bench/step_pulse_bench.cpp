// Tick period accuracy of StepPulse on the simulated port with the real clock: the time from
// one tick's port write to the next against 1000 / (StepsPerMm x speed) ms. Reports the mean
// and worst deviation (and the earliest tick, which must never come early) in microseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "machine/step_output.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace {

using namespace corvane;

void BM_StepPulsePeriod(benchmark::State& state) {
    const double speed = static_cast<double>(state.range(0)) / 10.0;  // mm/s
    const int ticks = static_cast<int>(state.range(1));
    SimulatedPort port;
    RealClock clock;
    Workspace ws(std::filesystem::temp_directory_path(), port, clock);
    ws.settings.fields.resetDefaults();
    ws.settings.fields.steps_per_inch = "158";
    ws.settings.derive();
    ws.position.HomeSet = true;  // the position update runs inside every high wait

    std::vector<int64_t> writes;
    writes.reserve(static_cast<std::size_t>(ticks) + 1);
    port.setObserver([&](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out) writes.push_back(clock.now());
    });
    const Fixed4 v = Fixed4::fromDouble(speed);
    const uint8_t byte =
        static_cast<uint8_t>(ws.settings.derived.X1Back + ws.settings.derived.Y1Up);
    const double expectedUs = 1e6 / (158.0 * speed);

    double sum = 0, worst = 0, earliest = 1e9;
    long samples = 0;
    for (auto _ : state) {
        writes.clear();
        for (int i = 0; i <= ticks; ++i) StepPulse(ws, byte, v);
        for (std::size_t i = 1; i < writes.size(); ++i) {
            double dev = static_cast<double>(writes[i] - writes[i - 1]) / 1000.0 - expectedUs;
            sum += dev;
            worst = std::max(worst, std::abs(dev));
            earliest = std::min(earliest, dev);
            ++samples;
        }
    }
    state.counters["period_us"] = expectedUs;
    state.counters["mean_dev_us"] = sum / static_cast<double>(samples);
    state.counters["worst_dev_us"] = worst;
    state.counters["earliest_dev_us"] = earliest;
    state.counters["ticks"] = static_cast<double>(samples);
}

// The same periods with a bare spin on the clock and nothing else: what the machine's load
// alone does to a waiting loop, as a yardstick for the numbers above.
void BM_BareSpinPeriod(benchmark::State& state) {
    const double speed = static_cast<double>(state.range(0)) / 10.0;
    const int ticks = static_cast<int>(state.range(1));
    RealClock clock;
    const int64_t period = static_cast<int64_t>(1e9 / (158.0 * speed));
    double sum = 0, worst = 0;
    long samples = 0;
    for (auto _ : state) {
        int64_t last = clock.now();
        for (int i = 0; i < ticks; ++i) {
            const int64_t target = last + period;
            int64_t t = clock.now();
            while (t < target) t = clock.now();
            double dev = static_cast<double>(t - last - period) / 1000.0;
            sum += dev;
            worst = std::max(worst, dev);
            ++samples;
            last = t;
        }
    }
    state.counters["mean_dev_us"] = sum / static_cast<double>(samples);
    state.counters["worst_dev_us"] = worst;
}

BENCHMARK(BM_BareSpinPeriod)->Args({62, 3000})->Iterations(1)->Unit(benchmark::kMillisecond);

// speed x 10 (1, 3.1 and 6.2 mm/s = the slider top at 158 steps/mm), ticks per run.
BENCHMARK(BM_StepPulsePeriod)
    ->Args({10, 1000})
    ->Args({31, 2000})
    ->Args({62, 3000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
