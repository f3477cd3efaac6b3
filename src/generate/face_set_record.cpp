// The face geometry's fields on the DAT-information line.
#include "generate/face_set_record.h"

#include <exception>
#include <iterator>

#include "common/number_text.h"
#include "common/records.h"

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

}  // namespace

std::string faceDatInfoLine(const WingDatInfo& info, const FaceDesign& design) {
    RecordWriter w;
    writeWingDatInfoFields(w, info);
    writeFaceDesignFields(w, design);
    w.endLine();
    return w.bytes();
}

void writeFaceDesignFields(RecordWriter& w, const FaceDesign& design) {
    w.text(kFaceGeometryMark);
    for (double FaceDesign::*field : kOrder) w.number(design.*field);
}

std::optional<FaceDesign> faceDesignFromFields(const std::vector<std::string>& fields,
                                               std::string& why) {
    if (fields.size() < 9 || fields[8] != kFaceGeometryMark) return std::nullopt;
    if (fields.size() < kFaceDatInfoFields) {
        why = "the DAT-information line names the face geometry but holds " +
              std::to_string(fields.size()) + " of its " + std::to_string(kFaceDatInfoFields) +
              " fields";
        return std::nullopt;
    }
    FaceDesign d;
    std::size_t i = 9;
    try {
        for (double FaceDesign::*field : kOrder) d.*field = leadingNumber(fields[i++]);
    } catch (const std::exception& e) {
        why =
            "the face geometry's field " + std::to_string(i) + " cannot be read (" + e.what() + ")";
        return std::nullopt;
    }
    return d;
}

}  // namespace corvane
