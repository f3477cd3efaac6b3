// What the tick-timing benchmarks share: a synthetic working set, the pins, and the figures
// (mean period against the ideal 1000 / (StepsPerMm x speed) ms, and how far single periods and
// the tick start times stray from the ideal schedule).
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"
#include "run/cut_runner.h"

namespace corvane::bench {

constexpr int kStepsPerMm = 158;

inline void setPins(MachineSettings& s) {
    DerivedSettings& d = s.derived;
    d.DataPort = 888;
    d.ControlPort = 890;
    d.StepsPerMm = kStepsPerMm;
    d.SpeedSliderMax = 31;
    d.X1.StepBit = 0;
    d.Y1.StepBit = 2;
    d.X2.StepBit = 4;
    d.Y2.StepBit = 6;
}

// A folder with a working set of `ticks` ticks in segments of 40, and (for the window) two
// matching profiles and a wing DAT-information line.
struct BenchSet {
    std::filesystem::path folder;
    explicit BenchSet(int ticks) {
        folder = std::filesystem::temp_directory_path() /
                 ("corvane-run-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::ofstream steps(folder / "cut.ct1", std::ios::binary);
        std::ofstream counts(folder / "cut_cnt.ct2", std::ios::binary);
        const int segments = (ticks + 39) / 40;
        for (int i = 0; i < ticks; ++i) steps << ((i % 2) ? 0x33 : 0x03) << "\r\n";
        for (int k = 1; k <= segments; ++k) counts << std::min(ticks, k * 40) << "\r\n";
        std::ofstream profile(folder / "bench.dat", std::ios::binary);
        profile << "BENCH\r\n";
        for (int k = 0; k <= segments; ++k) {
            const double t = 2 * M_PI * k / segments;
            profile << 0.5 + 0.5 * std::cos(t) << " " << 0.06 * std::sin(t) << "\r\n";
        }
        const std::string p = (folder / "bench.dat").string();
        std::ofstream(folder / "datinfo.ct3", std::ios::binary)
            << "\"" << p << "\",\"" << p << "\",200,150,\"0\",\"0\",\"0\",\"0\"\r\n";
    }
    ~BenchSet() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

// Tick start times (ns) -> counters.
inline void report(benchmark::State& state, const std::vector<int64_t>& starts, double speed) {
    const double ideal = 1e9 / (kStepsPerMm * speed);
    if (starts.size() < 2) return;
    const size_t n = starts.size();
    const double mean = static_cast<double>(starts.back() - starts.front()) / (n - 1);
    std::vector<double> periodDev, scheduleDev;
    for (size_t i = 1; i < n; ++i)
        periodDev.push_back(std::abs(static_cast<double>(starts[i] - starts[i - 1]) - ideal));
    for (size_t i = 0; i < n; ++i)
        scheduleDev.push_back(std::abs(static_cast<double>(starts[i] - starts[0]) - i * ideal));
    auto p99 = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[static_cast<size_t>(0.99 * (v.size() - 1))];
    };
    state.counters["ticks"] = static_cast<double>(n);
    state.counters["ideal_us"] = ideal / 1e3;
    state.counters["mean_us"] = mean / 1e3;
    state.counters["mean_err_pct"] = 100.0 * (mean - ideal) / ideal;
    state.counters["period_p99_us"] = p99(periodDev) / 1e3;
    state.counters["period_max_us"] = *std::max_element(periodDev.begin(), periodDev.end()) / 1e3;
    state.counters["sched_p99_us"] = p99(scheduleDev) / 1e3;
    state.counters["sched_max_us"] =
        *std::max_element(scheduleDev.begin(), scheduleDev.end()) / 1e3;
}

// About two seconds of cutting at each speed.
inline int ticksFor(double speed) {
    return static_cast<int>(2.0 * kStepsPerMm * speed);
}

}  // namespace corvane::bench
