#include "cli/simulate_faces.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/number_format.h"

namespace corvane::cli {

namespace {

std::string fixed(double v, int decimals) {
    return fixedDecimals(v, decimals);
}

void printSection(std::ostream& out, const char* what, const SectionFigures& f) {
    out << what << "chord " << fixed(f.chordMm, 2) << " mm, thickness " << fixed(f.thicknessPct, 2)
        << " %, camber " << fixed(f.camberPct, 2) << " %, chord angle " << fixed(f.chordAngleDeg, 2)
        << " deg";
}

// A drawn shape has no chord or camber: its box across and up, the cut one taken in by half the
// kerf as the wire melts it.
void printShape(std::ostream& out, const char* what, const Outline& o, double insetMm) {
    const Outline in = insetMm > 0 ? offsetOutline(o, -insetMm) : o;
    if (in.size() == 0) return;
    const auto [xl, xh] = std::minmax_element(in.x.begin(), in.x.end());
    const auto [yl, yh] = std::minmax_element(in.y.begin(), in.y.end());
    out << what << fixed(*xh - *xl, 2) << " x " << fixed(*yh - *yl, 2) << " mm";
}

}  // namespace

void addFaceCheckOptions(CLI::App* cmd, FaceCheckOptions& o) {
    cmd->add_option("--left-gap", o.leftGap,
                    "tower set: left tower to the left face, mm (checks the set at its faces)");
    cmd->add_option("--span", o.span, "tower set: left face to the right face, mm");
    cmd->add_option("--towers", o.towers, "tower set: distance between the towers, mm");
}

bool reportFaces(Simulation& sim, const FaceCheckOptions& o, double kerfMm, double tickMs,
                 std::ostream& out) {
    const bool placed = o.leftGap || o.span || o.towers;
    if (!sim.faces && placed) {
        if (!o.leftGap || !o.span || !o.towers) {
            out << "Faces: not checked, --left-gap, --span and --towers go together\n";
            return false;
        }
        checkTowerSetFaces(sim, FacePlacement{*o.leftGap, *o.span, *o.towers}, kerfMm);
    }
    if (!sim.faceCheck) {
        if (!sim.facesMissing.empty()) {
            out << "Faces: not checked, " << sim.facesMissing << '\n';
            return false;
        }
        if (placed) out << "Faces: not checked, the set's profiles cannot be read\n";
        return !placed;
    }
    const FaceCheck& c = *sim.faceCheck;
    const FaceTargets& f = *sim.faces;
    out << "Faces: " << (f.faceSet ? "face set" : "tower set checked at faces") << ", left gap "
        << fixed(f.leftGapMm, 2) << " mm, span " << fixed(f.spanMm, 2) << " mm, towers "
        << fixed(f.towersMm, 2) << " mm apart\n";
    const double steps = sim.stepsPerMm;
    const FaceSideCheck* side[2] = {&c.left, &c.right};
    const FaceTarget* target[2] = {&f.left, &f.right};
    const char* name[2] = {"left", "right"};
    for (int s = 0; s < 2; ++s) {
        out << "Largest distance at the " << name[s]
            << " face: " << fixed(side[s]->maxDistanceMm, 4) << " mm ("
            << fixed(side[s]->maxDistanceMm * steps, 2) << " steps)";
        if (side[s]->atSegment > 0) out << " in segment " << side[s]->atSegment;
        out << '\n';
    }
    out << "Rounding explains at a face: " << fixed(c.boundMm, 4) << " mm ("
        << fixed(c.boundMm * steps, 2)
        << " steps: 1.5 steps per axis at each tower, the face a weighted mean of the towers)\n";
    const bool drawn = sim.profiles && !sim.profiles->wing;  // a foam set from drawings
    for (int s = 0; s < 2; ++s) {
        out << (drawn ? "Shape" : "Section") << " at the " << name[s] << " face, kerf "
            << fixed(target[s]->kerfMm, 3) << " mm: ";
        if (drawn) {
            printShape(out, "designed ", target[s]->designed, 0);
            printShape(out, "; cut ", side[s]->path, target[s]->kerfMm / 2);
        } else {
            printSection(out, "designed ", side[s]->designed);
            out << "; cut ";
            printSection(out, "", side[s]->measured);
        }
        out << '\n';
    }
    const std::array<SpeedRange, 2> speeds = faceSpeedRanges(sim, c, tickMs);
    for (int s = 0; s < 2; ++s) {
        const SpeedRange& r = speeds[static_cast<std::size_t>(s)];
        out << "Speed at the " << name[s] << " face: " << fixed(r.minMmS, 3) << " .. "
            << fixed(r.maxMmS, 3) << " mm/s\n";
    }
    if (!drawn)
        out << "Washout between the faces: designed "
            << fixed(c.right.designed.chordAngleDeg - c.left.designed.chordAngleDeg, 2)
            << " deg, cut "
            << fixed(c.right.measured.chordAngleDeg - c.left.measured.chordAngleDeg, 2) << " deg\n";
    if (!c.withinBound()) {
        out << "The wire strays from a face beyond what rounding explains.\n";
        return false;
    }
    return true;
}

}  // namespace corvane::cli
