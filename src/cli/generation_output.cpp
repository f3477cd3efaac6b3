// The generation's messages, summary, timing and save, shared by generate and calibrate.
#include "cli/generation_output.h"

#include <iostream>

#include "cli/cli_context.h"
#include "common/fixed_point.h"
#include "common/folder_lock.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "generate/cut_set_commands.h"
#include "generate/cut_set_transaction.h"
#include "machine/step_output.h"
#include "machine/workspace.h"

namespace corvane::cli {

namespace {

namespace fs = std::filesystem;

}  // namespace

double sliderSpeed(const Workspace& ws, double wanted) {
    const Fixed4 top = Fixed4::fromDouble(ws.settings.derived.SpeedSliderMax / 5.0);
    Fixed4 speed = Fixed4::fromDouble(wanted);
    if (speed > top) speed = top;
    return speed.toDouble();
}

std::string kerfSummaryText(const GenerationSummary& s) {
    std::string t;
    if (!s.material.empty()) t += "Material=" + s.material + "\n";
    if (s.cutSpeedMmS > 0) t += "MadeForSpeed=" + formatDouble(s.cutSpeedMmS) + "\n";
    if (s.leftKerf) t += "LeftKerfUsed=" + kerfUsedText(*s.leftKerf, !s.material.empty()) + "\n";
    if (s.rightKerf) t += "RightKerfUsed=" + kerfUsedText(*s.rightKerf, !s.material.empty()) + "\n";
    return t;
}

int generateAndReport(Workspace& ws, const GenerationRequest& request,
                      const std::optional<std::string>& save, std::optional<double> wantedSpeed) {
    // With a save the set saved is the one generated: the folder stays locked from the
    // generation to the end of the save, so no other program's set gets in between.
    std::optional<FolderLock> held;
    if (save) {
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
    if (s.faces) {
        const GenerationSummary::Faces& f = *s.faces;
        std::cout << "Geometry=faces\n"
                  << "LeftFaceChord=" << formatTwoDecimals(f.leftFaceChordMm) << '\n'
                  << "LeftTowerChord=" << formatTwoDecimals(f.leftTowerChordMm) << '\n'
                  << "RightFaceChord=" << formatTwoDecimals(f.rightFaceChordMm) << '\n'
                  << "RightTowerChord=" << formatTwoDecimals(f.rightTowerChordMm) << '\n'
                  << "LeftKerf=" << formatDouble(f.leftKerfMm) << '\n'
                  << "RightKerf=" << formatDouble(f.rightKerfMm) << '\n'
                  << "LeftTowerStart=" << formatTwoDecimals(f.leftStart[0]) << ','
                  << formatTwoDecimals(f.leftStart[1]) << '\n'
                  << "RightTowerStart=" << formatTwoDecimals(f.rightStart[0]) << ','
                  << formatTwoDecimals(f.rightStart[1]) << '\n';
    }
    std::cout << kerfSummaryText(s);
    if (wantedSpeed) {
        // A tick lasts its high time plus the 1 ms low time.
        // As in the setup windows: a speed above the slider's top is taken down to it.
        const Fixed4 speed = Fixed4::fromDouble(sliderSpeed(ws, *wantedSpeed));
        if (speed < Fixed4::fromDouble(*wantedSpeed))
            printMessage("Cutting speed limited to " + formatDouble(speed.toDouble()) +
                         " mm/s (SpeedSliderMax / 5)");
        const Fixed4 tickMs =
            stepHighTimeMs(ws.settings.derived.StepsPerMm, speed) + Fixed4::fromInt(1);
        const double seconds = static_cast<double>(s.ticks) * tickMs.toDouble() / 1000.0;
        std::cout << "CutSpeed=" << formatDouble(speed.toDouble()) << '\n'
                  << "TickMs=" << formatDouble(tickMs.toDouble()) << '\n'
                  << "CutSeconds=" << formatTwoDecimals(seconds) << '\n';
    }
    if (save) {
        const fs::path target = withCutExtension(fs::absolute(*save));
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

}  // namespace corvane::cli
