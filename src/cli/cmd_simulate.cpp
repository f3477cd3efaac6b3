// corvane-cli simulate: decodes a cut-file set with the current settings and prints what it will
// do to the foam (ticks, segments, pauses, cut time, travel, closing error, the largest distance
// from the intended profiles); --svg also draws it.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "cli/cli_context.h"
#include "cli/run_resume.h"
#include "cli/simulate_faces.h"
#include "cli/simulated_set.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "generate/cut_set_transaction.h"
#include "simulate/simulation.h"
#include "simulate/svg_picture.h"

namespace corvane::cli {

namespace {

constexpr const char* kSimulateLabel = "corvane-cli simulate";

std::string fixed(double v, int decimals) {
    return fixedDecimals(v, decimals);
}

std::string signedFixed(double v, int decimals) {
    std::string s = fixed(v, decimals);
    return s[0] == '-' ? s : "+" + s;
}

std::string minutesText(double seconds) {
    const int minutes = static_cast<int>(seconds / 60);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%d min %04.1f s", minutes, seconds - 60.0 * minutes);
    return buf;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void printFigures(const Simulation& sim, const CuttingSpeed& speed, double pauseMs) {
    const DecodedSet& d = sim.decoded;
    const double mmPerStep = 1.0 / sim.stepsPerMm;
    std::ostream& out = std::cout;

    out << "Set: " << sim.paths.step.string();
    if (sim.profiles) {
        out << " (" << (sim.profiles->wing ? "wing" : "foam")
            << " set: " << baseName(sim.profiles->left.path) << " at "
            << formatDouble(sim.profiles->left.size) << " mm, "
            << baseName(sim.profiles->right.path) << " at "
            << formatDouble(sim.profiles->right.size) << " mm)";
    }
    out << '\n';
    out << "Ticks: " << d.ticks << " (step file " << d.setTicks << " of " << d.stepLines
        << " lines";
    if (sim.lead)
        out << ", lead moves 2 x " << sim.lead->ticks;
    else
        out << ", no lead moves";
    out << ")\n";
    out << "Segments: " << d.profileSegments << '\n';
    out << "Pauses: " << d.pauses;
    if (d.pauses > 0) {
        out << " (";
        bool first = true;
        if (d.pausesAtStart > 0) {
            out << "before segment 1";
            first = false;
        }
        for (const DecodedSegment& s : d.segments) {
            for (int i = 0; i < s.pausesAfter; ++i) {
                out << (first ? "" : ", ")
                    << (s.kind == SegmentKind::LeadIn
                            ? std::string("after the lead-in")
                            : "after segment " + std::to_string(s.number));
                first = false;
            }
        }
        out << ')';
    }
    out << '\n';
    const CutTiming timing = cutTiming(sim, speed.speed, pauseMs);
    out << "Speed: " << formatDouble(speed.speed.toDouble()) << " mm/s, "
        << formatDouble(timing.tickMs) << " ms a tick\n";
    out << "Cut time: " << minutesText(timing.cutSeconds) << " (" << fixed(timing.cutSeconds, 2)
        << " s, pauses of " << formatDouble(pauseMs) << " ms)\n";
    for (int side = 0; side < 2; ++side) {
        out << "Travel " << (side == 0 ? "left" : "right") << ":";
        for (int a = 2 * side; a < 2 * side + 2; ++a) {
            const auto i = static_cast<std::size_t>(a);
            out << (a % 2 ? ", " : " ") << kAxisNames[a] << ' '
                << fixed(static_cast<double>(d.min[i]) * mmPerStep, 4) << " .. "
                << fixed(static_cast<double>(d.max[i]) * mmPerStep, 4) << " mm";
        }
        out << '\n';
    }
    if (!sim.check) {
        out << "Profiles: not compared, " << sim.profilesMissing << '\n';
        return;
    }
    for (int side = 0; side < 2; ++side) {
        const SideCheck& c = side == 0 ? sim.check->left : sim.check->right;
        out << "Closing error " << (side == 0 ? "left" : "right") << ":";
        for (int xy = 0; xy < 2; ++xy) {
            out << (xy ? ", " : " ") << kAxisNames[2 * side + xy] << ' '
                << signedFixed(c.closingMm[xy], 4) << " mm ("
                << signedFixed(c.closingMm[xy] * sim.stepsPerMm, 2) << " steps)";
        }
        out << " at point " << c.closingPoint << '\n';
    }
    for (int side = 0; side < 2; ++side) {
        const SideCheck& c = side == 0 ? sim.check->left : sim.check->right;
        out << "Largest distance from the profile " << (side == 0 ? "left" : "right") << ": "
            << fixed(c.maxDistanceMm, 4) << " mm (" << fixed(c.maxDistanceMm * sim.stepsPerMm, 2)
            << " steps)";
        if (c.atSegment > 0) out << " in segment " << c.atSegment;
        out << '\n';
    }
}

}  // namespace

void addSimulateCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    struct Options {
        std::string set;
        std::optional<double> speed;
        std::optional<std::string> svg;
        double pauseMs = 1;
        std::optional<int> fromSegment;
        FaceCheckOptions faces;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "simulate",
        "decode a cut-file set with the current settings and check it against its "
        "profiles");
    cmd->add_option("--set", o->set, "saved set NAME.ct1 (or NAME); default the working set");
    cmd->add_option("--speed", o->speed, "cutting speed in mm/s (default CutSpeed, 1)")
        ->check(positiveNumber());
    cmd->add_option("--svg", o->svg, "write a picture of the profiles and the decoded path");
    cmd->add_option("--pause-ms", o->pauseMs, "pause at each delay point, ms (default 1)")
        ->check(nonNegativeNumber());
    cmd->add_option("--from-segment", o->fromSegment,
                    "show the path a resume of the working set from segment N takes")
        ->check(positiveNumber());
    addFaceCheckOptions(cmd, o->faces);
    cmd->callback([&ctx, &runner, o] {
        runner = [&ctx, o]() -> int {
            Workspace& ws = ctx.workspace();
            bool facesHold = true;
            try {
                if (o->fromSegment) {
                    printResumePath(ws, *o->fromSegment, std::cout);
                    return 0;
                }
                SimulatedSet decoded = simulateNamedSet(ws, o->set, o->speed);
                Simulation& sim = decoded.sim;
                const CuttingSpeed& speed = decoded.speed;
                printFigures(sim, speed, o->pauseMs);
                facesHold = reportFaces(sim, o->faces, sim.towerKerfMm,
                                        cutTiming(sim, speed.speed, o->pauseMs).tickMs, std::cout);
                if (o->svg) {
                    const std::filesystem::path target = std::filesystem::absolute(*o->svg);
                    writeFileAtomic(target, svgPicture(sim));
                    std::cout << "SVG: " << target.string() << '\n';
                }
                // A set that does not cut its profiles fails, so a script can stop before foam.
                if (sim.check) {
                    const auto faults =
                        profileCheckFaults(*sim.profiles, *sim.check, sim.stepsPerMm);
                    for (const std::string& f : faults) std::cout << "Fault: " << f << '\n';
                    if (!faults.empty()) {
                        std::cout.flush();
                        return 1;
                    }
                }
            } catch (const RunError& e) {
                std::cout.flush();
                printError(e, kSimulateLabel);
                return 1;
            }
            std::cout.flush();
            return facesHold ? 0 : 1;
        };
    });
}

}  // namespace corvane::cli
