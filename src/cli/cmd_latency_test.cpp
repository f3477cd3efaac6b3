// corvane-cli latency-test: runs the tick loop on the simulated port (no hardware touched) at the
// slider top and at 1 mm/s, or at one chosen speed, and prints how well this PC keeps the tick
// schedule, with a plain verdict of what that means for cutting, beside a bare timer loop of the
// same period, wait method and priority: the floor this PC sets by itself.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "common/number_format.h"
#include "machine/motion_priority.h"
#include "machine/step_output.h"
#include "machine/tick_floor.h"
#include "machine/tick_timing.h"
#include "platform/memory_lock.h"
#include "platform/monotonic_clock.h"
#include "platform/realtime_priority.h"
#include "platform/simulated_port.h"

namespace corvane::cli {

namespace {

// The machine's steps per mm and slider top from settings.txt where it loads, else 158 and 31.
struct Machine {
    int32_t stepsPerMm = 158;
    int slider = 31;
    bool fromSettings = false;
};

Machine machineFor(CliContext& ctx) {
    Machine m;
    try {
        MachineSettings s;
        s.load(ctx.appFolder() / "settings.txt");
        if (s.derived.StepsPerMm > 0 && s.derived.SpeedSliderMax > 0) {
            m.stepsPerMm = s.derived.StepsPerMm;
            m.slider = s.derived.SpeedSliderMax;
            m.fromSettings = true;
        }
    } catch (...) {
        // No usable settings: the test runs for the common machine.
    }
    return m;
}

// The kernel's share of each period that real-time threads may use (-1: no limit).
std::string realtimeThrottling() {
    std::ifstream runtime("/proc/sys/kernel/sched_rt_runtime_us");
    std::ifstream period("/proc/sys/kernel/sched_rt_period_us");
    long long r = 0, p = 0;
    if (!(runtime >> r) || !(period >> p)) return "unknown";
    if (r < 0) return "off (a real-time loop could hold a core)";
    return std::to_string(r / 1000) + " ms of every " + std::to_string(p / 1000) + " ms";
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one;
    in >> one;
    return one.empty() ? "unknown" : one;
}

TickFigures runTicks(Workspace& ws, Fixed4 speed, double seconds) {
    MonotonicClock& clock = ws.clock();
    TickTiming timing(clock.frequency());
    ws.motion.timing = &timing;
    restartTickSchedule(ws.motion);
    const int64_t end =
        clock.now() + static_cast<int64_t>(seconds * static_cast<double>(clock.frequency()));
    // Both X axes step in every tick, alternating direction, as a cut's bytes do.
    for (uint8_t byte = 0x03; clock.now() < end; byte ^= 0x30) StepPulse(ws, byte, speed);
    ws.motion.timing = nullptr;
    return timing.figures();
}

// One speed at one priority: the ticks, then the bare loop of the same period beside them.
struct Phase {
    TickFigures ticks, bare;
    std::string priority;
    bool realtime = false;
};

Phase runPhase(Workspace& ws, int32_t stepsPerMm, Fixed4 speed, double seconds) {
    Phase p;
    p.ticks = runTicks(ws, speed, seconds);
    p.bare = BareTimerLoop(ws, tickPeriodMs(stepsPerMm, speed), seconds);
    p.realtime = ws.motion.realtime;
    return p;
}

// How the real-time waits spin, from what they learned of this PC's wake-ups.
std::string marginText(const SpinMargin& margin, bool tight) {
    char text[240];
    if (margin.samples() < SpinMargin::kWarmUp)
        std::snprintf(text, sizeof text, "  real-time wait: too few wake-ups to learn from\n");
    else
        std::snprintf(text, sizeof text,
                      "  real-time wait: wakes up to %lld us late%s (%.1f %% of the last %d "
                      "wake-ups), so it spins the last %lld us%s\n",
                      static_cast<long long>(margin.learnedLatenessMicros()),
                      margin.learnedLatenessMicros() >= SpinMargin::kMaxMicros ? " or more" : "",
                      SpinMargin::kPerMille / 10.0, margin.samples(),
                      static_cast<long long>(margin.learnedMarginMicros()),
                      tight ? (" (at this speed the low time's last " +
                               std::to_string(margin.micros(1000, true)) + " us)")
                                  .c_str()
                            : "");
    return text;
}

std::string cell(const char* pattern, double a, double b = 0, double c = 0) {
    char text[80];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// Both priorities' figures in two columns, and what real-time priority buys on this PC.
std::string compareText(const Phase& normal, const Phase& realtime) {
    std::string s;
    auto row = [&s](const char* name, const std::string& a, const std::string& b) {
        char text[200];
        std::snprintf(text, sizeof text, "  %-34s %-24s %s\n", name, a.c_str(), b.c_str());
        s += text;
    };
    const auto word = [](const TickFigures& f) {
        const std::string v = tickVerdict(f);
        return v.substr(0, v.find(':'));
    };
    row("", normal.priority, realtime.priority);
    const Phase* both[] = {&normal, &realtime};
    std::string cells[2];
    auto fill = [&](auto&& make) {
        for (int i = 0; i < 2; ++i) cells[i] = make(*both[i]);
    };
    fill([](const Phase& p) { return cell("%+.3f %%", p.ticks.meanPeriodErrorPct); });
    row("mean period error (+ is slow)", cells[0], cells[1]);
    fill([](const Phase& p) {
        return cell("%.0f / %.0f / %.0f us", p.ticks.p50Us, p.ticks.p99Us, p.ticks.maxUs);
    });
    row("period deviation p50 / p99 / max", cells[0], cells[1]);
    fill([](const Phase& p) {
        return cell("%.0f us (%.2f ticks)", p.ticks.driftMaxUs, p.ticks.driftMaxPeriods);
    });
    row("schedule drift", cells[0], cells[1]);
    fill([](const Phase& p) {
        return cell("%.0f / %.0f", static_cast<double>(p.ticks.lateOver100Us),
                    static_cast<double>(p.ticks.lateOver1Ms));
    });
    row("ticks late by > 100 us / > 1 ms", cells[0], cells[1]);
    fill([](const Phase& p) {
        return cell("%+.3f %%, p99 %.0f us", p.bare.meanPeriodErrorPct, p.bare.p99Us);
    });
    row("bare timer loop", cells[0], cells[1]);
    fill([](const Phase& p) { return cell("%.1f", p.ticks.p99Us / std::max(1.0, p.bare.p99Us)); });
    row("p99 ratio ticks / bare loop", cells[0], cells[1]);
    fill([&](const Phase& p) { return word(p.ticks); });
    row("verdict", cells[0], cells[1]);
    if (!realtime.realtime)
        return s + "  Real-time priority was not granted: nothing to compare.\n";
    const double err = realtime.ticks.meanPeriodErrorPct - normal.ticks.meanPeriodErrorPct;
    const double p99 = realtime.ticks.p99Us - normal.ticks.p99Us;
    s += cell("  Real-time against normal: mean error %+.3f points, p99 %+.0f us", err, p99);
    s += err <= 0 && p99 <= 0 ? " (real-time is steadier here).\n"
         : err <= 0           ? " (the mean speed holds better at real-time).\n"
                              : " (real-time is no better on this PC now).\n";
    return s;
}

}  // namespace

void addLatencyTestCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        double seconds = 10;
        std::optional<double> speed;
        bool noRealtime = false;
        bool compare = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "latency-test", "Measure how steadily this PC times the ticks (simulated port only)");
    cmd->add_option("--seconds", options->seconds,
                    "seconds at each speed (and priority) (default 10)")
        ->check(CLI::Range(0.1, 3600.0));
    cmd->add_option("--speed", options->speed,
                    "one speed in mm/s instead of the slider top and 1 mm/s")
        ->check(positiveNumber());
    CLI::Option* noRealtime =
        cmd->add_flag("--no-realtime", options->noRealtime,
                      "keep normal priority (to compare with the real-time figures)");
    cmd->add_flag("--compare-priorities", options->compare,
                  "run each speed at normal priority, then at real-time priority, and print "
                  "both side by side")
        ->excludes(noRealtime);
    cmd->callback([&ctx, &runner, options] {
        runner = [&ctx, options]() -> int {
            const Machine machine = machineFor(ctx);
            SimulatedPort port;
            RealClock clock;
            SystemScheduling scheduling;
            Workspace ws(std::filesystem::temp_directory_path(), port, clock);
            if (!options->noRealtime) ws.scheduling = &scheduling;
            DerivedSettings& d = ws.settings.derived;
            d.DataPort = 888;
            d.ControlPort = 890;
            d.StepsPerMm = machine.stepsPerMm;
            d.X1.StepBit = 0;
            d.Y1.StepBit = 2;
            d.X2.StepBit = 4;
            d.Y2.StepBit = 6;
            std::vector<double> speeds;
            if (options->speed)
                speeds = {*options->speed};
            else
                speeds = {machine.slider / 5.0, 1.0};
            const MemoryLock memory;
            std::cout << "Tick timing test on the simulated port (no hardware is touched), "
                      << machine.stepsPerMm << " steps/mm"
                      << (machine.fromSettings ? " (from settings.txt)" : " (no settings.txt)")
                      << ", load average " << loadAverage() << ".\n";
            if (!memory.locked()) std::cout << memory.refusal() << "\n";
            const std::string normalText = "normal (" + schedulingText(scheduling) + ")";
            // One priority for every speed (the bare loops run at the same), or both in turn.
            std::optional<MotionPriority> held;
            std::string heldText;
            if (options->compare) {
                std::cout << "Each speed runs at normal priority, then at real-time priority; "
                             "real-time throttling: "
                          << realtimeThrottling() << ".\n";
            } else {
                held.emplace(ws);
                heldText = options->noRealtime
                               ? normalText.substr(0, normalText.size() - 1) + ", --no-realtime)"
                               : held->description();
                std::cout << "Priority: " << heldText
                          << "; real-time throttling: " << realtimeThrottling() << ".\n";
                if (!held->refusal().empty()) std::cout << held->refusal() << "\n";
            }
            for (double speed : speeds) {
                const Fixed4 v = Fixed4::fromDouble(speed);
                if (Fixed4::fromInt(machine.stepsPerMm) * v == Fixed4{}) {
                    printMessage("The speed is too small to time a tick.");
                    return 1;
                }
                // The pulse never falls under its 20 us, so past the slider top the period is
                // 1.02 ms.
                const Fixed4 period = tickPeriodMs(machine.stepsPerMm, v);
                const bool tight = SpinMargin::tight(
                    (period - Fixed4::fromInt(1) - kMinPulseMs).raw(), period.raw());
                char head[200];
                std::snprintf(head, sizeof head, "\n%s mm/s%s: ideal tick period %.4f ms, %s s%s\n",
                              formatDouble(v.toDouble()).c_str(),
                              !options->speed ? (speed == 1.0 ? "" : " (slider top)") : "",
                              period.toDouble(), formatDouble(options->seconds).c_str(),
                              options->compare ? " at each priority" : "");
                std::cout << head << std::flush;
                Phase last;
                if (options->compare) {
                    Phase normal;
                    ws.scheduling = nullptr;
                    {
                        const MotionPriority priority(ws);
                        normal = runPhase(ws, machine.stepsPerMm, v, options->seconds);
                        normal.priority = normalText;
                    }
                    ws.scheduling = &scheduling;
                    const MotionPriority priority(ws);
                    last = runPhase(ws, machine.stepsPerMm, v, options->seconds);
                    last.priority = priority.description();
                    std::cout << compareText(normal, last);
                    if (!priority.refusal().empty())
                        std::cout << "  " << priority.refusal() << "\n";
                } else {
                    last = runPhase(ws, machine.stepsPerMm, v, options->seconds);
                    last.priority = heldText;
                    std::cout << describeTickFigures(last.ticks)
                              << describeFloor(last.ticks, last.bare, last.priority)
                              << "  Verdict: " << tickVerdict(last.ticks) << "\n";
                }
                if (last.realtime) std::cout << marginText(ws.motion.margin, tight);
                // A tick cannot be shorter than the 20 us pulse and the 1 ms low time.
                if (tight)
                    std::cout << "  At this speed a tick has under 2 % of its period to spare, so "
                                 "lateness is not made up: every stall of the PC adds to the "
                                 "drift.\n";
            }
            std::cout << "\nThresholds: good = p99 within 100 us, mean error within 0.2 %, drift "
                         "within one tick; poor = p99 over 1 ms or mean error over 1 %.\n";
            return 0;
        };
    });
}

}  // namespace corvane::cli
