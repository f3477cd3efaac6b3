// corvane-cli settings: load settings.txt and print every derived value as Name=value;
// --kerf MM first writes a new kerf into settings.txt.
#include <iostream>

#include "cli/cli_context.h"
#include "common/number_format.h"
#include "common/run_error.h"

namespace corvane::cli {

namespace {

void printAxis(const char* name, const AxisPins& axis) {
    std::cout << name << "StepMask=" << axis.StepMask << '\n'
              << name << "DirMask=" << axis.DirMask << '\n'
              << name << "StepBit=" << static_cast<int>(axis.StepBit) << '\n'
              << name << "DirBit=" << axis.DirBit << '\n'
              << name << "Reversed=" << (axis.Reversed ? "True" : "False") << '\n';
}

int printSettings(CliContext& ctx, const std::optional<std::string>& kerf) {
    Workspace& ws = ctx.workspace(true);
    if (kerf) {
        ws.settings.fields.kerf = *kerf;
        try {
            ws.settings.save(ws.file("settings.txt"));
        } catch (const RunError& e) {
            printError(e, "settings");
            return 1;
        }
    }
    const DerivedSettings& d = ws.settings.derived;
    const SettingsFields& f = ws.settings.fields;
    std::cout << "DataPort=" << d.DataPort << '\n'
              << "ControlPort=" << d.ControlPort << '\n'
              << "StepsPerMm=" << d.StepsPerMm << '\n'
              << "MmPerStep=" << formatDouble(d.MmPerStep) << '\n'
              << "SpeedSliderMax=" << d.SpeedSliderMax << '\n'
              << "KerfMm=" << formatFixed4(d.KerfMm) << '\n'
              << "BlankWidthMm=" << formatFixed4(d.BlankWidthMm) << '\n'
              << "BlankDepthMm=" << formatFixed4(d.BlankDepthMm) << '\n'
              << "LeadInMm=" << formatFixed4(d.LeadInMm) << '\n';
    const std::pair<const char*, uint16_t> patterns[] = {
        {"X1Forward", d.X1Forward},
        {"X1Back", d.X1Back},
        {"X2Forward", d.X2Forward},
        {"X2Back", d.X2Back},
        {"Y1Up", d.Y1Up},
        {"Y1Down", d.Y1Down},
        {"Y2Up", d.Y2Up},
        {"Y2Down", d.Y2Down},
        {"X1ForwardDir", d.X1ForwardDir},
        {"X1BackDir", d.X1BackDir},
        {"X2ForwardDir", d.X2ForwardDir},
        {"X2BackDir", d.X2BackDir},
        {"Y1UpDir", d.Y1UpDir},
        {"Y1DownDir", d.Y1DownDir},
        {"Y2UpDir", d.Y2UpDir},
        {"Y2DownDir", d.Y2DownDir},
    };
    for (const auto& [name, value] : patterns) std::cout << name << '=' << value << '\n';
    std::cout << "enable_hold=" << f.enable_hold << '\n'
              << "enable_hold_bit=" << f.enable_hold_bit << '\n';
    printAxis("X1", d.X1);
    printAxis("Y1", d.Y1);
    printAxis("X2", d.X2);
    printAxis("Y2", d.Y2);
    std::cout.flush();
    return 0;
}

}  // namespace

void addSettingsCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    CLI::App* cmd = app.add_subcommand(
        "settings", "load settings.txt and print every derived value as Name=value");
    auto kerf = std::make_shared<std::optional<std::string>>();
    cmd->add_option("--kerf", *kerf, "write this kerf, mm, into settings.txt first");
    cmd->callback(
        [&ctx, &runner, kerf] { runner = [&ctx, kerf] { return printSettings(ctx, *kerf); }; });
}

}  // namespace corvane::cli
