// The face geometry's fields on the DAT-information line.
#include "generate/face_set_record.h"

#include <exception>
#include <iterator>

#include "common/number_text.h"
#include "common/records.h"
#include "generate/wing_features_record.h"

namespace corvane {

namespace {

// The numbers behind the mark, in the order they are written.
double FaceDesign::*const kOrder[] = {
    &FaceDesign::leftChordMm,  &FaceDesign::rightChordMm,   &FaceDesign::towersMm,
    &FaceDesign::leftGapMm,    &FaceDesign::spanMm,         &FaceDesign::sweepMm,
    &FaceDesign::riseMm,       &FaceDesign::leftWashoutDeg, &FaceDesign::rightWashoutDeg,
    &FaceDesign::washoutPivot, &FaceDesign::leftKerfMm,     &FaceDesign::rightKerfMm,
};
static_assert(8 + 1 + std::size(kOrder) == kFaceDatInfoFields);
static_assert(4 + 1 + std::size(kOrder) == kFoamFaceDatInfoFields);

}  // namespace

std::string faceDatInfoLine(const WingDatInfo& info, const FaceDesign& design) {
    RecordWriter w;
    writeWingDatInfoFields(w, info);
    writeFaceDesignFields(w, design);
    w.endLine();
    return w.bytes();
}

std::string foamFaceDatInfoLine(const std::string& leftPath, const std::string& rightPath,
                                double leftTowerSize, double rightTowerSize,
                                const FaceDesign& design) {
    RecordWriter w;
    w.text(leftPath).text(rightPath).number(leftTowerSize).number(rightTowerSize);
    writeFaceDesignFields(w, design);
    w.endLine();
    return w.bytes();
}

std::size_t faceMarkField(const std::vector<std::string>& fields) {
    // A wing set's field 4 is its washout flag ("0" or "1"), never the mark.
    for (std::size_t at : {std::size_t{8}, std::size_t{4}})
        if (fields.size() > at && fields[at] == kFaceGeometryMark) return at;
    return 0;
}

void writeFaceDesignFields(RecordWriter& w, const FaceDesign& design) {
    w.text(kFaceGeometryMark);
    for (double FaceDesign::*field : kOrder) w.number(design.*field);
    if (design.features.any() || design.features.mirror) writeWingFeatureFields(w, design.features);
}

std::optional<FaceDesign> faceDesignFromFields(const std::vector<std::string>& fields,
                                               std::string& why) {
    const std::size_t mark = faceMarkField(fields);
    if (mark == 0) return std::nullopt;
    const std::size_t wanted = mark + 1 + std::size(kOrder);
    if (fields.size() < wanted) {
        why = "the DAT-information line names the face geometry but holds " +
              std::to_string(fields.size()) + " of its " + std::to_string(wanted) + " fields";
        return std::nullopt;
    }
    FaceDesign d;
    std::size_t i = mark + 1;
    try {
        for (double FaceDesign::*field : kOrder) d.*field = leadingNumber(fields[i++]);
    } catch (const std::exception& e) {
        why =
            "the face geometry's field " + std::to_string(i) + " cannot be read (" + e.what() + ")";
        return std::nullopt;
    }
    std::optional<WingFeatures> features = wingFeaturesFromFields(fields, why);
    if (!features) return std::nullopt;
    d.features = std::move(*features);
    return d;
}

}  // namespace corvane
