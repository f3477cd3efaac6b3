#include "run/set_drawing_loader.h"

#include <algorithm>
#include <exception>

#include "common/file_io.h"
#include "common/number_text.h"
#include "generate/face_set_record.h"
#include "generate/wing_features_record.h"
#include "machine/workspace.h"

namespace corvane {

std::optional<double> washoutDegrees(const std::string& flag, const std::string& angleText) {
    if (flag != "1") return std::nullopt;
    return leadingNumber(angleText);
}

namespace {

Profile scaled(const Outline& o, double by) {
    Profile p;
    for (std::size_t k = 0; k < o.size(); ++k) {
        p.x.push_back(o.x[k] / by);
        p.y.push_back(o.y[k] / by);
    }
    return p;
}

// A face set's outlines in place of the airfoils at their tower chords; left as they are when
// the set names no faces or its faces cannot be built.
void drawFaceSet(const std::vector<std::string>& fields, SetDrawing& out) {
    std::string why;
    std::optional<FaceDesign> design = faceDesignFromFields(fields, why);
    if (!design) return;
    if (const std::optional<SetKerfRecord> r = setKerfRecordFromFields(fields, why))
        if (std::optional<Material> m = r->usedMaterial())
            design->kerfBySpeed = KerfBySpeed{std::move(*m), r->cutSpeedMmS};
    Profile left, right;
    try {
        left = readProfile(fields[0]);
        right = readProfile(fields[1]);
    } catch (const std::exception&) {
        return;
    }
    const FaceGeometryResult built = buildFaceGeometry(left, right, *design);
    if (!built.geometry) return;
    const FaceGeometry& g = *built.geometry;
    const double by = std::max(g.leftTowerChordMm, g.rightTowerChordMm);
    if (!(by > 0)) return;
    out.left = scaled(g.leftTower, by);
    out.right = scaled(g.rightTower, by);
    out.leftFace = scaled(g.leftFace, by);
    out.rightFace = scaled(g.rightFace, by);
    out.scale = ScaleFactors{};
}

}  // namespace

SetDrawing loadSetDrawing(const Workspace& ws, CutSetKind kind) {
    SetDrawing out;
    using R = SetDrawing::Result;
    const bool wing = kind == CutSetKind::Wing;
    const std::size_t wanted = wing ? 8 : 4;
    std::vector<std::string> fields;
    try {
        fields = readDatInfoFields(readFileBytes(ws.file(kDatInfoFileName)),
                                   wing ? SIZE_MAX : kFaceDatInfoFields);
        // A short file is an error of the foam activation like a missing one.
        if (!wing && fields.size() < wanted) throw RunError(ErrorNumber::InputPastEndOfFile);
    } catch (const RunError& e) {
        out.result = R::DatInfoUnreadable;
        out.error = e;
        return out;
    }
    // A foam set made on the faces carries more than eight fields, but it is a foam set still.
    if (fields.size() < wanted || (wing && isFoamFaceSet(fields))) {
        out.result = R::WashoutMissing;
        return out;
    }
    if (wing) {
        std::string why;  // a record that cannot be read is no speed to compare with
        out.madeFor = setKerfRecordFromFields(fields, why);
    }
    WingDatInfo& info = out.info;
    info.leftPath = fields[0];
    info.rightPath = fields[1];
    if (wing) {
        info.leftWashoutFlag = fields[4];
        info.rightWashoutFlag = fields[5];
        info.leftAngleText = fields[6];
        info.rightAngleText = fields[7];
    }
    std::optional<double> washout[2];
    try {
        info.leftChord = leadingNumber(fields[2]);
        info.rightChord = leadingNumber(fields[3]);
        washout[0] = washoutDegrees(info.leftWashoutFlag, info.leftAngleText);
        washout[1] = washoutDegrees(info.rightWashoutFlag, info.rightAngleText);
    } catch (const RunError& e) {  // a size or a washout angle too large to read
        out.result = R::DatInfoUnreadable;
        out.error = e;
        return out;
    }

    const std::string* paths[2] = {&info.leftPath, &info.rightPath};
    Profile* profiles[2] = {&out.left, &out.right};
    for (int side = 0; side < 2; ++side) {
        try {
            *profiles[side] = readProfile(*paths[side], washout[side]);
        } catch (const RunError& e) {
            out.result = R::ProfileUnreadable;
            out.failedPath = *paths[side];
            out.error = e;
            return out;
        } catch (const AirfoilFormatError& e) {
            out.result = R::ProfileUnreadable;
            out.failedPath = *paths[side];
            out.error = RunError(ErrorNumber::TypeMismatch, e.what());
            return out;
        }
    }
    if (out.left.size() != out.right.size()) {
        out.result = R::UnequalProfiles;
        return out;
    }
    out.scale = scaleFactorsFor(info.leftChord, info.rightChord);
    drawFaceSet(fields, out);
    return out;
}

}  // namespace corvane
