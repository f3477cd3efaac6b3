// The faces of a set, the wire crossed with their planes, and the sections measured there.
#include "simulate/face_check.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "common/number_text.h"
#include "generate/drawing_faces.h"
#include "generate/face_set_record.h"
#include "generate/set_kerf_record.h"
#include "run/set_drawing_loader.h"
#include "simulate/profile_check.h"
#include "simulate/simulation.h"

namespace corvane {

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;

bool readUnit(const std::string& path, Profile& out, std::string& why) {
    try {
        out = readProfile(path);
    } catch (const std::exception& e) {
        why = "the profile " + path + " cannot be read (" + e.what() + ")";
        return false;
    }
    return true;
}

void translate(Outline& o, double dx, double dy) {
    for (double& x : o.x) x += dx;
    for (double& y : o.y) y += dy;
}

// v at chord station u on one branch of a section in chord units; nullopt when it never gets
// there.
std::optional<double> branchAt(const std::vector<double>& u, const std::vector<double>& v,
                               double at) {
    for (std::size_t i = 0; i + 1 < u.size(); ++i) {
        const double a = u[i], b = u[i + 1];
        if ((a - at) * (b - at) > 0 || a == b) continue;
        const double t = (at - a) / (b - a);
        return v[i] + t * (v[i + 1] - v[i]);
    }
    return std::nullopt;
}

}  // namespace

std::optional<FaceTargets> faceSetTargets(const std::vector<std::string>& fields, std::string& why,
                                          IntendedProfiles* towers) {
    std::optional<FaceDesign> design = faceDesignFromFields(fields, why);
    if (!design) return std::nullopt;
    // A set made with kerf by speed is rebuilt with the material's points it was made with.
    std::string recordWhy;
    if (const std::optional<SetKerfRecord> r = setKerfRecordFromFields(fields, recordWhy))
        if (std::optional<Material> m = r->usedMaterial())
            design->kerfBySpeed = KerfBySpeed{std::move(*m), r->cutSpeedMmS};
    Profile left, right;
    if (!readUnit(fields[0], left, why) || !readUnit(fields[1], right, why)) return std::nullopt;
    FaceGeometryResult built = buildFaceGeometry(left, right, *design);
    if (!built.geometry) {
        why = "its face geometry is refused: " + built.refusals.front();
        return std::nullopt;
    }
    FaceGeometry& g = *built.geometry;
    if (towers) {
        const bool foam = isFoamFaceSet(fields);
        towers->wing = !foam;  // a drawn shape has no surfaces to keep
        const Outline* outline[2] = {&g.leftTower, &g.rightTower};
        IntendedSide* sides[2] = {&towers->left, &towers->right};
        for (int s = 0; s < 2; ++s) {
            IntendedSide& side = *sides[s];
            const Outline& o = *outline[s];
            side.path = fields[static_cast<std::size_t>(s)];
            // A foam set is sized by its horizontal size, a wing by its chord.
            if (foam)
                side.size = s == 0 ? towerHorizontalSize(g.leftFace, g.rightFace, design->leftGapMm,
                                                         design->spanMm)
                                   : towerHorizontalSize(g.rightFace, g.leftFace,
                                                         design->rightGapMm(), design->spanMm);
            else
                side.size = s == 0 ? g.leftTowerChordMm : g.rightTowerChordMm;
            side.x.clear();
            side.y.clear();
            for (std::size_t k = 0; k < o.size(); ++k) {
                side.x.push_back(o.x[k] - o.x[0]);
                side.y.push_back(o.y[k] - o.y[0]);
            }
        }
    }
    FaceTargets t;
    t.faceSet = true;
    t.leftGapMm = design->leftGapMm;
    t.spanMm = design->spanMm;
    t.towersMm = design->towersMm;
    // With kerf by speed the section figures take off half the mean of the segments' kerfs.
    auto meanKerf = [](const std::optional<SideKerfs>& k, double fixed) {
        if (!k || k->kerfMm.empty()) return fixed;
        double sum = 0;
        for (double v : k->kerfMm) sum += v;
        return sum / static_cast<double>(k->kerfMm.size());
    };
    const double leftKerf = meanKerf(g.leftKerfs, design->leftKerfMm);
    const double rightKerf = meanKerf(g.rightKerfs, design->rightKerfMm);
    t.left = {std::move(g.leftFace), std::move(g.leftCut), leftKerf,
              g.leftTower.x[0],      g.leftTower.y[0],     {}};
    t.right = {std::move(g.rightFace), std::move(g.rightCut), rightKerf,
               g.rightTower.x[0],      g.rightTower.y[0],     {}};
    if (design->features.any()) {
        FaceDesign plain = *design;
        plain.features = {};
        const FaceGeometryResult before = buildFaceGeometry(left, right, plain);
        if (before.geometry) {
            t.left.finished = before.geometry->leftFace;
            t.right.finished = before.geometry->rightFace;
        }
    }
    return t;
}

