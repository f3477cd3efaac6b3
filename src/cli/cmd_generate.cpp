// corvane-cli generate wing|foam: the generation of the wing and foam windows, writing the
// working cut-file set in the application folder, then printing a summary as Name=value.
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/cli_context.h"
#include "common/fixed_point.h"
#include "common/folder_lock.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/cut_generator.h"
#include "generate/cut_set_commands.h"
#include "generate/cut_set_layout.h"
#include "generate/cut_set_transaction.h"
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
};

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

    GenerationRequest request;
    request.kind = kind;
    request.leftPath = fullPath(o.left);
    request.rightPath = fullPath(o.right);
    request.leftChordText = o.leftChord;
    request.rightChordText = o.rightChord;
    if (o.leftWashout) {
        request.leftWashout = true;
        request.leftAngleText = *o.leftWashout;
    }
    if (o.rightWashout) {
        request.rightWashout = true;
        request.rightAngleText = *o.rightWashout;
    }

    // With --save the set saved is the one generated: the folder stays locked from the
    // generation to the end of the save, so no other program's set gets in between.
    std::optional<FolderLock> held;
    if (o.save) {
        try {
            held.emplace(ws.appFolder());
        } catch (const RunError& e) {
            printError(e, "corvane-cli generate");
            return 1;
        }
    }
    CutGenerator generator(ws);
    GenerationOutcome out = generator.generate(request);
    for (const UserMessage& m : out.warnings) printMessage("Warning: " + m.text);
    for (const UserMessage& m : out.messages) {
        printMessage(m.title == kMachineBusyTitle ? m.title + ": " + m.text : m.text);
        if (!m.detail.empty()) printMessage(m.detail);
    }
    if (out.status != GenerationStatus::Finished) return 1;

    const GenerationSummary& s = out.summary;
    std::cout << "Points=" << s.points << '\n'
              << "Segments=" << s.segments << '\n'
              << "Ticks=" << s.ticks << '\n'
              << "CountLines=" << s.countLines << '\n'
              << "DelayPoints=" << s.delayLines << '\n'
              << "StepsPerMm=" << ws.settings.derived.StepsPerMm << '\n';
    if (o.speed) {
        // A tick lasts its high time plus the 1 ms low time.
        // As in the setup windows: a speed above the slider's top is taken down to it.
        Fixed4 speed = Fixed4::fromDouble(*o.speed);
        const Fixed4 top = Fixed4::fromDouble(ws.settings.derived.SpeedSliderMax / 5.0);
        if (speed > top) {
            printMessage("Cutting speed limited to " + formatDouble(top.toDouble()) +
                         " mm/s (SpeedSliderMax / 5)");
            speed = top;
        }
        const Fixed4 tickMs =
            stepHighTimeMs(ws.settings.derived.StepsPerMm, speed) + Fixed4::fromInt(1);
        const double seconds = static_cast<double>(s.ticks) * tickMs.toDouble() / 1000.0;
        std::cout << "CutSpeed=" << formatDouble(speed.toDouble()) << '\n'
                  << "TickMs=" << formatDouble(tickMs.toDouble()) << '\n'
                  << "CutSeconds=" << formatTwoDecimals(seconds) << '\n';
    }
    if (o.save) {
        const fs::path target = withCutExtension(fs::absolute(*o.save));
        try {
            saveCutSet(ws.appFolder(), target);
        } catch (const SaveRefused& e) {
            printMessage(e.what());
            return 1;
        } catch (const RunError& e) {
            printError(e, kSaveCutFileLabel);
            return 1;
        }
        std::cout << "Saved=" << target.string() << '\n';
    }
    std::cout.flush();
    return 0;
}

CLI::App* addVariant(CLI::App* parent, const char* name, const char* what, const char* sizeWord,
                     CliContext& ctx, SubcommandRunner& runner, CutSetKind kind) {
    auto o = std::make_shared<GenerateOptions>();
    CLI::App* cmd = parent->add_subcommand(name, what);
    cmd->add_option("--left", o->left, "left (root) airfoil file")->required();
    cmd->add_option("--right", o->right, "right (tip) airfoil file")->required();
    cmd->add_option(std::string("--left-") + sizeWord, o->leftChord, "left tower size, mm")
        ->required();
    cmd->add_option(std::string("--right-") + sizeWord, o->rightChord, "right tower size, mm")
        ->required();
    if (kind == CutSetKind::Wing) {
        cmd->add_option("--left-washout", o->leftWashout, "left washout angle, degrees");
        cmd->add_option("--right-washout", o->rightWashout, "right washout angle, degrees");
    }
    cmd->add_option("--delay-points", o->delayPoints, "segments to pause after, e.g. 20,40");
    cmd->add_option("--save", o->save, "also save the set as NAME.ct1 with .ct2 and .ct3");
    cmd->add_option("--speed", o->speed, "cutting speed, mm/s, for the time in the summary");
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
