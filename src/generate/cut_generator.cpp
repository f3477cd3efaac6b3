// The generation steps: entry check, transaction, DAT-information line, counting and pairing
// of points, then per segment the step counts and their ticks, the count line and the delay
// zero lines.
#include "generate/cut_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <optional>

#include "common/fixed_point.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/airfoil_input.h"
#include "generate/cut_set_commands.h"
#include "generate/cut_set_layout.h"
#include "generate/cut_set_transaction.h"
#include "generate/drawing_faces.h"
#include "generate/face_set_record.h"
#include "generate/profile_verdict.h"
#include "generate/set_kerf_record.h"
#include "generate/tick_scheme.h"
#include "generate/wing_features_record.h"

namespace corvane {

namespace {

struct SideProfiles {
    Profile left, right;
};

// Abandoning inside an error path: a failure to put the backups back is reported too (the next
// start retries from the backups, which stay).
void abandonQuietly(CutSetTransaction& tx, GenerationOutcome& outcome, const char* label) {
    try {
        tx.abandon();
    } catch (const RunError& e) {
        outcome.messages.push_back({errorReportText(e, label), ""});
    }
}

// The eight fields an earlier reader takes from a face set: the airfoils, the chords at the
// towers, and the washout typed for each face.
WingDatInfo faceDatInfo(const GenerationRequest& request, double chordL, double chordR) {
    WingDatInfo info;
    info.leftPath = request.leftPath;
    info.rightPath = request.rightPath;
    info.leftChord = chordL;
    info.rightChord = chordR;
    const FaceDesign& f = request.faces;
    info.leftWashoutFlag = f.leftWashoutDeg != 0 ? "1" : "0";
    info.rightWashoutFlag = f.rightWashoutDeg != 0 ? "1" : "0";
    info.leftAngleText = formatDouble(f.leftWashoutDeg);
    info.rightAngleText = formatDouble(f.rightWashoutDeg);
    return info;
}

GenerationSummary::Faces faceSummary(const FaceDesign& d, const FaceGeometry& g, double towerL,
                                     double towerR) {
    GenerationSummary::Faces f;
    f.leftFaceChordMm = d.leftChordMm;
    f.rightFaceChordMm = d.rightChordMm;
    f.leftTowerChordMm = towerL;
    f.rightTowerChordMm = towerR;
    if (g.leftTower.size() > 0) {
        f.leftStart[0] = g.leftTower.x[0], f.leftStart[1] = g.leftTower.y[0];
        f.rightStart[0] = g.rightTower.x[0], f.rightStart[1] = g.rightTower.y[0];
    }
    f.leftKerfMm = d.leftKerfMm;
    f.rightKerfMm = d.rightKerfMm;
    return f;
}

// The kerf one side was made with, over its segments.
GenerationSummary::SideKerf sideKerf(const SideKerfs& k) {
    GenerationSummary::SideKerf s;
    bool first = true;
    for (std::size_t i = 0; i < k.kerfMm.size(); ++i) {
        s.minMm = first ? k.kerfMm[i] : std::min(s.minMm, k.kerfMm[i]);
        s.maxMm = first ? k.kerfMm[i] : std::max(s.maxMm, k.kerfMm[i]);
        first = false;
    }
    first = true;
    for (double v : k.speedMmS) {
        if (v <= 0) continue;
        s.minSpeedMmS = first ? v : std::min(s.minSpeedMmS, v);
        s.maxSpeedMmS = first ? v : std::max(s.maxSpeedMmS, v);
        first = false;
    }
    s.outside = k.outside;
    return s;
}

GenerationSummary::SideKerf oneKerf(double kerfMm, double speedMmS, bool outside) {
    return {kerfMm, kerfMm, speedMmS, speedMmS, outside};
}

// What the DAT-information line records behind "made for": nothing without a speed.
std::optional<SetKerfRecord> madeForRecord(const GenerationRequest& r) {
    if (!(r.cutSpeedMmS > 0)) return std::nullopt;
    SetKerfRecord k;
    k.cutSpeedMmS = r.cutSpeedMmS;
    if (r.material) {
        k.material = r.material->name;
        k.source = SetKerfSource::Material;
        k.points = r.material->points;
    } else if (!r.segmentSpeedsMmS.empty()) {
        k.material = r.calibratesMaterial;
        k.source = SetKerfSource::Calibration;
    }
    return k;
}

}  // namespace

namespace {

// Three decimals are all a kerf or a speed needs in a summary.
std::string range(double lo, double hi) {
    lo = std::round(lo * 1000) / 1000;
    hi = std::round(hi * 1000) / 1000;
    return lo == hi ? formatDouble(lo) : formatDouble(lo) + " .. " + formatDouble(hi);
}

}  // namespace

std::string kerfUsedText(const GenerationSummary::SideKerf& k, bool bySpeed) {
    std::string t = range(k.minMm, k.maxMm) + " mm";
    if (bySpeed) t += " at " + range(k.minSpeedMmS, k.maxSpeedMmS) + " mm/s";
    return t;
}

std::optional<FaceBlank> settingsBlank(const Workspace& ws) {
    const DerivedSettings& d = ws.settings.derived;
    if (ws.settings.fields.oversize_foam == 0) return std::nullopt;
    FaceBlank b{d.BlankDepthMm.toDouble(), d.BlankWidthMm.toDouble()};
    if (b.depthMm <= 0 && b.widthMm <= 0) return std::nullopt;
    return b;
}

bool CutGenerator::refuseUncuttable(const GenerationRequest& request, GenerationOutcome& outcome) {
    const bool wing = request.kind == CutSetKind::Wing;
    ProfileVerdict verdict[2];
    try {
        verdict[0] = judgeProfile(readProfile(request.leftPath), request.leftPath);
        verdict[1] = judgeProfile(readProfile(request.rightPath), request.rightPath);
    } catch (const RunError&) {
        return false;
    }
    // Too few points first; unequal counts then get their own message in the generation;
    // what else cannot be cut only when the counts agree, so Prepare Airfoils comes first.
    std::vector<std::string> problems;
    for (const ProfileVerdict& v : verdict) {
        if (v.points < 3) problems.push_back(tooFewPointsText(v.file, v.points));
    }
    if (wing && problems.empty() && verdict[0].points == verdict[1].points) {
        for (const ProfileVerdict& v : verdict)
            problems.insert(problems.end(), v.problems.begin(), v.problems.end());
        if (problems.empty()) problems = correspondenceProblems(verdict[0], verdict[1]);
    }
    for (const std::string& p : problems) outcome.messages.push_back({p, kDatFileErrorTitle});
    if (!problems.empty()) {
        outcome.status = GenerationStatus::Refused;
        return true;
    }
    // The runner's horizontal lead moves run along x from the first point and back to it.
    const SettingsFields& f = ws_.settings.fields;
    const bool leadMoves =
        f.lead_in == 1 && f.horizontal && ws_.settings.derived.LeadInMm.toDouble() > 0;
    for (const ProfileVerdict& v : verdict) {
        const std::string w = wing ? leadMoveWarning(v, leadMoves) : std::string();
        if (!w.empty()) outcome.warnings.push_back({w, kDatFileWarningTitle});
    }
    return false;
}

GenerationOutcome CutGenerator::generate(const GenerationRequest& request,
                                         const GenerationCallbacks& callbacks) {
    GenerationOutcome outcome;
    const bool wing = request.kind == CutSetKind::Wing;
    const char* label = wing ? kWingGenerationLabel : kFoamGenerationLabel;

    // The set a cut or script is using is not replaced under it.
    if (const std::string busy = setBusyRefusal(ws_); !busy.empty()) {
        outcome.status = GenerationStatus::Refused;
        outcome.messages.push_back({busy, kMachineBusyTitle});
        return outcome;
    }

    if (isBlankPathField(request.leftPath) || isBlankPathField(request.rightPath)) {
        outcome.status = GenerationStatus::Refused;
        outcome.messages.push_back({kDatMissingForGeneration, kDatFileNotFoundTitle});
        return outcome;
    }

    for (const std::string* path : {&request.leftPath, &request.rightPath}) {
        if (!pathFitsDatInfo(*path)) {
            outcome.status = GenerationStatus::Refused;
            outcome.messages.push_back(
                {"DAT file " + *path + " " + kDatPathHoldsQuote, kDatFileErrorTitle});
            return outcome;
        }
    }

    try {
        if (refuseUncuttable(request, outcome)) return outcome;
    } catch (const AirfoilFormatError& e) {
        outcome.status = GenerationStatus::Refused;
        outcome.messages.push_back({e.what(), kDatFileErrorTitle});
        return outcome;
    }

    // A negative size (a planform that cannot be built) would cut the profile mirrored; 0 stays
    // the division by zero it has always been.
    for (const auto& [text, side] :
         {std::pair{&request.leftChordText, "left"}, std::pair{&request.rightChordText, "right"}}) {
        std::optional<double> size;
        try {
            size = leadingNumberIfAny(*text);
        } catch (const RunError&) {  // past a double's range: the generation reports it
        }
        if (!size || *size >= 0) continue;
        outcome.status = GenerationStatus::Refused;
        outcome.messages.push_back(
            {std::string("The ") + side + " tower " + (wing ? "chord" : "horizontal size") +
                 " is " + formatDouble(*size) +
                 " mm: no profile can be cut at a size below 0. Calculate the " +
                 (wing ? "wing's" : "part's") + " planform again and try again",
             ""});
        return outcome;
    }

    // Kerf by speed and the calibration's own speeds are worked out at the speed the set is
    // made for.
    if (wing && (request.material || !request.segmentSpeedsMmS.empty()) &&
        !(request.cutSpeedMmS > 0)) {
        outcome.status = GenerationStatus::Refused;
        outcome.messages.push_back(
            {"Kerf by speed needs the speed the set is made for (the slider's speed when it is "
             "cut), above 0 mm/s; it is " +
                 formatDouble(request.cutSpeedMmS) + " mm/s",
             kKerfBySpeedTitle});
        return outcome;
    }
    const std::optional<Material> material = wing ? request.material : std::nullopt;
    const std::optional<SetKerfRecord> madeFor = wing ? madeForRecord(request) : std::nullopt;

    stop_ = false;
    CutSetTransaction tx(ws_.appFolder());
    try {
        tx.begin();
        tx.resetFromTemplates();

        const bool faces = request.geometry == WingGeometry::Faces;
        double chordL = 0, chordR = 0;
        if (!faces) {
            chordL = leadingNumber(request.leftChordText);
            chordR = leadingNumber(request.rightChordText);
        }
        // A chord the job values cannot hold (1e300) is refused before it is kept for later.
        static_cast<void>(Fixed4::fromDouble(chordL));
        static_cast<void>(Fixed4::fromDouble(chordR));
        ws_.job.LeftTowerChord = chordL;
        ws_.job.RightTowerChord = chordR;
        ws_.job.leftAirfoilPath = request.leftPath;
        ws_.job.rightAirfoilPath = request.rightPath;
        const bool washL = wing && !faces && request.leftWashout;
        const bool washR = wing && !faces && request.rightWashout;

        if (faces) {
            // The face set's DAT-information line waits for its tower chords (below).
        } else if (wing) {
            WingDatInfo info;
            info.leftPath = request.leftPath;
            info.rightPath = request.rightPath;
            info.leftChord = chordL;
            info.rightChord = chordR;
            info.leftWashoutFlag = request.leftWashout ? "1" : "0";
            info.rightWashoutFlag = request.rightWashout ? "1" : "0";
            info.leftAngleText = request.leftAngleText;
            info.rightAngleText = request.rightAngleText;
            RecordWriter w;
            writeWingDatInfoFields(w, info);
            if (madeFor) writeSetKerfFields(w, *madeFor);
            w.endLine();
            tx.datInfoFile().append(w.bytes());
        } else {
            tx.datInfoFile().append(
                foamDatInfoLine(request.leftPath, request.rightPath, chordL, chordR));
        }

        const std::size_t points = countPoints(request.leftPath);
        if (countPoints(request.rightPath) != points) {
            tx.abandon();
            outcome.status = GenerationStatus::Refused;
            outcome.messages.push_back({kDatCountsDiffer, kDatFileErrorTitle});
            return outcome;
        }
        SideProfiles p;
        p.left = readProfile(
            request.leftPath,
            washL ? std::optional<double>(leadingNumber(request.leftAngleText)) : std::nullopt);
        p.right = readProfile(
            request.rightPath,
            washR ? std::optional<double>(leadingNumber(request.rightAngleText)) : std::nullopt);
        // The files may have changed between counting and reading.
        if (p.left.size() != points || p.right.size() != points) {
            tx.abandon();
            outcome.status = GenerationStatus::Refused;
            outcome.messages.push_back({kDatCountsDiffer, kDatFileErrorTitle});
            return outcome;
        }

        if (!request.segmentSpeedsMmS.empty() &&
            request.segmentSpeedsMmS.size() + 1 != static_cast<std::size_t>(points)) {
            tx.abandon();
            outcome.status = GenerationStatus::Refused;
            outcome.messages.push_back(
                {"The segments' own speeds number " +
                     std::to_string(request.segmentSpeedsMmS.size()) + ", the profiles have " +
                     std::to_string(points > 0 ? points - 1 : 0) + " segments",
                 kKerfBySpeedTitle});
            return outcome;
        }

        std::optional<FaceGeometry> faceGeometry;
        // The request's material is the one source of kerf by speed, so the record says what
        // the faces were cut with.
        FaceDesign design = request.faces;
        design.kerfBySpeed.reset();
        if (material) design.kerfBySpeed = KerfBySpeed{*material, request.cutSpeedMmS};
        if (faces) {
            // Built from the design as its record gives it back, so a check of the set meets
            // the same points; the kerf by speed travels beside the record.
            FaceDesign recorded = recordedDesign(design);
            recorded.kerfBySpeed = design.kerfBySpeed;
            FaceGeometryResult built = buildFaceGeometry(p.left, p.right, recorded, request.blank);
            if (!built.geometry) {
                tx.abandon();
                outcome.status = GenerationStatus::Refused;
                for (const std::string& why : built.refusals)
                    outcome.messages.push_back({why, kFaceGeometryTitle});
                return outcome;
            }
            faceGeometry = std::move(built.geometry);
            const FaceGeometry& g = *faceGeometry;
            const FaceDesign& f = request.faces;
            chordL = wing ? g.leftTowerChordMm
                          : towerHorizontalSize(g.leftFace, g.rightFace, f.leftGapMm, f.spanMm);
            chordR = wing ? g.rightTowerChordMm
                          : towerHorizontalSize(g.rightFace, g.leftFace, f.rightGapMm(), f.spanMm);
            static_cast<void>(Fixed4::fromDouble(chordL));
            static_cast<void>(Fixed4::fromDouble(chordR));
            ws_.job.LeftTowerChord = chordL;
            ws_.job.RightTowerChord = chordR;
            if (wing) {
                RecordWriter w;
                writeWingDatInfoFields(w, faceDatInfo(request, chordL, chordR));
                writeFaceDesignFields(w, design);
                if (madeFor) writeSetKerfFields(w, *madeFor);
                w.endLine();
                tx.datInfoFile().append(w.bytes());
            } else {
                tx.datInfoFile().append(foamFaceDatInfoLine(request.leftPath, request.rightPath,
                                                            chordL, chordR, design));
            }
        }

        const DerivedSettings& d = ws_.settings.derived;
        double kerf = d.KerfMm.toDouble();
        bool kerfOutside = false;
        if (wing && request.kerfMm) {
            kerf = *request.kerfMm;
        } else if (material && !faces) {
            // The tower geometry: one kerf for both sides, the material's at the cut speed.
            const KerfAtSpeed at = kerfAt(*material, request.cutSpeedMmS);
            kerf = at.kerfMm;
            kerfOutside = at.outside;
        }
        const int32_t steps = d.StepsPerMm;
        const ActiveDelaySet& delays = ws_.delays;
        const int delayCount =
            request.useDelayPoints
                ? std::min<int>(delays.ActiveDelayPointCount,
                                static_cast<int>(delays.ActiveDelayPoints.size()))
                : 0;
        // The wing features put points into a face set's outlines.
        const int P = static_cast<int>(faceGeometry ? faceGeometry->leftTower.size() : points);
        auto& stepOut = tx.stepFile();
        auto& countOut = tx.countFile();

        int64_t total = 0;
        outcome.summary.points = P;
        outcome.summary.segments = std::max(P - 1, 0);
        const std::vector<double>* coord[4] = {&p.left.x, &p.left.y, &p.right.x, &p.right.y};
        const double chord[4] = {chordL, chordL, chordR, chordR};
        double perUnit[4] = {};
        int32_t position[4] = {};  // each axis's rounded step position at the segment's start
        if (faceGeometry) {
            // The tower outlines are in mm already, kerf included.
            const FaceGeometry& g = *faceGeometry;
            coord[0] = &g.leftTower.x, coord[1] = &g.leftTower.y;
            coord[2] = &g.rightTower.x, coord[3] = &g.rightTower.y;
            for (double& c : perUnit) c = static_cast<double>(steps);
            outcome.summary.faces = faceSummary(request.faces, g, chordL, chordR);
            if (g.leftKerfs && g.rightKerfs) {
                outcome.summary.leftKerf = sideKerf(*g.leftKerfs);
                outcome.summary.rightKerf = sideKerf(*g.rightKerfs);
            } else {
                outcome.summary.leftKerf = oneKerf(design.leftKerfMm, 0, false);
                outcome.summary.rightKerf = oneKerf(design.rightKerfMm, 0, false);
            }
        } else if (P >= 2) {
            for (int a = 0; a < 4; ++a) perUnit[a] = stepsPerProfileUnit(kerf, chord[a], steps);
        }
        if (wing && !faceGeometry) {
            const double at = material ? request.cutSpeedMmS : 0;
            outcome.summary.leftKerf = outcome.summary.rightKerf = oneKerf(kerf, at, kerfOutside);
        }
        if (wing) {
            outcome.summary.material = material ? material->name : std::string();
            outcome.summary.cutSpeedMmS = request.cutSpeedMmS;
        }
        for (int k = 1; k <= P - 1; ++k) {
            double diff[4];
            AxisRun axes[4];
            int32_t ticks = 0;
            for (int a = 0; a < 4; ++a) {
                const std::vector<double>& u = *coord[a];
                diff[a] = u[k] - u[k - 1];
                const int32_t next = stepPosition(perUnit[a], u[k] - u[0]);
                const int64_t count = std::abs(int64_t{next} - position[a]);
                if (count > INT32_MAX) throw RunError(ErrorNumber::Overflow);
                axes[a].count = static_cast<int32_t>(count);
                position[a] = next;
                ticks = std::max(ticks, axes[a].count);
            }
            // A segment without steps before the first step still takes one idle tick: its
            // count line would otherwise be 0, which every reader of the set takes for a pause.
            if (ticks == 0 && total == 0) ticks = 1;
            // A segment of its own, slower speed takes idle ticks in proportion: the ticks
            // come at the set's speed, one step of the longest axis each.
            if (!request.segmentSpeedsMmS.empty()) {
                const double own = request.segmentSpeedsMmS[static_cast<std::size_t>(k - 1)];
                if (own > 0 && own < request.cutSpeedMmS) {
                    const double slowed =
                        std::nearbyint(static_cast<double>(ticks) * request.cutSpeedMmS / own);
                    if (slowed > INT32_MAX) throw RunError(ErrorNumber::Overflow);
                    ticks = std::max(ticks, static_cast<int32_t>(slowed));
                }
            }
            // X moves back for a positive difference, Y moves up; otherwise forward and down.
            const bool pos[4] = {diff[0] > 0, diff[1] > 0, diff[2] > 0, diff[3] > 0};
            axes[0].stepPattern = pos[0] ? d.X1Back : d.X1Forward;
            axes[0].dirPattern = pos[0] ? d.X1BackDir : d.X1ForwardDir;
            axes[1].stepPattern = pos[1] ? d.Y1Up : d.Y1Down;
            axes[1].dirPattern = pos[1] ? d.Y1UpDir : d.Y1DownDir;
            axes[2].stepPattern = pos[2] ? d.X2Back : d.X2Forward;
            axes[2].dirPattern = pos[2] ? d.X2BackDir : d.X2ForwardDir;
            axes[3].stepPattern = pos[3] ? d.Y2Up : d.Y2Down;
            axes[3].dirPattern = pos[3] ? d.Y2UpDir : d.Y2DownDir;
            for (AxisRun& a : axes) a.start(ticks);

            if (callbacks.progress) callbacks.progress(k, P);
            if (stop_) break;

            if (total + ticks > INT32_MAX) throw RunError(ErrorNumber::Overflow);
            writeSegmentTicks(axes, ticks, stepOut);
            total += ticks;

            countOut.numberLine(total);
            ++outcome.summary.countLines;
            for (int i = 0; i < delayCount; ++i) {
                if (delays.ActiveDelayPoints[static_cast<std::size_t>(i)] == k) {
                    countOut.numberLine(0);
                    ++outcome.summary.countLines;
                    ++outcome.summary.delayLines;
                }
            }

            if (stop_) break;
            if (callbacks.yield) {
                callbacks.yield();
            } else {
                ws_.yield();
            }
        }
        outcome.summary.ticks = total;
        // A speed beyond the measured points takes the nearest point's kerf: said, not refused.
        const std::pair<const char*, std::optional<GenerationSummary::SideKerf>*> sides[] = {
            {"left", &outcome.summary.leftKerf}, {"right", &outcome.summary.rightKerf}};
        for (const auto& [name, side] : sides) {
            if (!material || !*side || !(*side)->outside) continue;
            // The tower geometry has one kerf for both sides, at the set's speed: said once.
            const std::string who = faceGeometry ? std::string("The ") + name + " face runs"
                                                 : std::string("The set runs");
            outcome.warnings.push_back(
                {who + " at " + range((*side)->minSpeedMmS, (*side)->maxSpeedMmS) +
                     " mm/s, partly beyond the speeds measured for " + material->name + " (" +
                     range(material->points.front().speedMmS, material->points.back().speedMmS) +
                     " mm/s): the nearest measured point's kerf is used there",
                 kKerfBySpeedTitle});
            if (!faceGeometry) break;
        }

        if (stop_) {
            tx.abandon();
            outcome.status = GenerationStatus::Stopped;
        } else {
            tx.finish();
            outcome.status = GenerationStatus::Finished;
        }
    } catch (const AirfoilFormatError& e) {
        abandonQuietly(tx, outcome, label);
        outcome.status = GenerationStatus::Refused;
        outcome.messages.push_back({e.what(), kDatFileErrorTitle});
    } catch (const RunError& e) {
        outcome.status = GenerationStatus::Failed;
        outcome.messages.push_back({errorReportText(e, label), "", e.detail()});
        abandonQuietly(tx, outcome, label);
        if (e.number() == static_cast<int>(ErrorNumber::FileNotFound)) {
            outcome.messages.push_back({kSystemCutFilesNotFound, ""});
        }
    } catch (const std::bad_alloc&) {
        outcome.status = GenerationStatus::Failed;
        outcome.messages.push_back(
            {errorReportText(RunError(ErrorNumber::OutOfMemory), label), ""});
        abandonQuietly(tx, outcome, label);
    }
    if (outcome.status != GenerationStatus::Finished) outcome.summary = {};
    return outcome;
}

}  // namespace corvane
