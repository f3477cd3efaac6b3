// Face geometry against tower geometry: the demo panel (NACA 2412 root, NACA 0012 tip, 250 and
// 160 mm at the faces, 900 mm between the towers, 2 degrees washout, 0.3 mm kerf) from a pair
// of 2001-point files at 4000 steps/mm, generated both ways. The face geometry's placing, offset,
// clipping, projection and checks should stay within twice the tower generation's time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "generate/cut_generator.h"
#include "generate/face_geometry.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane;

constexpr int kPanels = 1000;  // per surface: 2001 points with the shared leading edge

// A NACA four-digit file from the trailing edge over the upper surface and back.
void writeNaca(const fs::path& file, double m, double p, double t) {
    std::ofstream out(file);
    out.precision(10);
    auto point = [&](double x, bool upper) {
        const double yt = 5 * t *
                          (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x + 0.2843 * x * x * x -
                           0.1036 * x * x * x * x);
        double yc = 0;
        if (m > 0)
            yc = x < p ? m / (p * p) * (2 * p * x - x * x)
                       : m / ((1 - p) * (1 - p)) * (1 - 2 * p + 2 * p * x - x * x);
        // Thickness across the chord, as the shipped samples: both files meet x = 0 at one point.
        out << x << ' ' << (upper ? yc + yt : yc - yt) << '\n';
    };
    out << "1 0\n";
    for (int i = kPanels - 1; i >= 0; --i) point(0.5 * (1 - std::cos(M_PI * i / kPanels)), true);
    for (int i = 1; i < kPanels; ++i) point(0.5 * (1 - std::cos(M_PI * i / kPanels)), false);
    out << "1 0\n";
}

struct BenchFolder {
    fs::path dir;
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        dir = pattern;
        for (const char* t : {"temp_cut.txt", "temp_cut_cnt.txt", "temp_datinfo.txt"})
            std::ofstream(dir / t);
        writeNaca(dir / "root.dat", 0.02, 0.4, 0.12);
        writeNaca(dir / "tip.dat", 0, 0.4, 0.12);
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

GenerationRequest request(bool faces) {
    GenerationRequest r;
    r.leftPath = (folder().dir / "root.dat").string();
    r.rightPath = (folder().dir / "tip.dat").string();
    if (faces) {
        r.geometry = WingGeometry::Faces;
        FaceDesign& d = r.faces;
        d.leftChordMm = 250, d.rightChordMm = 160, d.sweepMm = 20;
        d.towersMm = 900, d.leftGapMm = 150, d.spanMm = 600;
        d.rightWashoutDeg = -2, d.leftKerfMm = d.rightKerfMm = 0.3;
    } else {
        // The chords the same panel has at the towers.
        r.leftChordText = "272.53";
        r.rightChordText = "137.56";
        r.rightWashout = true;
        r.rightAngleText = "-2";
    }
    return r;
}

void generate(benchmark::State& state, bool faces) {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws(folder().dir, port, clock);
    ws.settings.fields.resetDefaults();
    ws.settings.fields.steps_per_inch = "4000";
    ws.settings.fields.kerf = "0.3";
    ws.settings.derive();
    const GenerationRequest r = request(faces);
    int64_t ticks = 0;
    for (auto _ : state) {
        CutGenerator gen(ws);
        const GenerationOutcome out = gen.generate(r);
        if (out.status != GenerationStatus::Finished) {
            state.SkipWithError(out.messages.empty() ? "generation failed"
                                                     : out.messages.front().text.c_str());
            break;
        }
        ticks = out.summary.ticks;
    }
    state.counters["ticks"] = static_cast<double>(ticks);
    state.counters["points"] = 2 * kPanels + 1;
}

void BM_TowerGeometry(benchmark::State& state) {
    generate(state, false);
}
BENCHMARK(BM_TowerGeometry)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FaceGeometry(benchmark::State& state) {
    generate(state, true);
}
BENCHMARK(BM_FaceGeometry)->Unit(benchmark::kMillisecond)->UseRealTime();

// The geometry alone, without ticks or files: placing, offsets, clipping, projection, checks.
void BM_FaceGeometryWithoutTicks(benchmark::State& state) {
    const Profile root = readProfile(folder().dir / "root.dat");
    const Profile tip = readProfile(folder().dir / "tip.dat");
    const FaceDesign d = request(true).faces;
    for (auto _ : state) {
        FaceGeometryResult r = buildFaceGeometry(root, tip, d);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_FaceGeometryWithoutTicks)->Unit(benchmark::kMillisecond);

}  // namespace
