// Airfoil files as users download them, read whatever their layout (plain list, one name line,
// the two-surface layout, a byte-order mark), split into their two surfaces and measured: what
// `corvane-cli airfoil check` and the preparation window report before a file is used.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "generate/airfoil_input.h"

namespace corvane {

struct AirfoilPoint {
    double x = 0, y = 0;
    bool operator==(const AirfoilPoint&) const = default;
};
using AirfoilPoints = std::vector<AirfoilPoint>;

enum class AirfoilLayout { Plain, NameLine, TwoSurface };

// A file as it stands: the points in file order; for the two-surface layout each surface in
// its own list (from the leading edge to the trailing edge, as that layout keeps them).
struct AirfoilFile {
    AirfoilLayout layout = AirfoilLayout::Plain;
    bool byteOrderMark = false;
    AirfoilPoints points;         // every point in file order
    AirfoilPoints first, second;  // two-surface layout only
};

// Reads any of the usual layouts. AirfoilFormatError (file and line in its message) for
// anything that is not one of them; RunError FileNotFound when the file cannot be read.
AirfoilFile readAirfoilFile(const std::filesystem::path& path);
AirfoilFile parseAirfoilFile(std::string_view bytes, const std::string& displayName);

// The two surfaces, each from the leading edge (the point of least x) to the trailing edge,
// consecutive repeated points dropped. `upperFirst`: the file meets the upper surface first.
struct AirfoilSurfaces {
    AirfoilPoints upper, lower;
    bool upperFirst = true;
};
// AirfoilFormatError when a surface has fewer than two distinct points.
AirfoilSurfaces splitSurfaces(const AirfoilFile& file, const std::string& displayName);

struct AirfoilReport {
    AirfoilLayout layout = AirfoilLayout::Plain;
    bool byteOrderMark = false;
    std::size_t points = 0;
    std::size_t firstSurfacePoints = 0, secondSurfacePoints = 0;  // two-surface layout
    double chord = 0;  // leading edge to the middle of the trailing edge
    AirfoilPoint leadingEdge;
    std::size_t leadingEdgeIndex = 0;  // 1-based, in file order
    bool upperFirst = true;
    double trailingEdgeGap = 0;  // chord units; 0 when closed
    std::size_t repeatedPoints = 0;
    double maxThickness = 0;
    double maxThicknessAt = 0;  // x of the largest thickness
};

// The points in file order as the generator reads them (a plain or name-line file).
Profile profileOf(const AirfoilFile& file);

AirfoilReport checkAirfoil(const AirfoilFile& file, const std::string& displayName);

// "Name=value" lines for the CLI and the window.
std::string formatReport(const AirfoilReport& report);
// The lines that hold for any readable file (layout, mark, points, repeats): what `airfoil check`
// shows of an open outline, whose surfaces cannot be measured, beside the one reason it fails.
std::string formatFileFacts(const AirfoilFile& file);
const char* layoutName(AirfoilLayout layout);

// Distance from a point to the polyline through `outline` (chord units).
double distanceToOutline(const AirfoilPoint& p, const AirfoilPoints& outline);

}  // namespace corvane
