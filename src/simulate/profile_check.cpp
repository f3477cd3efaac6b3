#include "simulate/profile_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/airfoil_input.h"
#include "generate/profile_verdict.h"
#include "run/set_drawing_loader.h"

namespace corvane {

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = 0;
    if (len2 > 0) t = std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0);
    const double ex = px - (ax + t * dx), ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);  // hypot's overflow care costs a third of a long check
}

std::optional<IntendedProfiles> intendedProfiles(const std::vector<std::string>& fields,
                                                 double kerfMm, std::string& why) {
    if (fields.size() < 4) {
        why = "the DAT-information line holds " + std::to_string(fields.size()) +
              " fields, fewer than the four of a foam set";
        return std::nullopt;
    }
    IntendedProfiles out;
    out.wing = fields.size() >= 8;
    IntendedSide* sides[2] = {&out.left, &out.right};
    for (int s = 0; s < 2; ++s) {
        IntendedSide& side = *sides[s];
        side.path = fields[static_cast<std::size_t>(s)];
        try {
            side.size = leadingNumber(fields[2 + static_cast<std::size_t>(s)]);
            if (out.wing)
                side.washoutDegrees = washoutDegrees(fields[4 + static_cast<std::size_t>(s)],
                                                     fields[6 + static_cast<std::size_t>(s)]);
        } catch (const RunError& e) {  // a number past the range of a double
            why = std::string("the DAT-information line's ") + (s == 0 ? "left" : "right") +
                  " size or washout angle cannot be read (" + e.what() + ")";
            return std::nullopt;
        }
        Profile p;
        try {
            p = readProfile(side.path, side.washoutDegrees);
        } catch (const std::exception& e) {
            why = "the profile " + side.path + " cannot be read (" + e.what() + ")";
            return std::nullopt;
        }
        // The generator's step counts are (K / C + 1) x (C x |d| x S): the chord plus the kerf.
        const double scale = side.size + kerfMm;
        for (std::size_t k = 0; k < p.size(); ++k) {
            side.x.push_back((p.x[k] - p.x[0]) * scale);
            side.y.push_back((p.y[k] - p.y[0]) * scale);
        }
    }
    if (out.left.x.size() != out.right.x.size()) {
        why = "the two profiles differ in their number of points";
        return std::nullopt;
    }
    return out;
}

std::vector<int> segmentsAcrossSurfaces(const IntendedProfiles& profiles) {
    if (!profiles.wing) return {};  // a foam shape has no upper and lower surface to keep
    struct Side {
        ProfileVerdict verdict;
        std::size_t turn = 0;  // 0-based: where it turns
    } sides[2];
    const IntendedSide* intended[2] = {&profiles.left, &profiles.right};
    for (int i = 0; i < 2; ++i) {
        Profile p;
        p.x = intended[i]->x;
        p.y = intended[i]->y;
        if (p.size() < 3) return {};
        Side& s = sides[i];
        s.verdict = judgeProfile(p, intended[i]->path);
        if (s.verdict.start == ProfileStart::Elsewhere) return {};  // no surfaces to tell apart
        const bool nose = s.verdict.start == ProfileStart::TrailingEdge;
        s.turn = (nose ? s.verdict.leadingEdgeIndex : s.verdict.trailingEdgeIndex) - 1;
    }
    std::vector<int> across;
    const std::size_t segments = profiles.points() - 1;
    for (std::size_t k = 0; k < segments; ++k) {
        bool upper[2], atTurn[2], atStart[2];
        for (int i = 0; i < 2; ++i) {
            const Side& s = sides[i];
            const IntendedSide& p = *intended[i];
            upper[i] = (k < s.turn) == s.verdict.upperFirst;
            const double unit = s.verdict.chord > 0 ? s.verdict.chord : 1;
            const std::size_t last = p.x.size() - 1;
            auto fromStart = [&](std::size_t e) {
                return std::min(std::hypot(p.x[e] - p.x[0], p.y[e] - p.y[0]),
                                std::hypot(p.x[e] - p.x[last], p.y[e] - p.y[last])) /
                       unit;
            };
            atTurn[i] = std::min(s.verdict.turnDistance[k], s.verdict.turnDistance[k + 1]) <=
                        kEdgeTolerance;
            atStart[i] = std::min(fromStart(k), fromStart(k + 1)) <= kEdgeTolerance;
        }
        // Where both ends are at the same edge the surfaces meet there: turning a point or two
        // apart is the same wing. Anywhere else the wire runs from one surface to the other.
        const bool sameEdge = (atTurn[0] && atTurn[1]) || (atStart[0] && atStart[1]);
        if (upper[0] != upper[1] && !sameEdge) across.push_back(static_cast<int>(k) + 1);
    }
    return across;
}

