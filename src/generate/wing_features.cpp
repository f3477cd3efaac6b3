// The features cut into the core: each face's section in mm, the refusals with their numbers,
// the pairing of both faces at the slots' lips, and the mirror.
#include "generate/wing_features.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "common/number_format.h"
#include "generate/face_geometry.h"
#include "generate/wing_feature_shapes.h"

namespace corvane {

namespace {

using namespace wingshape;

std::string mm(double v) {
    return formatTwoDecimals(v) + " mm";
}

const char* faceName(int side) {
    return side == 0 ? "left" : "right";
}

const char* surfaceName(SlotSurface s) {
    return s == SlotSurface::Upper ? "upper" : "lower";
}

double at(const FacePair& p, int side) {
    return side == 0 ? p.left : p.right;
}

// One face's section while the features are cut into it.
struct Face {
    Outline o;
    std::size_t le = 0;
    double leX = 0, teX = 0, chord = 0, kerf = 0;
};

// A slot placed on both faces: the walls' x, the floor's height and the lips' indices.
struct Placed {
    std::size_t slot = 0;  // its place in WingFeatures::sparSlots
    SlotSurface surface = SlotSurface::Upper;
    double x0[2] = {}, x1[2] = {}, floorY[2] = {};
    double lip0[2] = {}, lip1[2] = {};  // fractional indices at x0 and x1
};

// The shape features of one face (everything but the slots); refusals go into `no`.
void shapeFace(Face& f, int side, const WingFeatures& w, std::vector<std::string>& no) {
    const std::string face = faceName(side);
    const double thick = thickest(f.o, f.le).thicknessMm;
    const double up = at(w.sheetingUpperMm, side), low = at(w.sheetingLowerMm, side);
    for (auto [name, t] : {std::pair{"upper", up}, std::pair{"lower", low}}) {
        if (t > thick / 2)
            no.push_back(std::string("The ") + name + " sheeting at the " + face + " face is " +
                         mm(t) + ", more than half the section's thickness (" + mm(thick) +
                         ", half " + mm(thick / 2) + ").");
    }
    if (!no.empty()) return;
    f.o = sheet(f.o, f.le, up, low);
    // The trailing edge the wire cuts is the core's, after the sheeting.
    const double te = at(w.teThicknessMm, side);
    const double core = thickest(f.o, f.le).thicknessMm;
    if (te > 0 && te >= core) {
        no.push_back("The trailing edge at the " + face + " face is asked " + mm(te) +
                     " thick, as thick as the core itself (" + mm(core) + ").");
        return;
    }
    thickenTrailingEdge(f.o, f.le, te);
    addStock(f.o, f.le, f.leX, f.teX, f.chord, at(w.leStockMm, side), at(w.teStockMm, side));
}

// The slot's place on one face, or a refusal.
bool placeSlot(const Face& f, int side, const SparSlot& s, std::size_t number, double leftChord,
               double rightChord, Placed& p, std::vector<std::string>& no) {
    const SlotAtFace a = slotAtFace(s, side == 1, leftChord, rightChord);
    const bool upper = s.surface == SlotSurface::Upper;
    const std::string what = std::string("Spar slot ") + std::to_string(number + 1) + " (" +
                             surfaceName(s.surface) + ", centre " + mm(a.centreMm) +
                             " from the leading edge) at the " + faceName(side) + " face";
    if (a.widthMm <= 0 || a.depthMm <= 0) {
        no.push_back(what + " needs a width and a depth above 0: width " + mm(a.widthMm) +
                     ", depth " + mm(a.depthMm) + ".");
        return false;
    }
    if (a.widthMm <= f.kerf) {
        no.push_back(what + " is " + mm(a.widthMm) + " wide, not wider than the wire's kerf " +
                     mm(f.kerf) + ".");
        return false;
    }
    const double x0 = f.leX + a.centreMm - a.widthMm / 2, x1 = x0 + a.widthMm;
    const std::optional<double> i0 = surfaceIndexAt(f.o, f.le, upper, x0);
    const std::optional<double> i1 = surfaceIndexAt(f.o, f.le, upper, x1);
    const std::optional<double> yc = surfaceY(f.o, f.le, upper, f.leX + a.centreMm);
    if (x0 <= f.leX || x1 >= f.teX || !i0 || !i1 || !yc) {
        no.push_back(what + " reaches past the section: it runs from " + mm(x0 - f.leX) + " to " +
                     mm(x1 - f.leX) + ", the chord is " + mm(f.teX - f.leX) + ".");
        return false;
    }
    const double floorY = upper ? *yc - a.depthMm : *yc + a.depthMm;
    // The floor must stay inside the section across the whole width.
    double room = 1e300;
    for (int k = 0; k <= 16; ++k) {
        const double x = x0 + (x1 - x0) * k / 16;
        const std::optional<double> other = surfaceY(f.o, f.le, !upper, x);
        if (!other) continue;
        room = std::min(room, upper ? floorY - *other : *other - floorY);
    }
    if (room <= 0) {
        no.push_back(what + " is " + mm(a.depthMm) +
                     " deep, deeper than the section there: " + mm(a.depthMm + room) + " at most.");
        return false;
    }
    const double lipLow =
        upper ? std::min(yAt(f.o, *i0), yAt(f.o, *i1)) : -std::max(yAt(f.o, *i0), yAt(f.o, *i1));
    if ((upper ? floorY : -floorY) >= lipLow) {
        no.push_back(what + " is " + mm(a.depthMm) +
                     " deep, less than the surface falls across its width: its floor would lie "
                     "above a lip.");
        return false;
    }
    p.x0[side] = x0;
    p.x1[side] = x1;
    p.floorY[side] = floorY;
    p.lip0[side] = *i0;
    p.lip1[side] = *i1;
    return true;
}

// Slots overlapping on one surface, floors meeting across the section, or slots that change
// order between the faces (their walls would cross in the foam).
void checkSlotsTogether(const std::vector<Placed>& placed, std::vector<std::string>& no) {
    for (std::size_t i = 0; i < placed.size(); ++i) {
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            const Placed &a = placed[i], &b = placed[j];
            const std::string both =
                "Spar slots " + std::to_string(a.slot + 1) + " and " + std::to_string(b.slot + 1);
            for (int side = 0; side < 2; ++side) {
                const std::string face = faceName(side);
                const bool meet = a.x0[side] < b.x1[side] && b.x0[side] < a.x1[side];
                const std::string spans = " (" + mm(a.x0[side]) + " to " + mm(a.x1[side]) +
                                          " and " + mm(b.x0[side]) + " to " + mm(b.x1[side]) +
                                          " from the leading edge)";
                if (a.surface == b.surface && meet) {
                    no.push_back(both + " overlap at the " + face + " face" + spans + ".");
                } else if (a.surface != b.surface && meet) {
                    const double up =
                        a.surface == SlotSurface::Upper ? a.floorY[side] : b.floorY[side];
                    const double low =
                        a.surface == SlotSurface::Upper ? b.floorY[side] : a.floorY[side];
                    if (up <= low)
                        no.push_back(both + " meet through the section at the " + face +
                                     " face: the upper floor is " + mm(low - up) +
                                     " below the lower" + spans + ".");
                }
            }
            if (a.surface == b.surface && (a.x0[0] < b.x0[0]) != (a.x0[1] < b.x0[1]))
                no.push_back(both + " change order between the faces.");
        }
    }
}

}  // namespace

