// What the runners load on activation before they draw: the DAT-information file of the working
// set (eight values for the wing runner, four for the foam runner), the two profiles it names,
// their equal length, the washout shear (wing only) and the scale factors. Each way it can fail
// is told apart for the window.
#pragma once

#include <optional>
#include <string>

#include "common/run_error.h"
#include "generate/cut_generator.h"
#include "generate/cut_set_layout.h"
#include "generate/set_kerf_record.h"
#include "run/progress_geometry.h"

namespace corvane {

class Workspace;

struct SetDrawing {
    enum class Result {
        Ok,
        DatInfoUnreadable,  // datinfo.ct3 cannot be opened (foam: or is short): `error`
        WashoutMissing,     // wing: fewer than eight values, or a foam face set (a foam set)
        UnequalProfiles,    // the two profiles differ in their number of points
        ProfileUnreadable,  // a profile file cannot be read: `failedPath`, `error`
    };
    Result result = Result::Ok;
    std::optional<RunError> error;
    std::string failedPath;
    WingDatInfo info;     // foam: the washout fields stay at their "0" defaults
    Profile left, right;  // after washout
    ScaleFactors scale;
    // A face set: `left` and `right` are its tower outlines and these its designed face
    // outlines, all in one frame divided by the larger tower chord (scale 1 on both sides).
    Profile leftFace, rightFace;
    // A wing set made for a speed (with kerf by speed, or the calibration comb): that speed and
    // what its kerf came from; the cut window compares its slider with the speed.
    std::optional<SetKerfRecord> madeFor;
};

// Reads datinfo.ct3 from the application folder and the profiles it names. A foam runner reads
// four values (a wing set's further ones are ignored) and never shears. A face set (wing, or
// foam from drawings) draws its tower outlines and face outlines; when its face fields cannot be
// used it is drawn from its eight (four) values as any wing (foam) set.
[[nodiscard]] SetDrawing loadSetDrawing(const Workspace& ws, CutSetKind kind = CutSetKind::Wing);

// The washout angle a runner applies for a flag and angle text: the leading number of the
// angle when the flag is exactly "1", else nothing.
[[nodiscard]] std::optional<double> washoutDegrees(const std::string& flag,
                                                   const std::string& angleText);

}  // namespace corvane
