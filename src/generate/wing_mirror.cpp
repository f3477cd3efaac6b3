// The mirrored request and where its set is saved.
#include "generate/wing_mirror.h"

#include <utility>

#include "generate/wing_features.h"

namespace corvane {

GenerationRequest mirroredRequest(const GenerationRequest& r) {
    GenerationRequest m = r;
    std::swap(m.leftPath, m.rightPath);
    std::swap(m.leftChordText, m.rightChordText);
    std::swap(m.leftWashout, m.rightWashout);
    std::swap(m.leftAngleText, m.rightAngleText);
    if (r.geometry == WingGeometry::Faces) m.faces = mirroredDesign(r.faces);
    return m;
}

std::filesystem::path mirrorSetPath(const std::filesystem::path& stepFile) {
    std::filesystem::path p = stepFile;
    p.replace_filename(stepFile.stem().string() + kMirrorSuffix + stepFile.extension().string());
    return p;
}

}  // namespace corvane