bool WingFeatures::any() const {
    auto set = [](const FacePair& p) { return p.left != 0 || p.right != 0; };
    return set(sheetingUpperMm) || set(sheetingLowerMm) || !sparSlots.empty() ||
           set(teThicknessMm) || set(leStockMm) || set(teStockMm);
}

SlotAtFace slotAtFace(const SparSlot& slot, bool rightFace, double leftChordMm,
                      double rightChordMm) {
    SlotAtFace s;
    s.surface = slot.surface;
    const double chord = rightFace ? rightChordMm : leftChordMm;
    auto pick = [&](const FacePair& p) {
        if (!rightFace) return p.left;
        switch (slot.scaling) {
            case SlotScaling::Same:
                return p.left;
            case SlotScaling::Proportional:
                return leftChordMm > 0 ? p.left * rightChordMm / leftChordMm : p.left;
            case SlotScaling::PerFace:
                return p.right;
        }
        return p.left;
    };
    // A fraction is a fraction of each face's own chord whatever the scaling.
    if (slot.centreIsFraction) {
        const double f = rightFace && slot.scaling == SlotScaling::PerFace ? slot.centre.right
                                                                           : slot.centre.left;
        s.centreMm = f * chord;
    } else {
        s.centreMm = pick(slot.centre);
    }
    s.widthMm = pick(slot.widthMm);
    s.depthMm = pick(slot.depthMm);
    return s;
}

