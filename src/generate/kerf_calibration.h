// The kerf calibration cut: a comb cut out of a block, its teeth in a row along the top, each
// tooth cut all round at its own speed. With calipers a person measures each tooth's width
// half way up; the wire's centre ran on the tooth's nominal sides and melted half its kerf off
// each of the tooth's two cut faces, so the kerf at that tooth's speed is the nominal width less
// the measured one. Both towers cut the same outline (a straight block) at kerf 0. The set is
// made for the fastest speed; a slower tooth's segments take idle ticks in proportion, so each
// tooth really runs at its own speed on the port and, through the export's inverse-time feed,
// on a controller.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generate/cut_generator.h"
#include "generate/face_geometry.h"
#include "generate/materials.h"

namespace corvane {

inline constexpr const char* kCalibrationDatFileName = "kerf_calibration.dat";
inline constexpr const char* kCalibrationTitle = "Kerf Calibration";

struct KerfCalibrationDesign {
    std::vector<double> speedsMmS = {2, 3, 4, 6};  // one tooth each, cut from right to left
    double toothWidthMm = 20;   // nominal: between the wire's centre lines on the tooth's sides
    double toothHeightMm = 15;  // above the base
    double gapMm = 15;          // between two teeth at their foot
    double marginMm = 15;       // the base beyond the outer teeth
    double baseMm = 20;         // the base's height below the teeth
};

struct CalibrationTooth {
    double speedMmS = 0;
    double leftXMm = 0, rightXMm = 0;  // the nominal sides, mm from the comb's left end
    double nominalMm() const { return rightXMm - leftXMm; }
};

struct KerfCalibrationCut {
    // The wire's centre line in mm, closed: it starts at the right end half way up the base,
    // goes up, along the teeth from right to left, down the left end, along the bottom and up
    // again to the start (a trailing-edge start over the upper surface, as the runner expects).
    Outline path;
    std::vector<double> segmentSpeedsMmS;  // one per segment of `path`
    std::vector<CalibrationTooth> teeth;   // in the order of the design's speeds
    double cutSpeedMmS = 0;                // the speed the set is made for: the fastest tooth's
    double lengthMm = 0, heightMm = 0;     // the comb's size: the chord given to both towers
};

// What stops the design, each with its numbers (empty: it can be cut): no speed, a speed not
// above 0 or given twice, a size not above 0.
std::vector<std::string> calibrationRefusals(const KerfCalibrationDesign& design);

// The comb of a design that calibrationRefusals accepts.
KerfCalibrationCut kerfCalibrationCut(const KerfCalibrationDesign& design);

// The outline as a unit-chord DAT file (x and y over the comb's length), for the runner's
// drawing and the set's paths.
std::string calibrationDatText(const KerfCalibrationCut& cut);

// The generation of the calibration set: both towers the DAT file at `datPath` at the comb's
// length, kerf 0 (the wire's centre on the nominal lines), each segment at its own speed, the
// active delay points left out, and `material` (may be empty) named in the set's record.
GenerationRequest kerfCalibrationRequest(const KerfCalibrationCut& cut, const std::string& datPath,
                                         const std::string& material);

// The picture to measure by: the comb, each tooth's speed and nominal width, the width to
// measure half way up, and the arithmetic.
std::string kerfCalibrationSvg(const KerfCalibrationCut& cut);

// One tooth as measured: its speed and nominal width from the cut, the width read with calipers
// (the mean of several readings, e.g. at both ends of the block), the wire power used if any.
struct ToothMeasurement {
    double speedMmS = 0;
    double nominalMm = 0;
    double measuredMm = 0;
    std::optional<double> power;
};

// The measurements of a cut's teeth in their order: `measured` and `powers` (empty, or one per
// tooth) as typed.
std::vector<ToothMeasurement> toothMeasurements(const KerfCalibrationCut& cut,
                                                const std::vector<double>& measured,
                                                const std::vector<double>& powers);

struct KerfCalibrationResult {
    std::vector<KerfPoint> points;      // speed, kerf = nominal - measured, power; by speed
    std::vector<std::string> problems;  // a tooth that gives no point, with its numbers
};

// The kerf at each tooth's speed: nominal less measured (each of the tooth's two cut faces lost
// half of it). A measured width not above 0, wider than the nominal (a negative kerf), or
// narrower than half of it (a misread or a broken tooth) gives a problem and no point.
KerfCalibrationResult kerfFromMeasurements(const std::vector<ToothMeasurement>& teeth);

// The material `name` with the calibrated points: a new one, or the stored one whose points at
// the same speeds are replaced and whose other points stay. nullopt with `why` when the result
// is no material (fewer than two points, a bad name).
std::optional<Material> calibratedMaterial(const MaterialTable& table, const std::string& name,
                                           const std::vector<KerfPoint>& points, std::string& why);

}  // namespace corvane
