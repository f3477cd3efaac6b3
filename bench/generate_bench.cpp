// Generation speed: ticks per second for a wing set of about two million ticks, next to the
// time to write the same bytes with a plain buffered write (temp file + rename), so the ratio
// shows how close generation runs to the disk's own limit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "generate/cut_generator.h"
#include "generate/line_file_writer.h"
#include "generate/tick_scheme.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane;

// A folder with the templates and two 201-point zig-zag profiles: at a chord of 1000 mm and
// 200 steps/mm every segment has 10000 ticks, 2 000 000 in all.
struct BenchFolder {
    fs::path dir;
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        dir = pattern;
        for (const char* t : {"temp_cut.txt", "temp_cut_cnt.txt", "temp_datinfo.txt"})
            std::ofstream(dir / t);
        std::ofstream left(dir / "left.dat"), right(dir / "right.dat");
        for (int i = 0; i <= 200; ++i) {
            const double x = (i % 2) * 0.05 + (i / 40) * 0.001;
            left << x << ' ' << (i % 7) * 0.006 << '\n';
            right << x * 0.8 << ' ' << (i % 5) * 0.004 << '\n';
        }
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

BenchFolder& folder() {
    static BenchFolder f;
    return f;
}

GenerationOutcome generateOnce(Workspace& ws) {
    GenerationRequest r;
    r.leftPath = (folder().dir / "left.dat").string();
    r.rightPath = (folder().dir / "right.dat").string();
    r.leftChordText = "1000";
    r.rightChordText = "1000";
    r.kind = CutSetKind::Foam;  // zig-zags are no airfoil outline; the arithmetic is the same
    CutGenerator gen(ws);
    return gen.generate(r);
}

void setUp(Workspace& ws) {
    ws.settings.fields.resetDefaults();
    ws.settings.fields.steps_per_inch = "200";
    ws.settings.fields.kerf = "0";
    ws.settings.derive();
}

void BM_GenerateWingSet(benchmark::State& state) {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws(folder().dir, port, clock);
    setUp(ws);
    int64_t ticks = 0;
    for (auto _ : state) {
        GenerationOutcome out = generateOnce(ws);
        if (out.status != GenerationStatus::Finished) state.SkipWithError("generation failed");
        ticks += out.summary.ticks;
    }
    state.counters["ticks"] =
        benchmark::Counter(static_cast<double>(ticks) / static_cast<double>(state.iterations()));
    state.counters["ticks_per_s"] =
        benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(fs::file_size(folder().dir / "cut.ct1")) *
                            state.iterations());
}
BENCHMARK(BM_GenerateWingSet)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same step-file bytes, already in memory, written with a plain buffered stream to a
// temporary file and renamed over the target.
void BM_PlainBufferedWriteOfTheSameBytes(benchmark::State& state) {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws(folder().dir, port, clock);
    setUp(ws);
    const int64_t ticks = generateOnce(ws).summary.ticks;
    std::ifstream in(folder().dir / "cut.ct1", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const fs::path tmp = folder().dir / "plain.tmp", target = folder().dir / "plain.ct1";
    for (auto _ : state) {
        {
            std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        fs::rename(tmp, target);
    }
    state.counters["ticks_per_s"] =
        benchmark::Counter(static_cast<double>(ticks) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(bytes.size()) * state.iterations());
}
BENCHMARK(BM_PlainBufferedWriteOfTheSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tick scheme alone, written to /dev/null: what generation costs without the disk.
void BM_TickSchemeOnly(benchmark::State& state) {
    LineFileWriter out;
    out.open("/dev/null");
    const int32_t ticks = 10000;
    int64_t total = 0;
    for (auto _ : state) {
        for (int segment = 0; segment < 200; ++segment) {
            AxisRun axes[4];
            const int32_t counts[4] = {ticks, 3000 + segment * 17, 8000, segment % 5 * 900};
            for (int a = 0; a < 4; ++a) {
                axes[a].count = counts[a];
                axes[a].stepPattern = 3u << (2 * a);
                axes[a].dirPattern = 1u << (2 * a);
                axes[a].start(ticks);
            }
            writeSegmentTicks(axes, ticks, out);
            total += ticks;
        }
    }
    out.close();
    state.counters["ticks_per_s"] =
        benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TickSchemeOnly)->Unit(benchmark::kMillisecond);

}  // namespace
