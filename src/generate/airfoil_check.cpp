// Reading airfoil files of any usual layout, splitting them into surfaces, measuring them.
#include "generate/airfoil_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/file_io.h"
#include "common/run_error.h"
#include "generate/airfoil_input.h"
#include "generate/profile_verdict.h"

namespace corvane {

namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t nl = text.find('\n', start);
        std::string_view line = text.substr(start, nl == std::string_view::npos ? nl : nl - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return lines;
}

std::vector<std::string_view> items(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    auto sep = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; };
    while (i < line.size()) {
        while (i < line.size() && sep(line[i])) ++i;
        std::size_t s = i;
        while (i < line.size() && !sep(line[i])) ++i;
        if (i > s) out.push_back(line.substr(s, i - s));
    }
    return out;
}

bool wholeCount(std::string_view item, double& value) {
    try {
        std::size_t used = 0;
        value = std::stod(std::string(item), &used);
        return used == item.size() && value >= 2 && value == std::floor(value) && value < 1e6;
    } catch (const std::exception&) {
        return false;
    }
}

bool isNumber(std::string_view item) {
    try {
        std::size_t used = 0;
        (void)std::stod(std::string(item), &used);
        return used == item.size();
    } catch (const std::exception&) {
        return false;
    }
}

AirfoilPoints pointsOf(const Profile& p) {
    AirfoilPoints out;
    for (std::size_t k = 0; k < p.size(); ++k) out.push_back({p.x[k], p.y[k]});
    return out;
}

AirfoilPoints withoutRepeats(AirfoilPoints pts) {
    pts.erase(std::unique(pts.begin(), pts.end()), pts.end());
    return pts;
}

double meanY(const AirfoilPoints& pts) {
    double sum = 0;
    for (const AirfoilPoint& p : pts) sum += p.y;
    return pts.empty() ? 0 : sum / static_cast<double>(pts.size());
}

// y of a surface (leading edge to trailing edge) at x, on its first segment spanning x.
bool surfaceY(const AirfoilPoints& s, double x, double& y) {
    for (std::size_t i = 1; i < s.size(); ++i) {
        const double x0 = s[i - 1].x, x1 = s[i].x;
        if ((x >= std::min(x0, x1) && x <= std::max(x0, x1)) && x1 != x0) {
            y = s[i - 1].y + (s[i].y - s[i - 1].y) * (x - x0) / (x1 - x0);
            return true;
        }
    }
    return false;
}

// The outline ends where it began, within the gap a blunt trailing edge leaves.
bool closesOnItself(const AirfoilPoints& p) {
    auto byX = [](const AirfoilPoint& l, const AirfoilPoint& r) { return l.x < r.x; };
    const auto [lo, hi] = std::minmax_element(p.begin(), p.end(), byX);
    const double chord = hi->x - lo->x;
    return chord > 0 && std::hypot(p.back().x - p.front().x, p.back().y - p.front().y) <=
                            kClosureTolerance * chord;
}

// A closed outline started mid-surface as the same outline from its trailing edge; no points
// when the outline is open, starts at an edge, or would not start at its trailing edge either.
AirfoilFile fromTrailingEdge(const AirfoilFile& file, const OutlineTurns& turns) {
    const AirfoilPoints& p = file.points;
    AirfoilFile rotated;
    if (turns.start != ProfileStart::Elsewhere || !closesOnItself(p)) return rotated;
    AirfoilPoints loop(p.begin(), p.back() == p.front() ? p.end() - 1 : p.end());
    std::rotate(loop.begin(), loop.begin() + static_cast<long>(turns.trailingEdge), loop.end());
    // Closed at the trailing edge, unless it is blunt and its other corner comes last.
    if (loop.back().x < loop.front().x - 1e-9) loop.push_back(loop.front());
    rotated.points = std::move(loop);
    if (outlineTurns(profileOf(rotated)).start != ProfileStart::TrailingEdge)
        rotated.points.clear();
    return rotated;
}

}  // namespace

Profile profileOf(const AirfoilFile& file) {
    Profile p;
    for (const AirfoilPoint& q : file.points) {
        p.x.push_back(q.x);
        p.y.push_back(q.y);
    }
    return p;
}

const char* layoutName(AirfoilLayout layout) {
    switch (layout) {
        case AirfoilLayout::Plain:
            return "plain list";
        case AirfoilLayout::NameLine:
            return "one name line";
        case AirfoilLayout::TwoSurface:
            return "two-surface";
    }
    return "";
}

