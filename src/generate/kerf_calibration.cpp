// The comb, its DAT file, its generation request and picture, and the kerf from its teeth.
#include "generate/kerf_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/number_format.h"

namespace corvane {

namespace {

std::string mm(double v) {
    return formatDouble(v) + " mm";
}

// Enough digits that the unit-chord file gives back the comb to well under a step.
std::string coordinate(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9f", v);
    return buf;
}

}  // namespace

std::vector<std::string> calibrationRefusals(const KerfCalibrationDesign& d) {
    std::vector<std::string> no;
    if (d.speedsMmS.empty()) no.push_back("The calibration cut needs at least one speed.");
    std::vector<double> sorted;
    for (double v : d.speedsMmS) {
        if (!(v > 0) || !std::isfinite(v))
            no.push_back("A calibration speed must be greater than 0 mm/s: " + formatDouble(v) +
                         ".");
        else
            sorted.push_back(v);
    }
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i] == sorted[i - 1])
            no.push_back("The speed " + formatDouble(sorted[i]) +
                         " mm/s is given twice: one tooth a speed.");
    const std::pair<const char*, double> sizes[] = {{"tooth width", d.toothWidthMm},
                                                    {"tooth height", d.toothHeightMm},
                                                    {"gap between teeth", d.gapMm},
                                                    {"margin", d.marginMm},
                                                    {"base", d.baseMm}};
    for (const auto& [name, v] : sizes)
        if (!(v > 0) || !std::isfinite(v))
            no.push_back(std::string("The calibration cut's ") + name +
                         " must be greater than 0: " + mm(v) + ".");
    return no;
}

KerfCalibrationCut kerfCalibrationCut(const KerfCalibrationDesign& d) {
    KerfCalibrationCut c;
    const std::size_t n = d.speedsMmS.size();
    const double W = d.toothWidthMm, G = d.gapMm, B = d.baseMm, H = d.toothHeightMm;
    c.lengthMm = 2 * d.marginMm + static_cast<double>(n) * W + static_cast<double>(n - 1) * G;
    c.heightMm = B + H;
    c.cutSpeedMmS = *std::max_element(d.speedsMmS.begin(), d.speedsMmS.end());
    const double L = c.lengthMm;
    // Each point with the speed of the segment that ends on it.
    auto to = [&c](double x, double y, double speed) {
        c.path.x.push_back(x);
        c.path.y.push_back(y);
        if (c.path.size() > 1) c.segmentSpeedsMmS.push_back(speed);
    };
    const double V = c.cutSpeedMmS;
    to(L, B / 2, V);
    to(L, B, V);
    for (std::size_t i = 0; i < n; ++i) {
        const double v = d.speedsMmS[i];
        const double right = L - d.marginMm - static_cast<double>(i) * (W + G);
        const double left = right - W;
        to(right, B, V);  // the base's top up to the tooth, at the set's speed
        to(right, B + H, v);
        to(left, B + H, v);
        to(left, B, v);
        c.teeth.push_back({v, left, right});
    }
    to(0, B, V);
    to(0, 0, V);
    to(L, 0, V);
    to(L, B / 2, V);
    return c;
}

std::string calibrationDatText(const KerfCalibrationCut& cut) {
    std::string t = "Kerf calibration comb, " + formatDouble(cut.lengthMm) + " mm long\r\n";
    for (std::size_t k = 0; k < cut.path.size(); ++k)
        t += coordinate(cut.path.x[k] / cut.lengthMm) + " " +
             coordinate(cut.path.y[k] / cut.lengthMm) + "\r\n";
    return t;
}

GenerationRequest kerfCalibrationRequest(const KerfCalibrationCut& cut, const std::string& datPath,
                                         const std::string& material) {
    GenerationRequest r;
    r.kind = CutSetKind::Wing;
    r.leftPath = r.rightPath = datPath;
    r.leftChordText = r.rightChordText = coordinate(cut.lengthMm);
    r.cutSpeedMmS = cut.cutSpeedMmS;
    r.kerfMm = 0;
    r.segmentSpeedsMmS = cut.segmentSpeedsMmS;
    r.useDelayPoints = false;
    r.calibratesMaterial = material;
    return r;
}

std::vector<ToothMeasurement> toothMeasurements(const KerfCalibrationCut& cut,
                                                const std::vector<double>& measured,
                                                const std::vector<double>& powers) {
    std::vector<ToothMeasurement> out;
    for (std::size_t i = 0; i < cut.teeth.size() && i < measured.size(); ++i) {
        ToothMeasurement m;
        m.speedMmS = cut.teeth[i].speedMmS;
        m.nominalMm = cut.teeth[i].nominalMm();
        m.measuredMm = measured[i];
        if (i < powers.size()) m.power = powers[i];
        out.push_back(m);
    }
    return out;
}

KerfCalibrationResult kerfFromMeasurements(const std::vector<ToothMeasurement>& teeth) {
    KerfCalibrationResult r;
    for (const ToothMeasurement& t : teeth) {
        const std::string which = "The tooth cut at " + formatDouble(t.speedMmS) + " mm/s";
        if (!(t.measuredMm > 0)) {
            r.problems.push_back(which + " is measured " + mm(t.measuredMm) +
                                 ": a width must be greater than 0.");
            continue;
        }
        // Four decimals, as the settings' millimetre amounts: no binary residue in the table.
        const double kerf = std::round((t.nominalMm - t.measuredMm) * 10000) / 10000;
        if (kerf < 0) {
            r.problems.push_back(which + " is measured " + mm(t.measuredMm) +
                                 ", wider than its nominal " + mm(t.nominalMm) +
                                 ": the wire cannot add foam. Measure it again half way up.");
            continue;
        }
        if (t.measuredMm < t.nominalMm / 2) {
            r.problems.push_back(which + " is measured " + mm(t.measuredMm) +
                                 ", less than half its nominal " + mm(t.nominalMm) +
                                 ": a kerf of " + mm(kerf) +
                                 " is no wire's. Measure it again half way up.");
            continue;
        }
        r.points.push_back({t.speedMmS, kerf, t.power});
    }
    std::sort(r.points.begin(), r.points.end(),
              [](const KerfPoint& a, const KerfPoint& b) { return a.speedMmS < b.speedMmS; });
    return r;
}

std::optional<Material> calibratedMaterial(const MaterialTable& table, const std::string& name,
                                           const std::vector<KerfPoint>& points, std::string& why) {
    std::vector<KerfPoint> merged = points;
    if (const Material* old = table.find(name)) {
        for (const KerfPoint& p : old->points) {
            const bool remeasured = std::any_of(merged.begin(), merged.end(), [&](const auto& q) {
                return q.speedMmS == p.speedMmS;
            });
            if (!remeasured) merged.push_back(p);
        }
    }
    return makeMaterial(name, std::move(merged), why);
}

}  // namespace corvane
