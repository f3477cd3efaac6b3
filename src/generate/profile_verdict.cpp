// Judging a profile and a root and tip pair.
#include "generate/profile_verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace corvane {

namespace {

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", std::fabs(v) < 5e-5 ? 0.0 : v);
    return buf;
}

std::string pointText(const Profile& p, std::size_t i) {
    return "(" + num(p.x[i]) + ", " + num(p.y[i]) + ")";
}

const char* startWords(ProfileStart s) {
    switch (s) {
        case ProfileStart::TrailingEdge:
            return "at the trailing edge";
        case ProfileStart::LeadingEdge:
            return "at the leading edge";
        case ProfileStart::Elsewhere:
            break;
    }
    return "away from both edges";
}

// Root and tip (one start, one order) turn on one segment, or so close to it that the points
// between lie at the edge on both: the wire then never runs from one surface to the other.
bool turnsTogether(const ProfileVerdict& root, const ProfileVerdict& tip) {
    if (root.start == ProfileStart::Elsewhere) return true;  // refused for its start already
    const bool nose = root.start == ProfileStart::TrailingEdge;
    const std::size_t a = nose ? root.leadingEdgeIndex : root.trailingEdgeIndex;
    const std::size_t b = nose ? tip.leadingEdgeIndex : tip.trailingEdgeIndex;
    if ((a > b ? a - b : b - a) <= kLeadingEdgeIndexTolerance) return true;
    // At the other file's turning point each file must still be at its own.
    if (a > tip.turnDistance.size() || b > root.turnDistance.size()) return false;
    return root.turnDistance[b - 1] <= kEdgeTolerance && tip.turnDistance[a - 1] <= kEdgeTolerance;
}

}  // namespace

const char* startName(ProfileStart start) {
    switch (start) {
        case ProfileStart::TrailingEdge:
            return "trailing edge";
        case ProfileStart::LeadingEdge:
            return "leading edge";
        case ProfileStart::Elsewhere:
            break;
    }
    return "neither edge";
}

const char* orderName(bool upperFirst) {
    return upperFirst ? "upper surface first" : "lower surface first";
}

std::string tooFewPointsText(const std::string& file, std::size_t points) {
    return "DAT file " + file + " holds fewer than 3 points (" + std::to_string(points) +
           "), so it is no airfoil outline. Choose the airfoil's coordinate file and try again";
}