AirfoilFile parseAirfoilFile(std::string_view bytes, const std::string& displayName) {
    AirfoilFile file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        file.byteOrderMark = true;
    }
    std::vector<std::string_view> lines = splitLines(bytes);
    std::size_t i = 0;
    while (i < lines.size() && items(lines[i]).empty()) ++i;
    if (i < lines.size() && !isNumber(items(lines[i])[0])) {
        file.layout = AirfoilLayout::NameLine;
        ++i;
    }
    while (i < lines.size() && items(lines[i]).empty()) ++i;
    double counts[2] = {0, 0};
    const bool twoSurface = i + 1 < lines.size() && items(lines[i]).size() == 2 &&
                            wholeCount(items(lines[i])[0], counts[0]) &&
                            wholeCount(items(lines[i])[1], counts[1]) &&
                            items(lines[i + 1]).empty();
    if (!twoSurface) {
        const Profile profile = parseProfile(bytes, displayName);
        file.points = pointsOf(profile);
        // The two-surface layout without its count line: the surfaces still follow each other.
        if (const std::size_t second = secondSurfaceStart(profile); second != 0) {
            file.layout = AirfoilLayout::TwoSurface;
            file.first.assign(file.points.begin(), file.points.begin() + static_cast<long>(second));
            file.second.assign(file.points.begin() + static_cast<long>(second), file.points.end());
        }
        return file;
    }
    // The points below the count line, read by the one reader with the lines above blanked so
    // that its messages keep the file's line numbers.
    std::string rest(bytes);
    std::size_t cut = 0;
    for (std::size_t k = 0; k <= i; ++k) cut = rest.find('\n', cut) + 1;
    for (std::size_t k = 0; k < cut; ++k) {
        if (rest[k] != '\n') rest[k] = ' ';
    }
    file.layout = AirfoilLayout::TwoSurface;
    file.points = pointsOf(parseProfile(rest, displayName));
    const auto n1 = static_cast<std::size_t>(counts[0]), n2 = static_cast<std::size_t>(counts[1]);
    if (file.points.size() != n1 + n2) {
        throw AirfoilFormatError("DAT file " + displayName + ": line " + std::to_string(i + 1) +
                                     " announces " + std::to_string(n1) + " + " +
                                     std::to_string(n2) + " points, the file holds " +
                                     std::to_string(file.points.size()),
                                 i + 1);
    }
    file.first.assign(file.points.begin(), file.points.begin() + static_cast<long>(n1));
    file.second.assign(file.points.begin() + static_cast<long>(n1), file.points.end());
    return file;
}

AirfoilFile readAirfoilFile(const std::filesystem::path& path) {
    std::string bytes;
    try {
        bytes = readFileBytes(path);
    } catch (const RunError& e) {
        throw RunError(ErrorNumber::FileNotFound, path.string());
    }
    return parseAirfoilFile(bytes, path.string());
}

AirfoilSurfaces splitSurfaces(const AirfoilFile& file, const std::string& displayName) {
    AirfoilPoints a, b;  // each from the leading edge to the trailing edge; `a` met first
    if (file.layout == AirfoilLayout::TwoSurface) {
        a = file.first;
        b = file.second;
    } else {
        const AirfoilPoints& p = file.points;
        if (p.size() < 3) {
            throw AirfoilFormatError(tooFewPointsText(displayName, p.size()), 1);
        }
        const OutlineTurns turns = outlineTurns(profileOf(file));
        const auto at = [&p](std::size_t i) { return p.begin() + static_cast<long>(i); };
        if (turns.start == ProfileStart::LeadingEdge) {
            // Starting at the leading edge: the surfaces meet at the trailing edge instead.
            a.assign(p.begin(), at(turns.trailingEdge) + 1);
            b.assign(at(turns.trailingEdge), p.end());
            std::reverse(b.begin(), b.end());
        } else if (AirfoilFile rotated = fromTrailingEdge(file, turns); !rotated.points.empty()) {
            return splitSurfaces(rotated, displayName);
        } else {
            a.assign(p.begin(), at(turns.leadingEdge) + 1);
            std::reverse(a.begin(), a.end());
            b.assign(at(turns.leadingEdge), p.end());
        }
    }
    a = withoutRepeats(a);
    b = withoutRepeats(b);
    if (a.size() < 2 || b.size() < 2) {
        throw AirfoilFormatError(
            "DAT file " + displayName + " does not hold two surfaces of at least 2 points", 1);
    }
    AirfoilSurfaces s;
    s.upperFirst = meanY(a) >= meanY(b);
    s.upper = s.upperFirst ? a : b;
    s.lower = s.upperFirst ? b : a;
    return s;
}

