// The foam materials and the kerf each melts at a speed: materials.txt in the application
// folder, one material a line with its measured (speed, kerf) points and optionally the wire
// power used for each. Between its points the kerf follows a straight line; beyond them it stays
// at the nearest point, and the caller is told the speed lies outside what was measured.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr const char* kMaterialsFileName = "materials.txt";

struct KerfPoint {
    double speedMmS = 0, kerfMm = 0;
    std::optional<double> power;  // the S word on a controller; shown only on the parallel port
    bool operator==(const KerfPoint&) const = default;
};

struct Material {
    std::string name;
    std::vector<KerfPoint> points;  // by speed, at least two, no speed twice
    bool operator==(const Material&) const = default;
};

struct MaterialTable {
    std::string inUse;  // the material chosen for the next generation; empty for none
    std::vector<Material> materials;
    const Material* find(std::string_view name) const;
    // Replaces the material of the same name (true) or adds it at the end (false).
    bool put(Material m);
};

// A material's kerf at the speed a set is made for (mm/s): the speed the slider is expected at
// when the set is cut.
struct KerfBySpeed {
    Material material;
    double cutSpeedMmS = 0;
};

struct KerfAtSpeed {
    double kerfMm = 0;
    bool outside = false;  // the speed lies beyond the measured range: the nearest point's kerf
};
KerfAtSpeed kerfAt(const Material& m, double speedMmS);
// The power at a speed (the same straight lines), when every point carries one.
std::optional<double> powerAt(const Material& m, double speedMmS);

// "SPEED:KERF[:POWER]", e.g. "4:0.9" or "2.5:1.2:600"; nullopt for anything else (a speed not
// above 0, a negative kerf).
[[nodiscard]] std::optional<KerfPoint> parseKerfPoint(std::string_view text);

// A material from points as typed: sorted by speed. The reason in `why` (nullopt) for fewer than
// two points, a speed given twice, or an empty name.
[[nodiscard]] std::optional<Material> makeMaterial(const std::string& name,
                                                   std::vector<KerfPoint> points, std::string& why);

// The file's records: "in use","NAME" on the first line, then per material its name, the
// number of points and each point's speed, kerf and power ("" for none).
std::string materialsFileText(const MaterialTable& table);
// A missing file is an empty table. RunError TypeMismatch naming the material for a record that
// cannot be read.
MaterialTable readMaterials(const std::filesystem::path& file);
MaterialTable parseMaterials(std::string_view bytes);
void writeMaterials(const std::filesystem::path& file, const MaterialTable& table);
// materials.txt of an application folder read, changed by `edit` and written back under the
// folder's lock, so the window and corvane-cli never write over each other's change. `edit`
// returns false to leave the file as it is. Returns the table as it stands afterwards.
MaterialTable updateMaterials(const std::filesystem::path& appFolder,
                              const std::function<bool(MaterialTable&)>& edit);

}  // namespace corvane
