// Wing and foam cut-file generation: two airfoil profiles and the two tower chords (or foam
// sizes) become the working cut-file set, one port byte per tick and one running total per
// segment. The windows and corvane-cli both run it, with their own progress and yield.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "generate/face_geometry.h"
#include "generate/materials.h"
#include "machine/workspace.h"

namespace corvane {

inline constexpr const char* kWingGenerationLabel = "Module 14, GCF";
inline constexpr const char* kFoamGenerationLabel = "Module 1, GCF";
inline constexpr const char* kFaceGeometryTitle = "Face Geometry";
inline constexpr const char* kKerfBySpeedTitle = "Kerf by Speed";
inline constexpr const char* kSystemCutFilesNotFound =
    "System Cut files not found, Contact Corvane support for assistance.";

enum class CutSetKind { Wing, Foam };

// How a wing set is made: each airfoil scaled and washed out at its tower (the default, as sets
// have always been made), or the designed profiles placed on the foam faces and projected. A
// foam set from drawings takes the face geometry too: its shapes are sized at the faces.
enum class WingGeometry { Towers, Faces };

// What the generation window's fields hold when "Generate" is pressed.
struct GenerationRequest {
    CutSetKind kind = CutSetKind::Wing;
    std::string leftPath, rightPath;                 // Text1, Text2 as typed
    std::string leftChordText, rightChordText;       // Text6, Text7: tower chords, or foam sizes
    bool leftWashout = false, rightWashout = false;  // wing only
    std::string leftAngleText = "0", rightAngleText = "0";
    WingGeometry geometry = WingGeometry::Towers;
    // Faces only: the finished panel (the chord texts and washout fields above are not read;
    // its kerf by speed comes from `material` below). A foam set: the chords are the horizontal
    // sizes at the faces, sweep and rise place the right shape's box corner against the left's.
    FaceDesign faces;
    // Faces only: the blank the settings give, when they give one.
    std::optional<FaceBlank> blank;
    // The speed the set is made for, mm/s (0: not given): recorded in the set with the
    // material, so the cut window can say when its slider runs far from it.
    double cutSpeedMmS = 0;
    // Kerf by speed at cutSpeedMmS: the tower geometry takes the kerf at that speed for both
    // sides, the face geometry each segment's kerf from each face's own speed. Without it, the
    // settings' kerf as always.
    std::optional<Material> material;
    // The calibration cut: a kerf in place of the settings' (0: the wire's centre on the
    // outline), each segment's own speed (one per segment; a speed below cutSpeedMmS takes idle
    // ticks in proportion), the delay points left out, the material it calibrates (a name).
    std::optional<double> kerfMm;
    std::vector<double> segmentSpeedsMmS;
    bool useDelayPoints = true;
    std::string calibratesMaterial;
};

// A message box the caller shows: text and title (empty title: none).
struct UserMessage {
    std::string text;
    std::string title;
    std::string detail = {};  // besides the program's text: the file or reason behind an error
};

enum class GenerationStatus {
    Finished,  // the new set is in place; offer the save step
    Stopped,   // Stop was pressed; the previous set is in place
    Refused,   // a path empty, counts unequal, a file that is not numbers; previous set in place
    Failed,    // a run-time error (messages hold the report); previous set in place
};

struct GenerationSummary {
    int points = 0;     // per side
    int segments = 0;   // points - 1
    int64_t ticks = 0;  // lines of the step file
    int countLines = 0;
    int delayLines = 0;
    // A face set: the chords at the faces and at the towers, and where the wire starts on each
    // tower (mm from the left face's leading edge), which is where each carriage's home must be.
    struct Faces {
        double leftFaceChordMm = 0, rightFaceChordMm = 0;
        double leftTowerChordMm = 0, rightTowerChordMm = 0;
        double leftStart[2] = {0, 0}, rightStart[2] = {0, 0};
        double leftKerfMm = 0, rightKerfMm = 0;
    };
    std::optional<Faces> faces;
    // A wing set: the kerf each side was made with. The settings' (or a face's typed) kerf is
    // one value; with a material it ranges over the segments, with the speeds behind it.
    struct SideKerf {
        double minMm = 0, maxMm = 0;
        double minSpeedMmS = 0, maxSpeedMmS = 0;  // with a material: the face (or cut) speeds
        bool outside = false;                     // a speed beyond the material's measured range
    };
    std::optional<SideKerf> leftKerf, rightKerf;
    std::string material;    // the material's name; empty for none
    double cutSpeedMmS = 0;  // the speed the set is made for (0: not given)
};

struct [[nodiscard]] GenerationOutcome {
    GenerationStatus status = GenerationStatus::Refused;
    std::vector<UserMessage> messages;  // shown in this order
    // Files that are right but need a look in this combination (a leading-edge start with lead
    // moves on): shown before the messages; the generation goes on.
    std::vector<UserMessage> warnings;
    GenerationSummary summary;
};

struct GenerationCallbacks {
    // Before each segment: the segment number k and the point count P (the window shows the
    // bar with maximum P at 0.8 k, Text5 = k, Label6 = P - 1).
    std::function<void(int segment, int points)> progress;
    // Once per segment, after its count line: let the window system process events (Stop is
    // pressed here). Defaults to the workspace's yield.
    std::function<void()> yield;
};

// What one side's kerf was: "0.3 mm", or with a material "0.6 .. 0.765 mm at 4.349 .. 6.114 mm/s"
// (three decimals).
std::string kerfUsedText(const GenerationSummary::SideKerf& kerf, bool bySpeed);

// The blank the settings give for the face geometry's checks: with "Oversize Foam Blank" ticked
// and an amount set; nothing otherwise.
[[nodiscard]] std::optional<FaceBlank> settingsBlank(const Workspace& ws);

class CutGenerator {
public:
    explicit CutGenerator(Workspace& ws) : ws_(ws) {}

    // Runs the whole generation (the "Generate" button). Reads the settings' StepsPerMm,
    // KerfMm and patterns and the active delay points; sets the job's paths and chords.
    GenerationOutcome generate(const GenerationRequest& request,
                               const GenerationCallbacks& callbacks = {});

    // The Stop button: the generation ends at the end of the current segment.
    void requestStop() { stop_ = true; }
    bool stopRequested() const { return stop_; }

private:
    // The profile verdicts of both files before anything is written: refusals go into
    // `outcome` (true: refused), warnings too. A file that cannot be read is left to the
    // generation's own error path.
    [[nodiscard]] bool refuseUncuttable(const GenerationRequest& request,
                                        GenerationOutcome& outcome);

    Workspace& ws_;
    bool stop_ = false;
};

}  // namespace corvane