std::optional<FaceTargets> towerSetTargets(const IntendedProfiles& towers,
                                           const FacePlacement& placement, double kerfMm,
                                           std::string& why) {
    const double rightGap = placement.towersMm - placement.leftGapMm - placement.spanMm;
    if (placement.spanMm <= 0 || placement.leftGapMm < 0 || rightGap < 0) {
        why = "the faces must lie between the towers with a span above 0";
        return std::nullopt;
    }
    FaceTargets t;
    t.leftGapMm = placement.leftGapMm;
    t.spanMm = placement.spanMm;
    t.towersMm = placement.towersMm;
    const IntendedSide* side[2] = {&towers.left, &towers.right};
    FaceTarget* target[2] = {&t.left, &t.right};
    const double at[2] = {placement.leftGapMm, placement.leftGapMm + placement.spanMm};
    for (int s = 0; s < 2; ++s) {
        Profile unit;
        if (!readUnit(side[s]->path, unit, why)) return std::nullopt;
        const double chord =
            towers.left.size + (towers.right.size - towers.left.size) * at[s] / placement.towersMm;
        FaceTarget& f = *target[s];
        f.designed = placeOnFace(unit, chord, side[s]->washoutDegrees.value_or(0), 0, 0, 0);
        f.cut = offsetOutline(f.designed, kerfMm / 2);
        f.kerfMm = kerfMm;
        if (f.cut.size() == 0) continue;
        const double dx = -f.cut.x[0], dy = -f.cut.y[0];
        translate(f.cut, dx, dy);
        translate(f.designed, dx, dy);
    }
    return t;
}

SectionFigures measureSection(const Outline& section, double insetMm) {
    SectionFigures f;
    const Outline o = insetMm > 0 ? offsetOutline(section, -insetMm) : section;
    const std::size_t n = o.size();
    if (n < 3) return f;
    const double tx = (o.x[0] + o.x[n - 1]) / 2, ty = (o.y[0] + o.y[n - 1]) / 2;
    std::size_t le = 0;
    double far = -1;
    for (std::size_t k = 0; k < n; ++k) {
        const double d = std::hypot(o.x[k] - tx, o.y[k] - ty);
        if (d > far) far = d, le = k;
    }
    f.chordMm = far;
    if (far <= 0 || le == 0 || le == n - 1) return f;
    const double cx = (tx - o.x[le]) / far, cy = (ty - o.y[le]) / far;
    f.chordAngleDeg = std::atan2(ty - o.y[le], tx - o.x[le]) / kDegree;
    std::vector<double> u1, v1, u2, v2;
    for (std::size_t k = 0; k < n; ++k) {
        const double px = o.x[k] - o.x[le], py = o.y[k] - o.y[le];
        const double u = (px * cx + py * cy) / far, v = (py * cx - px * cy) / far;
        if (k <= le) u1.push_back(u), v1.push_back(v);
        if (k >= le) u2.push_back(u), v2.push_back(v);
    }
    double thickness = 0, camber = 0;
    for (int i = 1; i < 400; ++i) {
        const double at = i / 400.0;
        const std::optional<double> a = branchAt(u1, v1, at), b = branchAt(u2, v2, at);
        if (!a || !b) continue;
        thickness = std::max(thickness, std::abs(*a - *b));
        const double mean = (*a + *b) / 2;
        if (std::abs(mean) > std::abs(camber)) camber = mean;
    }
    f.thicknessPct = 100 * thickness;
    f.camberPct = 100 * camber;
    return f;
}

double faceBoundMm(int32_t stepsPerMm) {
    return 1.5 * std::sqrt(2.0) / stepsPerMm;
}

