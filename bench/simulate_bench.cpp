// Simulation speed on a set of two million ticks: decoding alone, and decoding with the
// comparison against the profiles and the picture, from the set already in memory.
#include <benchmark/benchmark.h>

#include <random>

#include "machine/machine_settings.h"
#include "simulate/profile_check.h"
#include "simulate/set_decoder.h"

namespace {

using namespace corvane;

// 200 segments of 10000 ticks; X1 steps every tick, Y1 every other one, the right side at random.
struct BenchSet {
    MachineSettings settings;
    LoadedSet set;
    IntendedProfiles profiles;
    BenchSet() {
        settings.fields.resetDefaults();
        settings.fields.steps_per_inch = "200";
        settings.derive();
        const DerivedSettings& d = settings.derived;
        std::mt19937 rng(7);
        for (int k = 1; k <= 200; ++k) {
            for (int j = 1; j <= 10000; ++j) {
                unsigned byte = d.X1Back + (j % 2 ? d.Y1UpDir : d.Y1Up);
                byte += rng() % 2 ? d.X2Back : d.X2BackDir;
                set.steps.push_back(static_cast<uint8_t>(byte));
            }
            set.counts.push_back(k * 10000);
        }
        for (IntendedSide* side : {&profiles.left, &profiles.right}) {
            for (int k = 0; k <= 200; ++k) {
                side->x.push_back(k * 50.0);
                side->y.push_back(k * 25.0);
            }
        }
    }
};

void BM_Decode(benchmark::State& state) {
    static const BenchSet b;
    const StepDecoder decoder(b.settings.derived);
    for (auto _ : state) benchmark::DoNotOptimize(decodeSet(b.set, decoder, std::nullopt).end);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(b.set.steps.size()));
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

void BM_DecodeAndCompare(benchmark::State& state) {
    static const BenchSet b;
    const StepDecoder decoder(b.settings.derived);
    for (auto _ : state) {
        const DecodedSet d = decodeSet(b.set, decoder, std::nullopt);
        benchmark::DoNotOptimize(
            checkAgainstProfiles(b.set, decoder, std::nullopt, d, b.profiles, 200)
                .left.maxDistanceMm);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(b.set.steps.size()));
}
BENCHMARK(BM_DecodeAndCompare)->Unit(benchmark::kMillisecond);

}  // namespace
