// How a face set remembers its wing features: on its DAT-information line after the face
// geometry's numbers, behind the mark "features". Readers that stop at the face geometry's
// fields (or at the first eight) never see them, so a featured set still loads and runs there;
// only the face check and the drawing need them to compare with the featured outline.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/records.h"
#include "generate/wing_features.h"

namespace corvane {

inline constexpr const char* kWingFeaturesMark = "features";
// Enough fields for the face geometry, the mark, the fixed numbers and every slot a set may hold.
inline constexpr std::size_t kMaxSparSlots = 16;
inline constexpr std::size_t kFeaturedDatInfoFields = 21 + 1 + 12 + 10 * kMaxSparSlots;

// The mark, then: sheeting upper and lower, trailing-edge thickness, leading- and trailing-edge
// stock (each left, right), the mirror (1 or 0), the slot count, and per slot its surface
// ("upper"/"lower"), scaling ("same"/"proportional"/"per face"), 1 when the centre is a chord
// fraction, then centre, width and depth (each left, right).
void writeWingFeatureFields(RecordWriter& w, const WingFeatures& f);

// The features behind the mark (none when the line has no mark: a plain face set). `why` names
// what is wrong when the mark is there but the fields are short or unreadable (then nullopt).
std::optional<WingFeatures> wingFeaturesFromFields(const std::vector<std::string>& fields,
                                                   std::string& why);

// The design as its set's record gives it back (the line's numbers keep fifteen digits). A set
// is generated from this, so the face check, which rebuilds the outline from the record, meets
// the very points that were cut: a feature's resampling may otherwise differ in the last digits.
struct FaceDesign;
FaceDesign recordedDesign(const FaceDesign& design);

}  // namespace corvane
