// How a wing set remembers that the face geometry made it: the DAT-information line keeps its
// eight fields (paths, the chords at the towers, washout) and carries the finished panel after
// them, behind the mark "faces". Every reader of eight fields (the runners, Load, earlier
// versions) stops before the mark, so a face set still loads, draws and runs there.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generate/cut_set_layout.h"
#include "generate/face_geometry.h"

namespace corvane {

inline constexpr const char* kFaceGeometryMark = "faces";
// The fields a DAT-information line of a face set holds: eight, the mark, twelve numbers.
inline constexpr std::size_t kFaceDatInfoFields = 21;

// The eight fields, then "faces" and the design's numbers in a fixed order.
std::string faceDatInfoLine(const WingDatInfo& info, const FaceDesign& design);

// A foam set made with the face geometry (a part from drawings): the four foam fields (paths,
// the horizontal sizes at the towers), then the mark and the same twelve numbers. A reader of
// four fields sees a foam set at its tower sizes; the wing runner refuses it as a foam set.
inline constexpr std::size_t kFoamFaceDatInfoFields = 4 + 1 + 12;
std::string foamFaceDatInfoLine(const std::string& leftPath, const std::string& rightPath,
                                double leftTowerSize, double rightTowerSize,
                                const FaceDesign& design);

// Where the mark stands: field 8 on a wing face set, field 4 on a foam one; 0 without it.
std::size_t faceMarkField(const std::vector<std::string>& fields);
inline bool isFoamFaceSet(const std::vector<std::string>& fields) {
    return faceMarkField(fields) == 4;
}

// The mark and the design's numbers (and the wing features when there are any), for a line that
// carries more after them.
void writeFaceDesignFields(RecordWriter& w, const FaceDesign& design);

// The design behind the mark; nullopt for a set without it (a tower or foam set). `why` names
// what is wrong when the mark is there but the numbers are short or unreadable (then nullopt
// too, with `why` not empty).
[[nodiscard]] std::optional<FaceDesign> faceDesignFromFields(const std::vector<std::string>& fields,
                                                             std::string& why);

}  // namespace corvane
