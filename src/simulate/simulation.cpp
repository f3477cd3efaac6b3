#include "simulate/simulation.h"

#include "common/file_io.h"
#include "common/run_error.h"
#include "generate/face_set_record.h"
#include "machine/workspace.h"

namespace corvane {

CutSetPaths setPathsFor(const Workspace& ws, const std::string& setArgument) {
    if (setArgument.empty()) return workingSetPaths(ws.appFolder());
    std::filesystem::path step = std::filesystem::absolute(setArgument);
    const std::string name = step.filename().string();
    const bool hasCt1 = name.size() > 4 && (name.ends_with(".ct1") || name.ends_with(".CT1"));
    if (!hasCt1) step += ".ct1";
    return savedSetPaths(step);
}

Simulation simulateSet(const Workspace& ws, const CutSetPaths& paths) {
    Simulation sim;
    sim.paths = paths;
    const DerivedSettings& d = ws.settings.derived;
    sim.stepsPerMm = d.StepsPerMm;
    if (d.StepsPerMm <= 0)
        throw RunError(ErrorNumber::DivisionByZero,
                       "the settings give no steps per mm, so no step has a length");
    sim.set = loadSet(paths);
    sim.lead = leadMovesFor(ws);
    sim.decoder.emplace(d);
    sim.decoded = decodeSet(sim.set, *sim.decoder, sim.lead);

    for (int a = 0; a < 4; ++a) {
        if (!sim.decoder->wired(a))
            sim.warnings.push_back(std::string("The settings name no step pin for ") +
                                   kAxisNames[a] + ": its steps are not decoded.");
    }
    if (sim.decoded.stepLines > static_cast<std::size_t>(sim.decoded.setTicks))
        sim.warnings.push_back("The step file holds " + std::to_string(sim.decoded.stepLines) +
                               " lines but the count file takes " +
                               std::to_string(sim.decoded.setTicks) +
                               ": the rest is never output.");

    try {
        sim.datInfo = allDatInfoFields(readFileBytes(paths.datInfo));
    } catch (const RunError&) {
        sim.profilesMissing =
            "the DAT-information file " + paths.datInfo.string() + " cannot be read";
        return sim;
    }
    std::string recordWhy;
    sim.madeFor = setKerfRecordFromFields(sim.datInfo, recordWhy);
    if (!recordWhy.empty()) sim.warnings.push_back("The set's kerf record: " + recordWhy + ".");
    sim.towerKerfMm = d.KerfMm.toDouble();
    if (sim.madeFor && sim.madeFor->source == SetKerfSource::Calibration) {
        sim.towerKerfMm = 0;
    } else if (const std::optional<Material> m =
                   sim.madeFor ? sim.madeFor->usedMaterial() : std::nullopt) {
        sim.towerKerfMm = kerfAt(*m, sim.madeFor->cutSpeedMmS).kerfMm;
    }
    IntendedProfiles towers;
    sim.faces = faceSetTargets(sim.datInfo, sim.facesMissing, &towers);
    if (sim.faces) {
        sim.profiles = std::move(towers);
    } else if (!sim.facesMissing.empty()) {
        sim.profilesMissing = sim.facesMissing;
    } else {
        sim.profiles = intendedProfiles(sim.datInfo, sim.towerKerfMm, sim.profilesMissing);
    }
    if (sim.profiles) {
        sim.check = checkAgainstProfiles(sim.set, *sim.decoder, sim.lead, sim.decoded,
                                         *sim.profiles, d.StepsPerMm);
        const int expected = static_cast<int>(sim.profiles->points()) - 1;
        if (sim.decoded.profileSegments != expected)
            sim.warnings.push_back("The set has " + std::to_string(sim.decoded.profileSegments) +
                                   " segments, its profiles " + std::to_string(expected) + ".");
    }
    if (sim.faces) sim.faceCheck = checkAtFaces(sim, *sim.faces);
    return sim;
}

void checkTowerSetFaces(Simulation& sim, const FacePlacement& placement, double kerfMm) {
    if (sim.faces || !sim.profiles || !sim.decoder) return;
    const std::optional<FaceTargets> faces =
        towerSetTargets(*sim.profiles, placement, kerfMm, sim.facesMissing);
    if (!faces) return;
    sim.faces = faces;
    sim.faceCheck = checkAtFaces(sim, *sim.faces);
}

CuttingSpeed cuttingSpeed(const Workspace& ws, std::optional<double> asked) {
    CuttingSpeed out;
    out.speed = asked ? Fixed4::fromDouble(*asked) : ws.motion.CutSpeed;
    const Fixed4 top = Fixed4::fromDouble(ws.settings.derived.SpeedSliderMax / 5.0);
    if (top > Fixed4() && out.speed > top) {
        out.speed = top;
        out.limited = true;
    }
    return out;
}

CutTiming cutTiming(const Simulation& sim, Fixed4 speed, double pauseMs) {
    CutTiming t;
    t.tickMs = tickMs(sim.stepsPerMm, speed);
    t.cutSeconds =
        (static_cast<double>(sim.decoded.ticks) * t.tickMs + sim.decoded.pauses * pauseMs) / 1000.0;
    return t;
}

}  // namespace corvane