WingFeatures mirroredFeatures(const WingFeatures& f, double leftChordMm, double rightChordMm) {
    WingFeatures m = f;
    auto swap = [](FacePair& p) { std::swap(p.left, p.right); };
    swap(m.sheetingUpperMm);
    swap(m.sheetingLowerMm);
    swap(m.teThicknessMm);
    swap(m.leStockMm);
    swap(m.teStockMm);
    for (SparSlot& s : m.sparSlots) {
        if (s.scaling == SlotScaling::Same) continue;
        // Given per face from here on: each face keeps the figures it had.
        const SlotAtFace l = slotAtFace(s, false, leftChordMm, rightChordMm);
        const SlotAtFace r = slotAtFace(s, true, leftChordMm, rightChordMm);
        if (s.centreIsFraction) {
            s.centre = {r.centreMm / rightChordMm, l.centreMm / leftChordMm};
        } else {
            s.centre = {r.centreMm, l.centreMm};
        }
        s.widthMm = {r.widthMm, l.widthMm};
        s.depthMm = {r.depthMm, l.depthMm};
        s.scaling = SlotScaling::PerFace;
    }
    return m;
}

FaceDesign mirroredDesign(const FaceDesign& d) {
    FaceDesign m = d;
    m.leftChordMm = d.rightChordMm;
    m.rightChordMm = d.leftChordMm;
    m.leftGapMm = d.rightGapMm();
    m.sweepMm = -d.sweepMm;
    m.riseMm = -d.riseMm;
    m.leftWashoutDeg = d.rightWashoutDeg;
    m.rightWashoutDeg = d.leftWashoutDeg;
    m.leftKerfMm = d.rightKerfMm;
    m.rightKerfMm = d.leftKerfMm;
    m.features = mirroredFeatures(d.features, d.leftChordMm, d.rightChordMm);
    return m;
}

