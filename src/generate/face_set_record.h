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

// The design behind the mark; nullopt for a set without it (a tower or foam set). `why` names
// what is wrong when the mark is there but the numbers are short or unreadable (then nullopt
// too, with `why` not empty).
[[nodiscard]] std::optional<FaceDesign> faceDesignFromFields(const std::vector<std::string>& fields,
                                                             std::string& why);

}  // namespace corvane
