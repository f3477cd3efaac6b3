// corvane-cli material list|show NAME|set NAME SPEED:KERF[:POWER]...|remove NAME|use NAME: the
// material table of the application folder (materials.txt), the kerf each material melts at a
// speed, measured by the operator's own test cuts.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "common/folder_lock.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "generate/materials.h"

namespace corvane::cli {

namespace {

constexpr const char* kMaterialLabel = "corvane-cli material";

void printPoints(const Material& m) {
    for (const KerfPoint& p : m.points) {
        std::cout << "  " << formatDouble(p.speedMmS) << " mm/s: kerf " << formatDouble(p.kerfMm)
                  << " mm";
        if (p.power) std::cout << ", power " << formatDouble(*p.power);
        std::cout << '\n';
    }
}

struct MaterialOptions {
    std::string name;
    std::vector<std::string> points;
};

}  // namespace

void addMaterialCommand(CLI::App& app, CliContext& ctx, SubcommandRunner& runner) {
    CLI::App* cmd = app.add_subcommand(
        "material", "the foam materials: kerf by cutting speed, from your own test cuts");
    cmd->require_subcommand(1);
    auto o = std::make_shared<MaterialOptions>();
    auto table = [&ctx] { return readMaterials(ctx.appFolder() / kMaterialsFileName); };
    auto save = [&ctx](const MaterialTable& t) {
        FolderLock lock(ctx.appFolder());  // the window writes materials.txt too
        writeMaterials(ctx.appFolder() / kMaterialsFileName, t);
    };
    auto guarded = [&runner](std::function<int()> body) {
        runner = [body] {
            try {
                return body();
            } catch (const RunError& e) {
                printError(e, kMaterialLabel);
                return 1;
            }
        };
    };

    CLI::App* list = cmd->add_subcommand("list", "every material, the one in use marked *");
    list->callback([=] {
        guarded([=] {
            const MaterialTable t = table();
            for (const Material& m : t.materials) {
                std::cout << (m.name == t.inUse ? "* " : "  ") << m.name << " (" << m.points.size()
                          << " points, " << formatDouble(m.points.front().speedMmS) << " .. "
                          << formatDouble(m.points.back().speedMmS) << " mm/s)\n";
            }
            return 0;
        });
    });

    CLI::App* show = cmd->add_subcommand("show", "a material's measured points");
    show->add_option("NAME", o->name, "material")->required();
    show->callback([=] {
        guarded([=] {
            const MaterialTable t = table();
            const Material* m = t.find(o->name);
            if (!m) {
                printMessage("No material \"" + o->name + "\" in " + kMaterialsFileName);
                return 1;
            }
            std::cout << m->name << (m->name == t.inUse ? " (in use)" : "") << '\n';
            printPoints(*m);
            return 0;
        });
    });

    CLI::App* set = cmd->add_subcommand(
        "set", "add or replace a material: at least two SPEED:KERF[:POWER] points (mm/s, mm)");
    set->add_option("NAME", o->name, "material")->required();
    set->add_option("POINTS", o->points, "SPEED:KERF or SPEED:KERF:POWER")->required();
    set->callback([=] {
        guarded([=] {
            std::vector<KerfPoint> points;
            for (const std::string& text : o->points) {
                const std::optional<KerfPoint> p = parseKerfPoint(text);
                if (!p) {
                    printMessage("\"" + text +
                                 "\" is not SPEED:KERF[:POWER] with a speed above 0 mm/s and a "
                                 "kerf of 0 mm or more");
                    return 2;
                }
                points.push_back(*p);
            }
            std::string why;
            const std::optional<Material> m = makeMaterial(o->name, points, why);
            if (!m) {
                printMessage("Material \"" + o->name + "\" not set: " + why);
                return 2;
            }
            MaterialTable t = table();
            const bool replaced = t.put(*m);
            save(t);
            std::cout << (replaced ? "Replaced " : "Added ") << m->name << '\n';
            printPoints(*m);
            return 0;
        });
    });

    CLI::App* remove = cmd->add_subcommand("remove", "remove a material");
    remove->add_option("NAME", o->name, "material")->required();
    remove->callback([=] {
        guarded([=] {
            MaterialTable t = table();
            const auto before = t.materials.size();
            std::erase_if(t.materials, [&](const Material& m) { return m.name == o->name; });
            if (t.materials.size() == before) {
                printMessage("No material \"" + o->name + "\" in " + kMaterialsFileName);
                return 1;
            }
            if (t.inUse == o->name) t.inUse.clear();
            save(t);
            std::cout << "Removed " << o->name << '\n';
            return 0;
        });
    });

    CLI::App* use = cmd->add_subcommand("use", "choose the material in use (\"\" for none)");
    use->add_option("NAME", o->name, "material")->required();
    use->callback([=] {
        guarded([=] {
            MaterialTable t = table();
            if (!o->name.empty() && !t.find(o->name)) {
                printMessage("No material \"" + o->name + "\" in " + kMaterialsFileName);
                return 1;
            }
            t.inUse = o->name;
            save(t);
            std::cout << "In use: " << (o->name.empty() ? "none" : o->name) << '\n';
            return 0;
        });
    });
}

}  // namespace corvane::cli
