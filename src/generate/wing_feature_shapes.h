// The shape steps behind the wing features, on one section in mm in its own chord frame (x back
// from the leading edge, y up, point 0 at the trailing edge, over the upper surface to the
// leading edge `le` and back along the lower): thickening the trailing edge, the inward sheeting
// offset, stock at the edges, the common resampling that pairs both faces at marks, and the
// notch. Each keeps the point count unless it says otherwise.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "generate/face_geometry.h"

namespace corvane::wingshape {

// The fractional index (i + t on segment i) where the upper (points 0..le) or lower (le..n-1)
// surface meets the vertical x, nearest the trailing edge; nullopt when it does not.
std::optional<double> surfaceIndexAt(const Outline& o, std::size_t le, bool upper, double x);
// The point at a fractional index.
double xAt(const Outline& o, double index);
double yAt(const Outline& o, double index);
// The surface's height at x; nullopt off the surface.
std::optional<double> surfaceY(const Outline& o, std::size_t le, bool upper, double x);

// The largest upper-to-lower thickness over the upper surface's points, and where it is.
struct Thickest {
    double thicknessMm = 0, xMm = 0;
};
Thickest thickest(const Outline& o, std::size_t le);

// Behind the thickest point, both surfaces move apart about their middle wherever the section
// is thinner than `minimumMm` (a closed trailing edge opens to that thickness).
void thickenTrailingEdge(Outline& o, std::size_t le, double minimumMm);

// The upper surface moved inward by `upperMm`, the lower by `lowerMm`. Round the nose the
// thickness changes with the surface's direction: the upper's where the outward normal points
// up by 30 degrees or more, the lower's where it points down as far, mixed in between. An open
// trailing edge is not sheeted: the surfaces end on its line. Where the two offsets meet (a
// closed or thin trailing edge), the core ends at their crossing: every point behind collapses
// onto it, so the outline stays closed with its point count.
Outline sheet(const Outline& o, std::size_t le, double upperMm, double lowerMm);

// Foam left ahead of the leading edge and behind the trailing edge: the section is stretched
// along the chord over a blend length (15 % of the chord, at least 4 x the stock) so that its
// edge stands `leMm` / `teMm` further out, and its surfaces part about their middle line by as
// much in all over the same length, so the designed section lies inside. `leX` and `teX` are the
// designed edges.
void addStock(Outline& o, std::size_t le, double leX, double teX, double chordMm, double leMm,
              double teMm);

// Both outlines resampled so that mark j falls on the same point index in both: between two
// marks each gets the points of both, paired by their fraction of the stretch's length (so a
// stretch that one face's sheeting shortened pairs end with end and middle with middle), and
// every original point stays, so no shape changes. Marks are fractional indices, increasing,
// the first 0 and the last n - 1; `marks` receives their new indices.
struct Paired {
    Outline left, right;
    std::vector<std::size_t> marks;
};
Paired pairAtMarks(const Outline& left, const Outline& right, const std::vector<double>& leftMarks,
                   const std::vector<double>& rightMarks);

// Where the core is alive: the runs of points that the sheeting collapsed onto one point at the
// trailing edge (0..upperEnd and lowerEnd..n-1) and at the nose (noseFrom..noseTo, round `le`).
// Without a collapse: 0, n - 1 and le itself.
struct LiveRuns {
    std::size_t upperEnd = 0, noseFrom = 0, noseTo = 0, lowerEnd = 0;
};
LiveRuns liveRuns(const Outline& o, std::size_t le);

// A notch between the points `lipA` < `lipB` (both on one surface): the points between move to
// the floor at height `floorY`, and two corners are put in after lipA and before lipB, at the
// lips' x. Returns the index of the first corner (the second is lipB + 1 after the insertion).
std::size_t cutNotch(Outline& o, std::size_t lipA, std::size_t lipB, double floorY);

}  // namespace corvane::wingshape
