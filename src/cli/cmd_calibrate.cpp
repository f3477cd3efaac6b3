// corvane-cli calibrate kerf: makes the calibration comb as the working set (and its picture),
// or, with --measured, turns the teeth's measured widths into kerf points of a material.
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/generation_output.h"
#include "common/file_io.h"
#include "common/folder_lock.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "generate/kerf_calibration.h"
#include "generate/materials.h"
#include "machine/workspace.h"

namespace corvane::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCalibrateLabel = "corvane-cli calibrate kerf";

struct CalibrateOptions {
    std::string speeds;
    double width = 20, height = 15, gap = 15, margin = 15, base = 20;
    std::optional<std::string> material, save, svg, measured, powers;
};

// One plain number filling the text.
std::optional<double> plainNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// "2,3,4.5" -> {2, 3, 4.5}; an item "19.2/19.4" is the mean of its readings.
std::optional<std::vector<double>> numberList(const std::string& text) {
    std::vector<double> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(start, comma - start);
        double sum = 0;
        int readings = 0;
        std::size_t from = 0;
        while (from <= item.size()) {
            std::size_t slash = item.find('/', from);
            if (slash == std::string::npos) slash = item.size();
            const std::optional<double> v = plainNumber(item.substr(from, slash - from));
            if (!v) return std::nullopt;
            sum += *v;
            ++readings;
            from = slash + 1;
        }
        out.push_back(sum / readings);
        start = comma + 1;
    }
    return out;
}

KerfCalibrationDesign designFrom(const CalibrateOptions& o, std::string& problem) {
    KerfCalibrationDesign d;
    if (!o.speeds.empty()) {
        const std::optional<std::vector<double>> speeds = numberList(o.speeds);
        if (!speeds || o.speeds.find('/') != std::string::npos) {
            problem = "--speeds takes speeds in mm/s separated by commas, e.g. 2,3,4,6";
            return d;
        }
        d.speedsMmS = *speeds;
    }
    d.toothWidthMm = o.width;
    d.toothHeightMm = o.height;
    d.gapMm = o.gap;
    d.marginMm = o.margin;
    d.baseMm = o.base;
    return d;
}

void printTeeth(const KerfCalibrationCut& cut) {
    for (std::size_t i = 0; i < cut.teeth.size(); ++i)
        std::cout << "Tooth" << i + 1 << '=' << formatDouble(cut.teeth[i].speedMmS)
                  << " mm/s, nominal " << formatDouble(cut.teeth[i].nominalMm()) << " mm\n";
}

int makeComb(Workspace& ws, const CalibrateOptions& o, const KerfCalibrationCut& cut) {
    const double top = sliderSpeed(ws, cut.cutSpeedMmS);
    if (top < cut.cutSpeedMmS) {
        printMessage("The fastest tooth's " + formatDouble(cut.cutSpeedMmS) +
                     " mm/s is beyond the slider's top of " + formatDouble(top) +
                     " mm/s (SpeedSliderMax / 5): the set could not be cut at its speed");
        return 2;
    }
    const fs::path dat = ws.appFolder() / kCalibrationDatFileName;
    writeFileAtomic(dat, calibrationDatText(cut));
    const GenerationRequest request =
        kerfCalibrationRequest(cut, dat.string(), o.material.value_or(""));
    const int made = generateAndReport(ws, request, o.save, cut.cutSpeedMmS);
    if (made != 0) return made;
    printTeeth(cut);
    const fs::path svg = o.svg ? fs::absolute(*o.svg) : ws.appFolder() / "kerf_calibration.svg";
    writeFileAtomic(svg, kerfCalibrationSvg(cut));
    std::cout << "SVG: " << svg.string() << '\n'
              << "Cut it at " << formatDouble(cut.cutSpeedMmS)
              << " mm/s, measure each tooth half way up, then: corvane-cli calibrate kerf "
                 "--measured W1,W2,... with the same --speeds and sizes\n";
    return 0;
}

