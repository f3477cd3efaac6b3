// corvane-cli airfoil check FILE... / airfoil prepare --root F --tip F --points N --out-root F
// --out-tip F [--lower-first]: what a downloaded airfoil file holds, and a root and tip pair
// resampled so that the generator takes them together.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "common/file_io.h"
#include "common/run_error.h"
#include "generate/airfoil_input.h"
#include "generate/airfoil_prepare.h"
#include "generate/profile_verdict.h"

namespace corvane::cli {

namespace {

// The file's surfaces, or the reason it cannot be read printed and nullopt.
std::optional<AirfoilFile> readReported(const std::string& path) {
    try {
        return readAirfoilFile(path);
    } catch (const AirfoilFormatError& e) {
        printMessage(e.what());
    } catch (const RunError& e) {
        printError(e, "corvane-cli airfoil");
    }
    return std::nullopt;
}

int check(const std::vector<std::string>& files) {
    int failures = 0;
    for (const std::string& path : files) {
        std::cout << "File=" << path << '\n';
        std::optional<AirfoilFile> file = readReported(path);
        if (!file) {
            std::cout << "Readable=no\n";
            ++failures;
            continue;
        }
        if (file->layout == AirfoilLayout::TwoSurface) {
            try {
                std::cout << formatReport(checkAirfoil(*file, path));
            } catch (const AirfoilFormatError& e) {
                printMessage(e.what());
            }
            // The generator's own refusal: its reader's, or its verdict's without a count line.
            std::string problem;
            try {
                const std::vector<std::string> p = judgeProfile(readProfile(path), path).problems;
                problem = p.empty() ? std::string() : p.front();
            } catch (const AirfoilFormatError& e) {
                problem = e.what();
            }
            std::cout << "Cuttable=no\nProblem=" << problem << '\n';
            ++failures;
            continue;
        }
        // The generator's verdict decides; the surfaces are measured only where the outline
        // closes, so that a refused file has one reason, the generator's.
        const ProfileVerdict v = judgeProfile(profileOf(*file), path);
        if (v.closed && v.points >= 3) {
            try {
                std::cout << formatReport(checkAirfoil(*file, path));
            } catch (const AirfoilFormatError& e) {
                printMessage(e.what());
            }
        } else {
            std::cout << formatFileFacts(*file);
        }
        std::cout << formatVerdict(v);
        if (!v.cuttable()) ++failures;
    }
    std::cout.flush();
    return failures == 0 ? 0 : 1;
}

struct PrepareArgs {
    std::string root, tip, outRoot, outTip;
    std::size_t points = 0;
    bool lowerFirst = false;
};

int prepare(const PrepareArgs& a) {
    const PrepareOptions options{a.points, a.lowerFirst};
    if (a.points < 5) {
        printMessage("--points must be at least 5");
        return 1;
    }
    const std::pair<const std::string*, const std::string*> sides[2] = {{&a.root, &a.outRoot},
                                                                        {&a.tip, &a.outTip}};
    PreparedProfile prepared[2];
    double deviation[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        std::optional<AirfoilFile> file = readReported(*sides[i].first);
        if (!file) return 1;
        try {
            AirfoilSurfaces surfaces;
            try {
                surfaces = splitSurfaces(*file, *sides[i].first);
            } catch (const AirfoilFormatError&) {
                // A list without two surfaces: the generator's reason for it, where it has one.
                if (file->layout == AirfoilLayout::TwoSurface ||
                    preparationProblems(*file, surfaces, *sides[i].first).empty())
                    throw;
            }
            const std::vector<std::string> problems =
                preparationProblems(*file, surfaces, *sides[i].first);
            for (const std::string& p : problems) printMessage(p);
            if (!problems.empty()) return 1;
            prepared[i] = prepareProfile(surfaces, options);
            deviation[i] = largestDeviation(prepared[i], surfaces);
            // Never a file the generator refuses: what preparing could not mend is said.
            const std::vector<std::string> left = preparedProblems(prepared[i], *sides[i].second);
            for (const std::string& p : left)
                printMessage("Prepare Airfoils cannot make a cuttable outline of " +
                             *sides[i].first + ": " + p);
            if (!left.empty()) return 1;
        } catch (const AirfoilFormatError& e) {
            printMessage(e.what());
            return 1;
        }
    }
    // Both are written only once both are prepared: never a new root beside an old tip.
    for (int i = 0; i < 2; ++i)
        writeFileAtomic(*sides[i].second, plainAirfoilText(prepared[i].points));
    std::cout << "Points=" << a.points << '\n'
              << "LeadingEdgeIndex=" << prepared[0].leadingEdgeIndex + 1 << '\n'
              << "Order=" << (a.lowerFirst ? "lower surface first" : "upper surface first") << '\n'
              << "RootDeviation=" << deviation[0] << '\n'
              << "TipDeviation=" << deviation[1] << '\n'
              << "Root=" << a.outRoot << '\n'
              << "Tip=" << a.outTip << '\n';
    std::cout.flush();
    return 0;
}

}  // namespace

void addAirfoilCommand(CLI::App& app, CliContext&, SubcommandRunner& runner) {
    CLI::App* cmd = app.add_subcommand("airfoil", "check airfoil files, prepare root and tip");
    cmd->require_subcommand(1);

    auto files = std::make_shared<std::vector<std::string>>();
    CLI::App* checkCmd = cmd->add_subcommand("check", "layout, points, edges and thickness");
    checkCmd->add_option("files", *files, "airfoil files")->required();
    checkCmd->callback([&runner, files] { runner = [files] { return check(*files); }; });

    auto args = std::make_shared<PrepareArgs>();
    CLI::App* prep = cmd->add_subcommand("prepare", "resample root and tip to one point count");
    prep->add_option("--root", args->root, "root airfoil file")->required();
    prep->add_option("--tip", args->tip, "tip airfoil file")->required();
    prep->add_option("--points", args->points, "points of each prepared file")->required();
    prep->add_option("--out-root", args->outRoot, "prepared root file")->required();
    prep->add_option("--out-tip", args->outTip, "prepared tip file")->required();
    prep->add_flag("--lower-first", args->lowerFirst, "cut the lower surface first");
    prep->callback([&runner, args] { runner = [args] { return prepare(*args); }; });
}

}  // namespace corvane::cli