namespace {

std::size_t farthestFrom(const Profile& p, double x, double y) {
    std::size_t best = 0;
    double far = -1;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double d = std::hypot(p.x[i] - x, p.y[i] - y);
        if (d > far) {
            far = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

OutlineTurns outlineTurns(const Profile& p) {
    OutlineTurns t;
    const std::size_t last = p.size() - 1;
    const auto [minIt, maxIt] = std::minmax_element(p.x.begin(), p.x.end());
    const double edge = kEdgeTolerance * (*maxIt - *minIt > 0 ? *maxIt - *minIt : 1);
    if (p.x[0] >= *maxIt - edge && p.x[last] >= *maxIt - edge) {
        t.start = ProfileStart::TrailingEdge;
    } else if (p.x[0] <= *minIt + edge && p.x[last] <= *minIt + edge) {
        t.start = ProfileStart::LeadingEdge;
    }
    const double midX = (p.x[0] + p.x[last]) / 2, midY = (p.y[0] + p.y[last]) / 2;
    switch (t.start) {
        case ProfileStart::TrailingEdge:
            t.trailingEdge = 0;
            t.leadingEdge = farthestFrom(p, midX, midY);
            break;
        case ProfileStart::LeadingEdge:
            t.leadingEdge = 0;
            t.trailingEdge = farthestFrom(p, midX, midY);
            break;
        case ProfileStart::Elsewhere:
            t.trailingEdge = static_cast<std::size_t>(maxIt - p.x.begin());
            t.leadingEdge = farthestFrom(p, p.x[t.trailingEdge], p.y[t.trailingEdge]);
            break;
    }
    return t;
}

std::size_t secondSurfaceStart(const Profile& p) {
    if (p.size() < 4) return 0;
    const auto [minIt, maxIt] = std::minmax_element(p.x.begin(), p.x.end());
    const double edge = kEdgeTolerance * (*maxIt - *minIt);
    auto nose = [&](std::size_t i) { return p.x[i] <= *minIt + edge; };
    auto tail = [&](std::size_t i) { return p.x[i] >= *maxIt - edge; };
    if (!(edge > 0) || !nose(0) || !tail(p.size() - 1)) return 0;
    std::size_t jump = 0;
    for (std::size_t i = 1; i < p.size(); ++i) {
        if (!tail(i - 1) || !nose(i)) continue;
        if (jump != 0) return 0;  // more than one jump back: no two-surface file
        jump = i;
    }
    return jump >= 2 && jump + 2 <= p.size() ? jump : 0;
}

ProfileVerdict judgeProfile(const Profile& p, const std::string& file) {
    ProfileVerdict v;
    v.file = file;
    v.points = p.size();
    if (v.points < 3) {
        v.problems.push_back(tooFewPointsText(file, v.points));
        return v;
    }
    const auto [minIt, maxIt] = std::minmax_element(p.x.begin(), p.x.end());
    v.minX = *minIt;
    v.maxX = *maxIt;
    v.chord = v.maxX - v.minX;
    const OutlineTurns turns = outlineTurns(p);
    v.start = turns.start;
    v.leadingEdgeIndex = turns.leadingEdge + 1;
    v.trailingEdgeIndex = turns.trailingEdge + 1;
    const std::size_t last = v.points - 1;
    const double unit = v.chord > 0 ? v.chord : 1;
    v.closingGap = std::hypot(p.x[last] - p.x[0], p.y[last] - p.y[0]) / unit;
    v.closed = v.closingGap <= kClosureTolerance;
    const std::size_t turn =
        v.start == ProfileStart::LeadingEdge ? turns.trailingEdge : turns.leadingEdge;
    for (std::size_t i = 0; i < v.points; ++i)
        v.turnDistance.push_back(std::hypot(p.x[i] - p.x[turn], p.y[i] - p.y[turn]) / unit);
    // The outline's turning sense gives the order: from the trailing edge over the upper surface
    // it runs anticlockwise, from the leading edge over the upper surface clockwise.
    double area = 0;
    for (std::size_t i = 0; i < v.points; ++i) {
        const std::size_t j = (i + 1) % v.points;
        area += p.x[i] * p.y[j] - p.x[j] * p.y[i];
    }
    v.upperFirst = (area >= 0) == (v.start != ProfileStart::LeadingEdge);

    if (std::fabs(v.chord - 1) > kChordTolerance) {
        v.problems.push_back("DAT file " + file + " runs from x = " + num(v.minX) +
                             " to x = " + num(v.maxX) + ", a chord of " + num(v.chord) +
                             " where coordinates are fractions of a chord of 1: it would be cut " +
                             num(v.chord) +
                             " times its size. Scale the file to x from 0 to 1 "
                             "and try again");
    }
    if (!v.closed && secondSurfaceStart(p) != 0) {
        v.problems.push_back("DAT file " + file +
                             " holds two surfaces, each from the leading edge to the trailing "
                             "edge (the two-surface layout without its line of point counts), "
                             "so the wire would cut straight through the wing. Convert the file "
                             "with Prepare Airfoils (corvane-cli airfoil prepare) and try again");
    } else if (!v.closed) {
        v.problems.push_back("DAT file " + file + " is not a closed outline: it starts at " +
                             pointText(p, 0) + " and ends at " + pointText(p, last) +
                             ", so a surface is missing or cut short and the wire would cut "
                             "straight through the wing. Use the complete coordinate file and "
                             "try again");
    } else if (v.start == ProfileStart::Elsewhere) {
        v.problems.push_back("DAT file " + file + " starts at " + pointText(p, 0) +
                             ", neither at the trailing edge nor at the leading edge. Prepare "
                             "Airfoils puts the start at the trailing edge; use its files and "
                             "try again");
    }
    return v;
}

std::vector<std::string> correspondenceProblems(const ProfileVerdict& root,
                                                const ProfileVerdict& tip) {
    std::vector<std::string> out;
    if (!root.cuttable() || !tip.cuttable()) return out;
    const std::string both = "DAT files " + root.file + " and " + tip.file;
    const std::string fix =
        ": the wire would pass through the core. Prepare Airfoils gives root and tip one order "
        "and one leading-edge point; use its files and try again";
    if (root.start != tip.start) {
        out.push_back(both + " start at different edges (" + root.file + " " +
                      startWords(root.start) + ", " + tip.file + " " + startWords(tip.start) + ")" +
                      fix);
    } else if (root.upperFirst != tip.upperFirst) {
        out.push_back(both + " run in different orders (" + root.file + " " +
                      orderName(root.upperFirst) + ", " + tip.file + " " +
                      orderName(tip.upperFirst) + ")" + fix);
    } else if (!turnsTogether(root, tip)) {
        const bool nose = root.start == ProfileStart::TrailingEdge;
        const std::size_t a = nose ? root.leadingEdgeIndex : root.trailingEdgeIndex;
        const std::size_t b = nose ? tip.leadingEdgeIndex : tip.trailingEdgeIndex;
        out.push_back(both + " reach the " + (nose ? "leading" : "trailing") +
                      " edge at different points (" + root.file + " at point " + std::to_string(a) +
                      ", " + tip.file + " at point " + std::to_string(b) + ")" + fix);
    }
    return out;
}

std::string leadMoveWarning(const ProfileVerdict& v, bool leadMovesOn) {
    if (!leadMovesOn || v.start != ProfileStart::LeadingEdge || !v.cuttable()) return {};
    return "DAT file " + v.file +
           " starts at the leading edge: the horizontal lead-in and lead-out will cut into the "
           "nose. Set the lead-in to 0, or use Prepare Airfoils to start at the trailing edge";
}

std::string formatVerdict(const ProfileVerdict& v) {
    std::string out;
    out += "XRange=" + num(v.minX) + " " + num(v.maxX) + "\n";
    out += "Start=" + std::string(startName(v.start)) + "\n";
    out += "Order=" + std::string(orderName(v.upperFirst)) + "\n";
    out += "LeadingEdgeIndex=" + std::to_string(v.leadingEdgeIndex) + "\n";
    out += "TrailingEdgeIndex=" + std::to_string(v.trailingEdgeIndex) + "\n";
    out += "Outline=" + std::string(v.closed ? "closed" : "open") + ", gap " + num(v.closingGap) +
           " chord\n";
    out += "Cuttable=" + std::string(v.cuttable() ? "yes" : "no") + "\n";
    for (const std::string& p : v.problems) out += "Problem=" + p + "\n";
    return out;
}

}  // namespace corvane