FeaturedSections applyWingFeatures(const Profile& leftUnit, const Profile& rightUnit,
                                   double leftChordMm, double rightChordMm, const WingFeatures& w,
                                   double leftKerfMm, double rightKerfMm) {
    FeaturedSections out;
    out.left = leftUnit;
    out.right = rightUnit;
    if (!leftUnit.x.empty()) out.leadingEdge = leadingEdgeIndex(leftUnit);
    // Unequal profiles and chords not above 0 are the face geometry's own refusals.
    if (!w.any() || leftUnit.size() != rightUnit.size() || leftUnit.size() < 4 ||
        !(leftChordMm > 0) || !(rightChordMm > 0))
        return out;
    std::vector<std::string>& no = out.refusals;
    const FacePair* figures[] = {&w.sheetingUpperMm, &w.sheetingLowerMm, &w.teThicknessMm,
                                 &w.leStockMm, &w.teStockMm};
    for (const FacePair* p : figures) {
        if (p->left < 0 || p->right < 0 || !std::isfinite(p->left) || !std::isfinite(p->right)) {
            no.push_back("Sheeting, trailing-edge thickness and stock cannot be negative: " +
                         mm(p->left) + " / " + mm(p->right) + ".");
            return out;
        }
    }

    const Profile* units[2] = {&leftUnit, &rightUnit};
    const double chords[2] = {leftChordMm, rightChordMm};
    const double kerfs[2] = {leftKerfMm, rightKerfMm};
    bool wasClosed = false;
    Face faces[2];
    for (int side = 0; side < 2; ++side) {
        const Profile& u = *units[side];
        Face& f = faces[side];
        f.chord = chords[side];
        f.kerf = kerfs[side];
        f.le = leadingEdgeIndex(u);
        for (std::size_t k = 0; k < u.size(); ++k) {
            f.o.x.push_back(u.x[k] * f.chord);
            f.o.y.push_back(u.y[k] * f.chord);
        }
        wasClosed = wasClosed || closedOutline(f.o);
        f.leX = f.o.x[f.le];
        f.teX = std::max(f.o.x.front(), f.o.x.back());
        if (f.le == 0 || f.le + 1 >= u.size()) {
            no.push_back(std::string("The ") + faceName(side) +
                         " section's leading edge is at its end: it has no upper and lower "
                         "surface to cut features into.");
            return out;
        }
        shapeFace(f, side, w, no);
    }
    if (!no.empty()) return out;

    std::vector<Placed> placed;
    for (std::size_t i = 0; i < w.sparSlots.size(); ++i) {
        Placed p;
        p.slot = i;
        p.surface = w.sparSlots[i].surface;
        bool ok = true;
        for (int side = 0; side < 2; ++side)
            ok =
                placeSlot(faces[side], side, w.sparSlots[i], i, leftChordMm, rightChordMm, p, no) &&
                ok;
        if (ok) placed.push_back(p);
    }
    if (no.empty()) checkSlotsTogether(placed, no);
    if (!no.empty()) return out;

    // Marks: both ends, where the sheeting's collapsed runs end, the nose and every lip, in the
    // outline's order on both faces. Pairing at them keeps a run that one face collapsed (where
    // its core ends) from fanning out to the other face's live points.
    struct Mark {
        double at[2];
        int slot;  // -1: an end, the nose or a run's end; -2: the leading edge
    };
    const LiveRuns runs[2] = {liveRuns(faces[0].o, faces[0].le), liveRuns(faces[1].o, faces[1].le)};
    auto both = [](std::size_t l, std::size_t r) {
        return std::array<double, 2>{static_cast<double>(l), static_cast<double>(r)};
    };
    std::vector<std::array<double, 2>> fixed = {both(0, 0),
                                                both(runs[0].upperEnd, runs[1].upperEnd),
                                                both(runs[0].noseFrom, runs[1].noseFrom),
                                                both(runs[0].noseTo, runs[1].noseTo),
                                                both(runs[0].lowerEnd, runs[1].lowerEnd),
                                                both(faces[0].o.size() - 1, faces[1].o.size() - 1)};
    std::vector<Mark> marks;
    for (std::size_t j = 0; j < fixed.size(); ++j) {
        // A mark that repeats the one before at both faces is no mark.
        if (j > 0 && fixed[j] == fixed[j - 1]) continue;
        marks.push_back({{fixed[j][0], fixed[j][1]}, j == 2 ? -2 : -1});
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const Placed& p = placed[i];
        marks.push_back({{p.lip0[0], p.lip0[1]}, static_cast<int>(i)});
        marks.push_back({{p.lip1[0], p.lip1[1]}, static_cast<int>(i)});
    }
    std::stable_sort(marks.begin(), marks.end(),
                     [](const Mark& a, const Mark& b) { return a.at[0] < b.at[0]; });
    std::vector<double> leftMarks, rightMarks;
    for (const Mark& m : marks) {
        leftMarks.push_back(m.at[0]);
        rightMarks.push_back(m.at[1]);
    }
    Paired paired = pairAtMarks(faces[0].o, faces[1].o, leftMarks, rightMarks);

    // Each slot's lips as point indices, then the notches from the last to the first, so the
    // two corners put into each leave the earlier indices as they are.
    struct Lips {
        std::size_t a = SIZE_MAX, b = 0;
    };
    std::vector<Lips> lips(placed.size());
    std::size_t le = 0;
    for (std::size_t j = 0; j < marks.size(); ++j) {
        if (marks[j].slot < 0) {
            if (marks[j].slot == -2) le = paired.marks[j];
            continue;
        }
        Lips& l = lips[static_cast<std::size_t>(marks[j].slot)];
        l.a = std::min(l.a, paired.marks[j]);
        l.b = std::max(l.b, paired.marks[j]);
    }
    std::vector<std::size_t> order(placed.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return lips[a].a > lips[b].a; });
    for (std::size_t i : order) {
        cutNotch(paired.left, lips[i].a, lips[i].b, placed[i].floorY[0]);
        cutNotch(paired.right, lips[i].a, lips[i].b, placed[i].floorY[1]);
    }
    out.sparSlots.assign(w.sparSlots.size(), SlotCorners{});
    for (std::size_t i = 0; i < placed.size(); ++i) {
        std::size_t shift = 0;
        for (std::size_t j = 0; j < placed.size(); ++j)
            if (lips[j].a < lips[i].a) shift += 2;
        const std::size_t a = lips[i].a + shift, b = lips[i].b + shift;
        out.sparSlots[placed[i].slot] = {a, a + 1, b + 1, b + 2};
        if (lips[i].a < le) le += 2;
    }
    // A closed section stays closed: an opened trailing edge gets its own segment.
    if (wasClosed && (!closedOutline(paired.left) || !closedOutline(paired.right))) {
        for (Outline* o : {&paired.left, &paired.right}) {
            o->x.push_back(o->x.front());
            o->y.push_back(o->y.front());
        }
    }
    out.leadingEdge = le;
    Profile* to[2] = {&out.left, &out.right};
    const Outline* from[2] = {&paired.left, &paired.right};
    for (int side = 0; side < 2; ++side) {
        to[side]->x.clear();
        to[side]->y.clear();
        for (std::size_t k = 0; k < from[side]->size(); ++k) {
            to[side]->x.push_back(from[side]->x[k] / chords[side]);
            to[side]->y.push_back(from[side]->y[k] / chords[side]);
        }
    }
    return out;
}

}  // namespace corvane
