// The other half of a wing from the same generation request: the set a builder cuts for the
// opposite wing ("Right Wing Panel" / "左机翼面板"), with the root at the other tower. Saved
// beside the first set under the name the first takes plus kMirrorSuffix.
#pragma once

#include <filesystem>
#include <string>

#include "generate/cut_generator.h"

namespace corvane {

inline constexpr const char* kMirrorSuffix = "-mirror";

// The airfoils, chords (tower or face), washouts, kerfs and features swap sides; a face set's
// gaps swap and its sweep and rise change sign (mirroredDesign).
GenerationRequest mirroredRequest(const GenerationRequest& request);

// "wing.ct1" -> "wing-mirror.ct1", in the same folder.
std::filesystem::path mirrorSetPath(const std::filesystem::path& stepFile);

}  // namespace corvane
