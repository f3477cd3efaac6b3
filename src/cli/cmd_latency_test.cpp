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
    const int64_t end = clock.now() + static_cast<int64_t>(seconds * clock.frequency());
    // Both X axes step in every tick, alternating direction, as a cut's bytes do.
    for (uint8_t byte = 0x03; clock.now() < end; byte ^= 0x30) StepPulse(ws, byte, speed);
    ws.motion.timing = nullptr;
    return timing.figures();
}

}  // namespace

void addLatencyTestCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        double seconds = 10;
        std::optional<double> speed;
        bool noRealtime = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "latency-test", "Measure how steadily this PC times the ticks (simulated port only)");
    cmd->add_option("--seconds", options->seconds, "seconds at each speed (default 10)")
        ->check(CLI::Range(0.1, 3600.0));
    cmd->add_option("--speed", options->speed,
                    "one speed in mm/s instead of the slider top and 1 mm/s")
        ->check(CLI::PositiveNumber);
    cmd->add_flag("--no-realtime", options->noRealtime,
                  "keep normal priority (to compare with the real-time figures)");
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
            // The priority every motion runs at; the bare loop runs at the same.
            const MotionPriority priority(ws);
            const std::string priorityText =
                options->noRealtime ? "normal (" + schedulingText(scheduling) + ", --no-realtime)"
                                    : priority.description();
            std::cout << "Priority: " << priorityText
                      << "; real-time throttling: " << realtimeThrottling() << ".\n";
            if (!priority.refusal().empty()) std::cout << priority.refusal() << "\n";
            for (double speed : speeds) {
                const Fixed4 v = Fixed4::fromDouble(speed);
                if (Fixed4::fromInt(machine.stepsPerMm) * v == Fixed4{}) {
                    printMessage("The speed is too small to time a tick.");
                    return 1;
                }
                // The pulse never falls under its 20 us, so past the slider top the period is
                // 1.02 ms.
                const double period = tickPeriodMs(machine.stepsPerMm, v).toDouble();
                char head[160];
                std::snprintf(head, sizeof head, "\n%s mm/s%s: ideal tick period %.4f ms, %s s\n",
                              formatDouble(v.toDouble()).c_str(),
                              !options->speed ? (speed == 1.0 ? "" : " (slider top)") : "", period,
                              formatDouble(options->seconds).c_str());
                std::cout << head << std::flush;
                const TickFigures f = runTicks(ws, v, options->seconds);
                const TickFigures bare =
                    BareTimerLoop(ws, tickPeriodMs(machine.stepsPerMm, v), options->seconds);
                std::cout << describeTickFigures(f) << describeFloor(f, bare, priorityText)
                          << "  Verdict: " << tickVerdict(f) << "\n";
                // A tick cannot be shorter than the 20 us pulse and the 1 ms low time.
                if (period - 1.02 < 0.01)
                    std::cout << "  At this speed a tick has under 10 us to spare, so lateness is "
                                 "not made up: every stall of the PC adds to the drift.\n";
            }
            std::cout << "\nThresholds: good = p99 within 100 us, mean error within 0.2 %, drift "
                         "within one tick; poor = p99 over 1 ms or mean error over 1 %.\n";
            return 0;
        };
    });
}

}  // namespace corvane::cli
