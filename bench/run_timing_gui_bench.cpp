// Tick timing of a real cut on the simulated port with the real clock while the wing cut window
// is live offscreen: the yield runs the window system, segment marks and progress repaint.
#include <QApplication>

#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "run/gui/wing_cut_window.h"
#include "run_timing_support.h"

namespace corvane::bench {
namespace {

void BM_CutTimingWindowLive(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "run_timing_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);

    const double speed = static_cast<double>(state.range(0)) / 5.0;
    BenchSet set(ticksFor(speed));
    SimulatedPort port;
    RealClock clock;
    Workspace ws(set.folder, port, clock);
    setPins(ws.settings);
    ws.motion.CutSpeed = Fixed4::fromDouble(speed);
    ScriptedDialogs dialogs;
    WingCutWindow window(ws, dialogs);
    window.show();
    window.activate();
    std::vector<int64_t> starts;
    port.setObserver([&](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out) starts.push_back(clock.now());
    });
    for (auto _ : state) {
        starts.clear();
        window.toolbar().click(1);
        if (!window.lastOutcome() || window.lastOutcome()->end != CutEnd::Completed)
            state.SkipWithError("the cut did not complete");
    }
    report(state, starts, speed);
}
BENCHMARK(BM_CutTimingWindowLive)
    ->Arg(5)
    ->Arg(15)
    ->Arg(31)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace corvane::bench
