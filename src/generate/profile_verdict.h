// What a profile is, beside its points: its size, where it starts, which surface it meets first,
// where the leading edge falls, whether it closes, and what about it cannot be cut. One verdict
// for the generator, `airfoil check`, `airfoil prepare` and the windows, so that no two of them
// disagree about the same file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "generate/airfoil_input.h"

namespace corvane {

// A unit-chord file may be off by this much (rounded coordinates, a leading edge a hair below
// x = 0); a file in inches or millimetres is off by far more.
inline constexpr double kChordTolerance = 0.02;
// How close to the trailing edge's x (the largest) or the leading edge's (the smallest) an end
// point must lie, in chords, to count as starting or ending there.
inline constexpr double kEdgeTolerance = 0.02;
// The gap between the first and the last point that still closes (a blunt trailing edge).
inline constexpr double kClosureTolerance = 0.05;
// How far apart the turning points (leading edge, or trailing edge of a nose start) of root and
// tip may lie and still be cut together; further apart is still one wing while the points
// between stay within kEdgeTolerance of the edge on both files (a dense cambered pair, whose
// noses turn a few points apart by their camber).
inline constexpr std::size_t kLeadingEdgeIndexTolerance = 3;

enum class ProfileStart { TrailingEdge, LeadingEdge, Elsewhere };

struct ProfileVerdict {
    std::string file;  // as the messages name it
    std::size_t points = 0;
    double minX = 0, maxX = 0, chord = 0;  // chord: the x range
    std::size_t leadingEdgeIndex = 0;      // 1-based: the point farthest from the trailing edge
    std::size_t trailingEdgeIndex = 0;     // 1-based: where a leading-edge start turns back
    ProfileStart start = ProfileStart::Elsewhere;
    // Each point's distance from the point where the outline turns (the leading edge of a
    // trailing-edge start, the trailing edge of a leading-edge start), chords.
    std::vector<double> turnDistance;
    bool upperFirst = true;             // the surface met first lies above the other
    double closingGap = 0;              // first to last point, chords
    bool closed = false;                // ends where it starts (within kClosureTolerance)
    std::vector<std::string> problems;  // what cannot be cut: file, fault, fix, one each
    bool cuttable() const { return problems.empty(); }
};

// Where an outline starts and turns, 0-based: the leading edge is the point farthest from the
// trailing edge and the trailing edge the point farthest from the leading edge, so a file turned
// a little (a washout, rounded coordinates) keeps its edges. Needs at least 3 points.
struct OutlineTurns {
    ProfileStart start = ProfileStart::Elsewhere;
    std::size_t leadingEdge = 0, trailingEdge = 0;
};
OutlineTurns outlineTurns(const Profile& profile);

// A two-surface file without its line of point counts: both surfaces from the leading edge to
// the trailing edge, one after the other. The 0-based index where the second begins (the jump
// from the trailing edge back to the leading edge), or 0 for any other outline.
std::size_t secondSurfaceStart(const Profile& profile);

// The words every reader uses for a file with fewer than 3 points.
std::string tooFewPointsText(const std::string& file, std::size_t points);

ProfileVerdict judgeProfile(const Profile& profile, const std::string& file);

// Why a root and a tip of equal point counts cannot be cut together (each a full message
// naming both files and the fix); empty when they correspond.
std::vector<std::string> correspondenceProblems(const ProfileVerdict& root,
                                                const ProfileVerdict& tip);

// The warning for a file that is right but starts at the leading edge while lead moves are
// on; empty otherwise.
std::string leadMoveWarning(const ProfileVerdict& verdict, bool leadMovesOn);

const char* startName(ProfileStart start);
const char* orderName(bool upperFirst);

// "Name=value" lines for `airfoil check` and the preparation window.
std::string formatVerdict(const ProfileVerdict& verdict);

}  // namespace corvane