std::vector<std::string> profileCheckFaults(const IntendedProfiles& profiles,
                                            const ProfileCheck& check, int32_t stepsPerMm) {
    std::vector<std::string> out;
    const char* names[2] = {"left", "right"};
    const SideCheck* sides[2] = {&check.left, &check.right};
    const IntendedSide* intended[2] = {&profiles.left, &profiles.right};
    char buf[256];
    for (int i = 0; i < 2; ++i) {
        if (intended[i]->size <= 0) {
            std::snprintf(buf, sizeof buf,
                          "the %s tower %s on the DAT-information line is %g mm: no profile can "
                          "be cut at a size of 0 or less",
                          names[i], profiles.wing ? "chord" : "size", intended[i]->size);
            out.emplace_back(buf);
        }
    }
    for (int i = 0; i < 2; ++i) {
        const double steps = sides[i]->maxDistanceMm * stepsPerMm;
        if (steps > kRoundingBoundSteps) {
            std::snprintf(buf, sizeof buf,
                          "the %s side strays %.4f mm (%.2f steps) from its profile in segment "
                          "%d, beyond the %.2f steps that rounding to whole steps explains",
                          names[i], sides[i]->maxDistanceMm, steps, sides[i]->atSegment,
                          kRoundingBoundSteps);
            out.emplace_back(buf);
        }
        for (int xy = 0; xy < 2; ++xy) {
            const double closing = sides[i]->closingMm[xy] * stepsPerMm;
            if (std::fabs(closing) <= 1) continue;
            std::snprintf(buf, sizeof buf,
                          "the %s side ends %+.2f steps off its profile's point %d in %s, more "
                          "than a step",
                          names[i], closing, sides[i]->closingPoint, xy == 0 ? "X" : "Y");
            out.emplace_back(buf);
        }
    }
    if (check.segmentsAcross > 0) {
        out.push_back("the two ends of the wire run on different surfaces (upper with lower) in " +
                      std::to_string(check.segmentsAcross) + " segments from segment " +
                      std::to_string(check.firstAcross) + ": the wire cuts through the core");
    }
    return out;
}

AxisSteps profileStart(const DecodedSet& decoded) {
    for (const DecodedSegment& s : decoded.segments)
        if (s.kind == SegmentKind::Profile) return s.start;
    return decoded.end;
}

ProfileCheck checkAgainstProfiles(const LoadedSet& set, const StepDecoder& decoder,
                                  const std::optional<LeadMoves>& lead, const DecodedSet& decoded,
                                  const IntendedProfiles& profiles, int32_t stepsPerMm) {
    ProfileCheck check;
    const int segments = static_cast<int>(profiles.points()) - 1;
    const AxisSteps origin = profileStart(decoded);
    const double mmPerStep = 1.0 / stepsPerMm;
    SideCheck* sides[2] = {&check.left, &check.right};
    const IntendedSide* intended[2] = {&profiles.left, &profiles.right};
    for (const DecodedSegment& s : decoded.segments) {
        if (s.kind != SegmentKind::Profile) continue;
        if (s.number > segments)
            ++check.segmentsBeyondProfile;
        else
            ++check.segmentsCompared;
    }
    for (SideCheck* side : sides)
        side->segmentMaxMm.assign(static_cast<std::size_t>(std::max(segments, 0)), 0.0);

    visitTicks(set, decoder, lead, decoded, [&](const DecodedSegment& s, const AxisSteps& at) {
        if (s.kind != SegmentKind::Profile || s.number > segments) return;
        const auto k = static_cast<std::size_t>(s.number - 1);
        for (int side = 0; side < 2; ++side) {
            const auto ax = static_cast<std::size_t>(2 * side);
            const double px = static_cast<double>(at[ax] - origin[ax]) * mmPerStep;
            const double py = static_cast<double>(at[ax + 1] - origin[ax + 1]) * mmPerStep;
            const IntendedSide& p = *intended[side];
            const double d = distanceToSegment(px, py, p.x[k], p.y[k], p.x[k + 1], p.y[k + 1]);
            SideCheck& c = *sides[side];
            c.segmentMaxMm[k] = std::max(c.segmentMaxMm[k], d);
            if (d > c.maxDistanceMm) {
                c.maxDistanceMm = d;
                c.atSegment = s.number;
            }
        }
    });

    const std::vector<int> across = segmentsAcrossSurfaces(profiles);
    check.segmentsAcross = static_cast<int>(across.size());
    check.firstAcross = across.empty() ? 0 : across.front();

    // The closing error: where the last compared segment ends against the point it should reach.
    const DecodedSegment* last = nullptr;
    for (const DecodedSegment& s : decoded.segments)
        if (s.kind == SegmentKind::Profile && s.number <= segments) last = &s;
    for (int side = 0; side < 2; ++side) {
        SideCheck& c = *sides[side];
        const auto ax = static_cast<std::size_t>(2 * side);
        const std::size_t point = last ? static_cast<std::size_t>(last->number) : 0;
        const AxisSteps endAt = last ? last->end : origin;
        if (intended[side]->x.empty()) continue;
        c.closingPoint = static_cast<int>(point) + 1;
        c.closingMm[0] =
            static_cast<double>(endAt[ax] - origin[ax]) * mmPerStep - intended[side]->x[point];
        c.closingMm[1] = static_cast<double>(endAt[ax + 1] - origin[ax + 1]) * mmPerStep -
                         intended[side]->y[point];
    }
    return check;
}

}  // namespace corvane
