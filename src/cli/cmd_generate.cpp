// corvane-cli generate wing|foam: the generation of the wing and foam windows, writing the
// working cut-file set in the application folder, then printing a summary as Name=value.
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/cli_context.h"
#include "cli/cmd_drawing.h"
#include "cli/generation_output.h"
#include "cli/wing_feature_options.h"
#include "common/fixed_point.h"
#include "common/folder_lock.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/cut_generator.h"
#include "generate/cut_set_commands.h"
#include "generate/cut_set_layout.h"
#include "generate/cut_set_transaction.h"
#include "generate/face_geometry.h"
#include "generate/materials.h"
#include "generate/wing_mirror.h"
#include "machine/step_output.h"

namespace corvane::cli {

namespace {

namespace fs = std::filesystem;

struct GenerateOptions {
    std::string left, right;
    std::string leftChord, rightChord;
    std::optional<std::string> leftWashout, rightWashout;
    std::optional<std::string> delayPoints;
    std::optional<std::string> save;
    std::optional<double> speed;
    DrawingOptions drawing;  // foam only: the shape from DXF drawings
    // The face geometry (a foam set: with drawings, sized by the drawing options).
    std::string geometry = "towers";
    std::optional<double> leftFaceChord, rightFaceChord, towers, leftGap, span;
    double sweepMm = 0, riseMm = 0, washoutPivot = 0;
    std::optional<double> leftKerf, rightKerf;
    WingFeatureOptions features;          // faces only, the mirror for both
    std::optional<std::string> material;  // kerf by speed (wing only), with --speed
};

// The face options a tower set does not take, and the ones a face set needs.
std::optional<std::string> geometryProblem(const GenerateOptions& o) {
    const bool faces = o.geometry == "faces";
    if (!faces) {
        if (o.leftChord.empty()) return "--left-chord is required";
        if (o.rightChord.empty()) return "--right-chord is required";
        if (o.leftFaceChord || o.rightFaceChord || o.towers || o.leftGap || o.span || o.leftKerf ||
            o.rightKerf || o.sweepMm != 0 || o.riseMm != 0 || o.washoutPivot != 0)
            return "the face options need --geometry faces";
        if (o.features.any())
            return "sheeting, spar slots, trailing-edge thickness and stock need --geometry faces";
        return std::nullopt;
    }
    if (!o.leftChord.empty() || !o.rightChord.empty())
        return "--geometry faces takes --left-face-chord and --right-face-chord, not the tower "
               "chords (the projection gives those)";
    const std::pair<const char*, bool> needed[] = {
        {"--left-face-chord", o.leftFaceChord.has_value()},
        {"--right-face-chord", o.rightFaceChord.has_value()},
        {"--towers", o.towers.has_value()},
        {"--left-gap", o.leftGap.has_value()},
        {"--span", o.span.has_value()}};
    for (const auto& [name, given] : needed)
        if (!given) return std::string(name) + " is required with --geometry faces";
    return std::nullopt;
}

// A foam set takes the face geometry only with drawings, which give the shapes' sizes.
std::optional<std::string> foamGeometryProblem(const GenerateOptions& o) {
    if (o.geometry != "faces") {
        if (o.towers || o.leftGap || o.span || o.leftKerf || o.rightKerf || o.sweepMm != 0 ||
            o.riseMm != 0)
            return "the face options need --geometry faces";
        return std::nullopt;
    }
    if (!o.drawing.file)
        return "--geometry faces on a foam set takes its shapes from --drawing (and "
               "--tip-drawing)";
    const std::pair<const char*, bool> needed[] = {{"--towers", o.towers.has_value()},
                                                   {"--left-gap", o.leftGap.has_value()},
                                                   {"--span", o.span.has_value()}};
    for (const auto& [name, given] : needed)
        if (!given) return std::string(name) + " is required with --geometry faces";
    return std::nullopt;
}

// The finished panel from the options; each kerf defaults to the settings' KerfMm. A foam set's
// chords come from its drawings.
FaceDesign faceDesignFrom(const GenerateOptions& o, const Workspace& ws) {
    FaceDesign d;
    d.leftChordMm = o.leftFaceChord.value_or(0);
    d.rightChordMm = o.rightFaceChord.value_or(0);
    d.towersMm = *o.towers;
    d.leftGapMm = *o.leftGap;
    d.spanMm = *o.span;
    d.sweepMm = o.sweepMm;
    d.riseMm = o.riseMm;
    d.leftWashoutDeg = o.leftWashout ? leadingNumber(*o.leftWashout) : 0;
    d.rightWashoutDeg = o.rightWashout ? leadingNumber(*o.rightWashout) : 0;
    d.washoutPivot = o.washoutPivot;
    const double kerf = ws.settings.derived.KerfMm.toDouble();
    d.leftKerfMm = o.leftKerf.value_or(kerf);
    d.rightKerfMm = o.rightKerf.value_or(kerf);
    return d;
}

// "20,40,40" -> {20, 40, 40}; nullopt when an item is not a whole number.
std::optional<std::vector<int>> parseDelayPoints(const std::string& text) {
    std::vector<int> points;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        if (!isWholeNumberText(item)) return std::nullopt;
        double v = leadingNumber(item);
        if (v != static_cast<int>(v)) return std::nullopt;
        points.push_back(static_cast<int>(v));
    }
    return points;
}

// The paths the DAT-information file records are full paths, as a dialog gives them.
std::string fullPath(const std::string& typed) {
    if (typed.find_first_not_of(" \t") == std::string::npos) return typed;
    return fs::absolute(typed).string();
}

int runGenerate(CliContext& ctx, const GenerateOptions& o, CutSetKind kind) {
    Workspace& ws = ctx.workspace(true);
    if (recoverInterruptedGeneration(ws.appFolder())) {
        printMessage(
            "An interrupted generation was found: the previous cut-file set is back in place.");
    }
    if (o.delayPoints) {
        auto points = parseDelayPoints(*o.delayPoints);
        if (!points) {
            printMessage("--delay-points takes segment numbers separated by commas, e.g. 20,40");
            return 2;
        }
        ws.delays.ActiveDelayPoints = *points;
        ws.delays.ActiveDelayPointCount = static_cast<int>(points->size());
    }

    if (const auto problem =
            kind == CutSetKind::Wing ? geometryProblem(o) : foamGeometryProblem(o)) {
        printMessage(*problem);
        return 2;
    }
    if (kind == CutSetKind::Wing && o.features.mirror && !o.save) {
        printMessage("--mirror saves the other half beside the set: give --save NAME");
        return 2;
    }

    GenerationRequest request;
    request.kind = kind;
    if (o.geometry == "faces") {
        request.geometry = WingGeometry::Faces;
        try {
            request.faces = faceDesignFrom(o, ws);
        } catch (const RunError& e) {
            printMessage("A washout angle cannot be read: " + std::string(e.what()));
            return 2;
        }
        request.blank = settingsBlank(ws);
        std::string problem;
        const std::optional<WingFeatures> features = wingFeaturesFrom(o.features, problem);
        if (!features) {
            printMessage(problem);
            return 2;
        }
        request.faces.features = *features;
    }
    if (o.drawing.file) {
        if (!fillDrawingRequest(ws, o.drawing, o.leftChord, o.rightChord, request)) return 1;
    } else if (o.left.empty() || o.right.empty() ||
               (kind == CutSetKind::Foam && (o.leftChord.empty() || o.rightChord.empty()))) {
        printMessage("--left, --right, --left-size and --right-size are needed without --drawing");
        return 2;
    } else {
        request.leftPath = fullPath(o.left);
        request.rightPath = fullPath(o.right);
        request.leftChordText = o.leftChord;
        request.rightChordText = o.rightChord;
    }
    if (o.leftWashout) {
        request.leftWashout = true;
        request.leftAngleText = *o.leftWashout;
    }
    if (o.rightWashout) {
        request.rightWashout = true;
        request.rightAngleText = *o.rightWashout;
    }

    if (o.material) {
        if (!o.speed) {
            printMessage(
                "--material needs --speed: the kerf by speed is worked out at the speed "
                "the set will be cut at");
            return 2;
        }
        if (kind != CutSetKind::Wing) {
            printMessage("--material is for wing sets");
            return 2;
        }
        try {
            const MaterialTable table = readMaterials(ws.appFolder() / kMaterialsFileName);
            const Material* m = table.find(*o.material);
            if (!m) {
                printMessage("No material \"" + *o.material + "\" in " + kMaterialsFileName);
                return 1;
            }
            request.material = *m;
        } catch (const RunError& e) {
            printError(e, "corvane-cli generate");
            return 1;
        }
    }
    if (o.speed && kind == CutSetKind::Wing) request.cutSpeedMmS = sliderSpeed(ws, *o.speed);
    // The other half first, saved beside the set, so the working set ends as the one described.
    std::optional<fs::path> mirrorSaved;
    if (o.features.mirror && kind == CutSetKind::Wing) {
        const GenerationOutcome other = CutGenerator(ws).generate(mirroredRequest(request));
        if (other.status != GenerationStatus::Finished) {
            printMessage("The mirrored half cannot be generated:");
            for (const UserMessage& m : other.messages) printMessage(m.text);
            return 1;
        }
        mirrorSaved = mirrorSetPath(withCutExtension(fs::absolute(*o.save)));
        try {
            saveCutSet(ws.appFolder(), *mirrorSaved);
        } catch (const SaveRefused& e) {
            printMessage(e.what());
            return 1;
        } catch (const RunError& e) {
            printError(e, kSaveCutFileLabel);
            return 1;
        }
    }
    const int code = generateAndReport(ws, request, o.save, o.speed);
    if (code == 0 && mirrorSaved) std::cout << "MirrorSaved=" << mirrorSaved->string() << '\n';
    std::cout.flush();
    return code;
}

CLI::App* addVariant(CLI::App* parent, const char* name, const char* what, const char* sizeWord,
                     CliContext& ctx, SubcommandRunner& runner, CutSetKind kind) {
    auto o = std::make_shared<GenerateOptions>();
    CLI::App* cmd = parent->add_subcommand(name, what);
    // A foam set may take its shape from drawings instead, and a face set its tower chords from
    // the projection (both checked when the command runs).
    const bool wing = kind == CutSetKind::Wing;
    cmd->add_option("--left", o->left, "left (root) airfoil file")->required(wing);
    cmd->add_option("--right", o->right, "right (tip) airfoil file")->required(wing);
    cmd->add_option(std::string("--left-") + sizeWord, o->leftChord,
                    wing ? "left tower size, mm" : "left tower size, mm (faces: at the left face)");
    cmd->add_option(
        std::string("--right-") + sizeWord, o->rightChord,
        wing ? "right tower size, mm" : "right tower size, mm (faces: at the right face)");
    if (!wing) addDrawingOptions(cmd, o->drawing);
    if (kind == CutSetKind::Wing) {
        cmd->add_option("--left-washout", o->leftWashout,
                        "left washout angle, degrees (faces: a turn about --washout-pivot)");
        cmd->add_option("--right-washout", o->rightWashout,
                        "right washout angle, degrees (faces: a turn about --washout-pivot)");
        cmd->add_option("--left-face-chord", o->leftFaceChord, "faces: finished left chord, mm");
        cmd->add_option("--right-face-chord", o->rightFaceChord, "faces: finished right chord, mm");
        cmd->add_option("--washout-pivot", o->washoutPivot,
                        "faces: chord fraction the washout turns about (default 0, the leading "
                        "edge)");
        addWingFeatureOptions(cmd, o->features);
    }
    cmd->add_option("--geometry", o->geometry,
                    wing ? "towers (default: each airfoil at its tower chord) or faces (the "
                           "designed profiles at the foam faces, projected to the towers)"
                         : "towers (default: each shape at its tower size) or faces (with "
                           "--drawing: the shapes sized at the foam faces, projected to the "
                           "towers)")
        ->check(CLI::IsMember({"towers", "faces"}));
    cmd->add_option("--towers", o->towers, "faces: distance between the towers, mm");
    cmd->add_option("--left-gap", o->leftGap, "faces: left tower to the left face, mm");
    cmd->add_option("--span", o->span, "faces: left face to the right face, mm");
    cmd->add_option("--sweep-mm", o->sweepMm,
                    wing ? "faces: right leading edge behind the left's, mm (default 0)"
                         : "faces: the tip moved back beyond where the drawings put it, mm");
    cmd->add_option("--rise-mm", o->riseMm,
                    wing ? "faces: right leading edge above the left's, mm (default 0)"
                         : "faces: the tip moved up beyond where the drawings put it, mm");
    cmd->add_option("--left-kerf", o->leftKerf, "faces: left kerf, mm (default KerfMm)");
    cmd->add_option("--right-kerf", o->rightKerf, "faces: right kerf, mm (default KerfMm)");
    cmd->add_option("--delay-points", o->delayPoints, "segments to pause after, e.g. 20,40");
    cmd->add_option("--save", o->save, "also save the set as NAME.ct1 with .ct2 and .ct3");
    cmd->add_option("--speed", o->speed,
                    "cutting speed, mm/s: the time in the summary, and for a wing set the speed "
                    "it is made for (recorded in the set)");
    if (wing)
        cmd->add_option("--material", o->material,
                        "kerf by speed from this material of materials.txt at --speed: one kerf "
                        "for the towers, each face's own per segment for --geometry faces");
    cmd->callback([&ctx, &runner, o, kind] {
        runner = [&ctx, o, kind] { return runGenerate(ctx, *o, kind); };
    });
    return cmd;
}

}  // namespace

void addGenerateCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    CLI::App* gen = app.add_subcommand("generate", "generate the working cut-file set");
    gen->require_subcommand(1);
    addVariant(gen, "wing", "wing set from two airfoils and the tower chords", "chord", ctx, runner,
               CutSetKind::Wing);
    addVariant(gen, "foam", "foam set from two profiles and the tower sizes", "size", ctx, runner,
               CutSetKind::Foam);
}

}  // namespace corvane::cli