int storeMeasurements(Workspace& ws, const CalibrateOptions& o, const KerfCalibrationCut& cut) {
    const std::optional<std::vector<double>> measured = numberList(*o.measured);
    std::optional<std::vector<double>> powers = std::vector<double>{};
    if (o.powers) powers = numberList(*o.powers);
    if (!measured || !powers) {
        printMessage(std::string("--measured and --powers take numbers separated by commas ") +
                     "(a tooth's readings may be given as 19.2/19.4 and are averaged)");
        return 2;
    }
    if (measured->size() != cut.teeth.size() ||
        (!powers->empty() && powers->size() != cut.teeth.size())) {
        printMessage("The comb has " + std::to_string(cut.teeth.size()) + " teeth; --measured " +
                     "gives " + std::to_string(measured->size()) +
                     (powers->empty() ? "" : " and --powers " + std::to_string(powers->size())) +
                     ". Give one of each per tooth, in the order of --speeds");
        return 2;
    }
    const KerfCalibrationResult r =
        kerfFromMeasurements(toothMeasurements(cut, *measured, *powers));
    for (std::size_t i = 0; i < cut.teeth.size(); ++i) {
        const double kerf = cut.teeth[i].nominalMm() - (*measured)[i];  // printed to 4 decimals
        std::cout << "Tooth" << i + 1 << '=' << formatDouble(cut.teeth[i].speedMmS)
                  << " mm/s: nominal " << formatDouble(cut.teeth[i].nominalMm())
                  << " mm - measured " << formatDouble((*measured)[i]) << " mm = kerf "
                  << formatDouble(std::round(kerf * 10000) / 10000) << " mm\n";
    }
    for (const std::string& p : r.problems) printMessage(p);
    if (!r.problems.empty()) {
        printMessage("Nothing stored.");
        return 1;
    }
    if (!o.material) {
        std::cout << "Not stored: give --material NAME to keep these points\n";
        return 0;
    }
    const fs::path file = ws.appFolder() / kMaterialsFileName;
    FolderLock lock(ws.appFolder());  // the materials window writes materials.txt too
    MaterialTable table = readMaterials(file);
    std::string why;
    const std::optional<Material> m = calibratedMaterial(table, *o.material, r.points, why);
    if (!m) {
        printMessage("Material \"" + *o.material + "\" not stored: " + why);
        return 1;
    }
    const bool replaced = table.put(*m);
    writeMaterials(file, table);
    std::cout << (replaced ? "Updated " : "Added ") << m->name << '\n';
    for (const KerfPoint& p : m->points) {
        std::cout << "  " << formatDouble(p.speedMmS) << " mm/s: kerf " << formatDouble(p.kerfMm)
                  << " mm";
        if (p.power) std::cout << ", power " << formatDouble(*p.power);
        std::cout << '\n';
    }
    return 0;
}

}  // namespace

void addCalibrateCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    CLI::App* cmd = app.add_subcommand("calibrate", "test cuts that measure the machine");
    cmd->require_subcommand(1);
    auto o = std::make_shared<CalibrateOptions>();
    CLI::App* kerf = cmd->add_subcommand(
        "kerf",
        "make the kerf calibration comb (one tooth per speed) as the working set and its "
        "picture; with --measured, store the kerf at each speed (nominal - measured width)");
    kerf->add_option("--speeds", o->speeds,
                     "one tooth per speed, mm/s, cut right to left (default 2,3,4,6)");
    kerf->add_option("--material", o->material,
                     "the material the comb calibrates: named in the set; with --measured the "
                     "points are stored in it (materials.txt)");
    kerf->add_option("--save", o->save, "also save the comb as NAME.ct1 with .ct2 and .ct3");
    kerf->add_option("--svg", o->svg,
                     "where to write the picture (default kerf_calibration.svg in the "
                     "application folder)");
    kerf->add_option("--measured", o->measured,
                     "each tooth's measured width, mm, in the order of --speeds (19.2/19.4: the "
                     "mean of two readings)");
    kerf->add_option("--powers", o->powers, "with --measured: the wire power of each tooth");
    kerf->add_option("--width", o->width, "nominal tooth width, mm (default 20)");
    kerf->add_option("--height", o->height, "tooth height, mm (default 15)");
    kerf->add_option("--gap", o->gap, "gap between teeth, mm (default 15)");
    kerf->add_option("--margin", o->margin, "base beyond the outer teeth, mm (default 15)");
    kerf->add_option("--base", o->base, "base height below the teeth, mm (default 20)");
    kerf->callback([&ctx, &runner, o] {
        runner = [&ctx, o]() -> int {
            std::string problem;
            const KerfCalibrationDesign design = designFrom(*o, problem);
            if (!problem.empty()) {
                printMessage(problem);
                return 2;
            }
            const std::vector<std::string> refusals = calibrationRefusals(design);
            for (const std::string& r : refusals) printMessage(r);
            if (!refusals.empty()) return 2;
            if (o->powers && !o->measured) {
                printMessage("--powers goes with --measured");
                return 2;
            }
            const KerfCalibrationCut cut = kerfCalibrationCut(design);
            try {
                Workspace& ws = ctx.workspace(!o->measured);
                return o->measured ? storeMeasurements(ws, *o, cut) : makeComb(ws, *o, cut);
            } catch (const RunError& e) {
                printError(e, kCalibrateLabel);
                return 1;
            }
        };
    });
}

}  // namespace corvane::cli