AirfoilReport checkAirfoil(const AirfoilFile& file, const std::string& displayName) {
    AirfoilReport r;
    r.layout = file.layout;
    r.byteOrderMark = file.byteOrderMark;
    r.points = file.points.size();
    r.firstSurfacePoints = file.first.size();
    r.secondSurfacePoints = file.second.size();
    for (std::size_t k = 1; k < file.points.size(); ++k) {
        if (file.points[k] == file.points[k - 1]) ++r.repeatedPoints;
    }
    const AirfoilSurfaces s = splitSurfaces(file, displayName);
    r.upperFirst = s.upperFirst;
    r.leadingEdge = s.upper.front();
    const auto at = std::find(file.points.begin(), file.points.end(), r.leadingEdge);
    r.leadingEdgeIndex = static_cast<std::size_t>(at - file.points.begin()) + 1;
    const AirfoilPoint tu = s.upper.back(), tl = s.lower.back();
    r.trailingEdgeGap = std::hypot(tu.x - tl.x, tu.y - tl.y);
    r.chord = std::hypot((tu.x + tl.x) / 2 - r.leadingEdge.x, (tu.y + tl.y) / 2 - r.leadingEdge.y);
    // Thickness across the chord at 400 stations, denser towards the edges.
    const double x0 = r.leadingEdge.x, x1 = std::min(tu.x, tl.x);
    for (int i = 1; i < 400; ++i) {
        const double x = x0 + (x1 - x0) * (1 - std::cos(M_PI * i / 400)) / 2;
        double yu = 0, yl = 0;
        if (surfaceY(s.upper, x, yu) && surfaceY(s.lower, x, yl) && yu - yl > r.maxThickness) {
            r.maxThickness = yu - yl;
            r.maxThicknessAt = x;
        }
    }
    return r;
}

std::string formatReport(const AirfoilReport& r) {
    char buf[160];
    std::string out;
    auto line = [&](const char* fmt, auto... v) {
        std::snprintf(buf, sizeof buf, fmt, v...);
        out += buf;
        out += '\n';
    };
    if (r.layout == AirfoilLayout::TwoSurface) {
        line("Layout=two-surface (%zu + %zu points)", r.firstSurfacePoints, r.secondSurfacePoints);
    } else {
        line("Layout=%s", layoutName(r.layout));
    }
    if (r.byteOrderMark) line("ByteOrderMark=yes");
    line("Points=%zu", r.points);
    line("Chord=%.6f", r.chord);
    line("LeadingEdge=%.6f %.6f (point %zu)", r.leadingEdge.x, r.leadingEdge.y, r.leadingEdgeIndex);
    line("Direction=%s", r.upperFirst ? "upper surface first" : "lower surface first");
    if (r.trailingEdgeGap < 1e-7) {
        line("TrailingEdge=closed");
    } else {
        line("TrailingEdge=open, gap %.6f chord", r.trailingEdgeGap);
    }
    line("RepeatedPoints=%zu", r.repeatedPoints);
    line("MaxThickness=%.4f at x=%.4f", r.maxThickness, r.maxThicknessAt);
    return out;
}

std::string formatFileFacts(const AirfoilFile& file) {
    std::string out = "Layout=" + std::string(layoutName(file.layout)) + "\n";
    if (file.byteOrderMark) out += "ByteOrderMark=yes\n";
    out += "Points=" + std::to_string(file.points.size()) + "\n";
    std::size_t repeated = 0;
    for (std::size_t k = 1; k < file.points.size(); ++k)
        if (file.points[k] == file.points[k - 1]) ++repeated;
    return out + "RepeatedPoints=" + std::to_string(repeated) + "\n";
}

double distanceToOutline(const AirfoilPoint& p, const AirfoilPoints& outline) {
    double best = INFINITY;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const AirfoilPoint a = outline[i];
        best = std::min(best, std::hypot(p.x - a.x, p.y - a.y));
        if (i == 0) continue;
        const AirfoilPoint b = outline[i - 1];
        const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        if (len2 == 0) continue;
        const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
        if (t > 0 && t < 1)
            best = std::min(best, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
    }
    return best;
}

}  // namespace corvane
