// What the tick-timing benchmarks share: a synthetic working set, the pins, the speeds and the
// figures the cut recorded (mean period error, period deviations, schedule drift, late ticks),
// and beside them the bare timer loop of the same period and priority (the PC's own floor).
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "machine/motion_priority.h"
#include "machine/tick_floor.h"
#include "machine/tick_timing.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/realtime_priority.h"
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

// The figures the cut itself recorded (the same corvane-cli run and latency-test print).
inline void report(benchmark::State& state, const TickFigures& f) {
    state.counters["ticks"] = static_cast<double>(f.ticks);
    state.counters["mean_err_pct"] = f.meanPeriodErrorPct;
    state.counters["p50_us"] = f.p50Us;
    state.counters["p99_us"] = f.p99Us;
    state.counters["max_us"] = f.maxUs;
    state.counters["drift_us"] = f.driftMaxUs;
    state.counters["drift_ticks"] = f.driftMaxPeriods;
    state.counters["late_100us"] = static_cast<double>(f.lateOver100Us);
    state.counters["late_1ms"] = static_cast<double>(f.lateOver1Ms);
}

// Where the cut asks for real-time priority: the system's, unless CORVANE_BENCH_REALTIME=0
// (then the ticks keep the normal priority, for the figures without it).
inline ThreadScheduling* benchScheduling() {
    static SystemScheduling system;
    const char* env = std::getenv("CORVANE_BENCH_REALTIME");
    return env && std::string(env) == "0" ? nullptr : &system;
}

// The floor beside the cut's figures: a bare timer loop of the cut's period for as long as the
// cut took, at the priority the cut had (rt 1: SCHED_FIFO granted).
inline void reportFloor(benchmark::State& state, Workspace& ws, const TickFigures& ticks,
                        double seconds) {
    const MotionPriority priority(ws);
    const TickFigures bare =
        BareTimerLoop(ws, tickPeriodMs(kStepsPerMm, ws.motion.CutSpeed), seconds);
    state.counters["rt"] = priority.granted() ? 1 : 0;
    state.counters["bare_err_pct"] = bare.meanPeriodErrorPct;
    state.counters["bare_p50_us"] = bare.p50Us;
    state.counters["bare_p99_us"] = bare.p99Us;
    state.counters["bare_max_us"] = bare.maxUs;
    state.counters["p99_ratio"] = ticks.p99Us / std::max(1.0, bare.p99Us);
}

inline double seconds(int64_t counts, MonotonicClock& clock) {
    return static_cast<double>(counts) / static_cast<double>(clock.frequency());
}

// Seconds of cutting at each speed: CORVANE_BENCH_SECONDS, else 10.
inline int ticksFor(double speed) {
    const char* env = std::getenv("CORVANE_BENCH_SECONDS");
    const double seconds = env ? std::atof(env) : 10.0;
    return static_cast<int>(seconds * kStepsPerMm * speed);
}

// Speeds as slider tenths of a mm/s: 1, 3.1 and the slider top 6.2 mm/s.
inline void speeds(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(31)->Arg(62)->Iterations(1)->Unit(benchmark::kSecond);
}

}  // namespace corvane::bench
