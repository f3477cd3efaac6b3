// Tick timing of a real cut on the simulated port with the real clock while the wing cut window
// is live offscreen: the yield runs the window system, segment marks and progress repaint.
#include <QApplication>

#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_window.h"
#include "run_timing_support.h"

namespace corvane::bench {
namespace {

void BM_CutTimingWindowLive(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "run_timing_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);

    const double speed = static_cast<double>(state.range(0)) / 10.0;
    BenchSet set(ticksFor(speed));
    SimulatedPort port;
    RealClock clock;
    Workspace ws(set.folder, port, clock);
    setPins(ws.settings);
    ws.scheduling = benchScheduling();
    ws.motion.CutSpeed = Fixed4::fromDouble(speed);
    ScriptedDialogs dialogs;
    CutWindow window(ws, dialogs);
    window.show();
    window.activate();
    for (auto _ : state) {
        window.toolbar().click(1);
        if (!window.lastOutcome() || window.lastOutcome()->end != CutEnd::Completed) {
            state.SkipWithError("the cut did not complete");
            break;
        }
        report(state, window.lastOutcome()->timing);
        reportFloor(state, ws, window.lastOutcome()->timing,
                    seconds(window.lastOutcome()->stats.elapsedCounts, clock));
        const PacedYield::Cost& cost = window.pacedYield().cost();
        state.counters["yield_mean_us"] = cost.count ? cost.totalUs / cost.count : 0;
        state.counters["yield_max_us"] = cost.maxUs;
    }
}
BENCHMARK(BM_CutTimingWindowLive)->Apply(speeds);

}  // namespace
}  // namespace corvane::bench