FaceCheck checkAtFaces(const Simulation& sim, const FaceTargets& faces) {
    FaceCheck check;
    check.boundMm = faceBoundMm(sim.stepsPerMm);
    const std::size_t points = std::min(faces.left.cut.size(), faces.right.cut.size());
    const int segments = static_cast<int>(points) - 1;
    const AxisSteps origin = profileStart(sim.decoded);
    const double mmPerStep = 1.0 / sim.stepsPerMm;
    const double at[2] = {faces.leftGapMm / faces.towersMm,
                          (faces.leftGapMm + faces.spanMm) / faces.towersMm};
    const FaceTarget* target[2] = {&faces.left, &faces.right};
    FaceSideCheck* out[2] = {&check.left, &check.right};

    // The wire's point at each face for a position of the four axes.
    auto crossing = [&](const AxisSteps& pos, int side, double& x, double& y) {
        const double lx =
            faces.left.startX + static_cast<double>(pos[kX1] - origin[kX1]) * mmPerStep;
        const double ly =
            faces.left.startY + static_cast<double>(pos[kY1] - origin[kY1]) * mmPerStep;
        const double rx =
            faces.right.startX + static_cast<double>(pos[kX2] - origin[kX2]) * mmPerStep;
        const double ry =
            faces.right.startY + static_cast<double>(pos[kY2] - origin[kY2]) * mmPerStep;
        x = lx + (rx - lx) * at[side];
        y = ly + (ry - ly) * at[side];
    };
    for (int side = 0; side < 2; ++side) {
        double x, y;
        crossing(origin, side, x, y);
        out[side]->path.x.push_back(x);
        out[side]->path.y.push_back(y);
    }
    for (const DecodedSegment& s : sim.decoded.segments) {
        if (s.kind != SegmentKind::Profile || s.number > segments) continue;
        for (int side = 0; side < 2; ++side) {
            double x, y;
            crossing(s.end, side, x, y);
            out[side]->path.x.push_back(x);
            out[side]->path.y.push_back(y);
        }
    }
    if (segments >= 1) {
        visitTicks(sim.set, *sim.decoder, sim.lead, sim.decoded,
                   [&](const DecodedSegment& s, const AxisSteps& pos) {
                       if (s.kind != SegmentKind::Profile || s.number > segments) return;
                       const auto k = static_cast<std::size_t>(s.number - 1);
                       for (int side = 0; side < 2; ++side) {
                           double x, y;
                           crossing(pos, side, x, y);
                           const Outline& c = target[side]->cut;
                           const double d =
                               distanceToSegment(x, y, c.x[k], c.y[k], c.x[k + 1], c.y[k + 1]);
                           if (d > out[side]->maxDistanceMm) {
                               out[side]->maxDistanceMm = d;
                               out[side]->atSegment = s.number;
                           }
                       }
                   });
    }
    for (int side = 0; side < 2; ++side) {
        out[side]->designed = measureSection(target[side]->designed, 0);
        out[side]->measured = measureSection(out[side]->path, target[side]->kerfMm / 2);
    }
    return check;
}

std::array<SpeedRange, 2> faceSpeedRanges(const Simulation& sim, const FaceCheck& check,
                                          double tickMs) {
    std::array<SpeedRange, 2> out{};
    const FaceSideCheck* side[2] = {&check.left, &check.right};
    const int segments = static_cast<int>(check.left.path.size()) - 1;
    std::size_t i = 0;  // the path's point at the end of the profile segment in hand
    bool first = true;
    for (const DecodedSegment& s : sim.decoded.segments) {
        if (s.kind != SegmentKind::Profile || s.number > segments) continue;
        ++i;
        if (s.ticks == 0 || tickMs <= 0) continue;
        const double seconds = static_cast<double>(s.ticks) * tickMs / 1000.0;
        for (int f = 0; f < 2; ++f) {
            const Outline& p = side[f]->path;
            const double v = std::hypot(p.x[i] - p.x[i - 1], p.y[i] - p.y[i - 1]) / seconds;
            SpeedRange& r = out[static_cast<std::size_t>(f)];
            r.minMmS = first ? v : std::min(r.minMmS, v);
            r.maxMmS = first ? v : std::max(r.maxMmS, v);
        }
        first = false;
    }
    return out;
}

}  // namespace corvane
