// One simulation of a cut-file set on the current settings: the set read and decoded with the
// settings' pins, reversal and lead moves, its DAT-information line, the intended profiles and
// the comparison with them. The CLI's simulate and export and the main window's export share it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/fixed_point.h"
#include "generate/cut_set_layout.h"
#include "generate/set_kerf_record.h"
#include "simulate/face_check.h"
#include "simulate/profile_check.h"
#include "simulate/set_decoder.h"

namespace corvane {

class Workspace;

// The set a --set argument names: NAME.ct1 (or NAME, to which .ct1 is added) with NAME.ct2 and
// NAME.ct3 beside it; the working set of the application folder when the argument is empty.
CutSetPaths setPathsFor(const Workspace& ws, const std::string& setArgument);

struct Simulation {
    CutSetPaths paths;
    int32_t stepsPerMm = 0;
    LoadedSet set;
    std::optional<LeadMoves> lead;
    std::optional<StepDecoder> decoder;
    DecodedSet decoded;
    std::vector<std::string> datInfo;  // the fields of the DAT-information line (empty if none)
    std::optional<IntendedProfiles> profiles;
    std::string profilesMissing;  // why there are no profiles to compare with
    std::optional<ProfileCheck> check;
    std::vector<std::string> warnings;  // what the operator should know before trusting a figure
    // A face set's faces and the check there (a tower set's come from checkTowerSetFaces).
    std::optional<FaceTargets> faces;
    std::optional<FaceCheck> faceCheck;
    std::string facesMissing;  // why a set that names faces cannot be checked at them
    // The speed the set was made for and what its kerf came from, when it records them.
    std::optional<SetKerfRecord> madeFor;
    // The kerf a tower set was made with: the settings', the recorded material's at the made-for
    // speed, or 0 for the calibration comb.
    double towerKerfMm = 0;
};

// A tower set checked at faces the caller places (nothing when its profiles cannot be read).
void checkTowerSetFaces(Simulation& sim, const FacePlacement& placement, double kerfMm);

// Reads and decodes the set and, where its profiles can be read, compares. RunError when the
// step or count file cannot be read or the step file is too short; StepsPerMm 0 is a
// DivisionByZero (no positions without it).
Simulation simulateSet(const Workspace& ws, const CutSetPaths& paths);

// The speed a set is timed at: the runner's slider stops at SpeedSliderMax / 5, so a faster
// wish is taken down to it (`limited` tells).
struct CuttingSpeed {
    Fixed4 speed;
    bool limited = false;
};
CuttingSpeed cuttingSpeed(const Workspace& ws, std::optional<double> asked);

// Figures at a speed: a tick's length and the whole cut's, pauses included.
struct CutTiming {
    double tickMs = 0;
    double cutSeconds = 0;
};
CutTiming cutTiming(const Simulation& sim, Fixed4 speed, double pauseMs);

}  // namespace corvane
