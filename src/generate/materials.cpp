// materials.txt and the kerf between the measured points.
#include "generate/materials.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/file_io.h"
#include "common/folder_lock.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/records.h"
#include "common/run_error.h"

namespace corvane {

namespace {

constexpr const char* kInUseMark = "in use";

// The straight line through the two points round `speed` (clamped to the ends) for `value`.
template <typename Value>
double along(const Material& m, double speed, Value value) {
    const std::vector<KerfPoint>& p = m.points;
    if (speed <= p.front().speedMmS) return value(p.front());
    if (speed >= p.back().speedMmS) return value(p.back());
    std::size_t i = 1;
    while (p[i].speedMmS < speed) ++i;
    const double t = (speed - p[i - 1].speedMmS) / (p[i].speedMmS - p[i - 1].speedMmS);
    return value(p[i - 1]) + t * (value(p[i]) - value(p[i - 1]));
}

// A plain decimal number filling the whole text (1, 0.85, 1e3); nullopt for anything else.
std::optional<double> number(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.+-eE") != std::string_view::npos)
        return std::nullopt;
    const std::string s(text);
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

const Material* MaterialTable::find(std::string_view name) const {
    for (const Material& m : materials)
        if (m.name == name) return &m;
    return nullptr;
}

bool MaterialTable::put(Material m) {
    for (Material& old : materials) {
        if (old.name == m.name) {
            old = std::move(m);
            return true;
        }
    }
    materials.push_back(std::move(m));
    return false;
}

KerfAtSpeed kerfAt(const Material& m, double speedMmS) {
    KerfAtSpeed k;
    if (m.points.empty()) return k;
    k.outside = speedMmS < m.points.front().speedMmS || speedMmS > m.points.back().speedMmS;
    k.kerfMm = along(m, speedMmS, [](const KerfPoint& p) { return p.kerfMm; });
    return k;
}

std::optional<double> powerAt(const Material& m, double speedMmS) {
    if (m.points.empty()) return std::nullopt;
    for (const KerfPoint& p : m.points)
        if (!p.power) return std::nullopt;
    return along(m, speedMmS, [](const KerfPoint& p) { return *p.power; });
}

std::optional<KerfPoint> parseKerfPoint(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(
            text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    const std::optional<double> speed = number(parts[0]), kerf = number(parts[1]);
    if (!speed || !kerf || *speed <= 0 || *kerf < 0) return std::nullopt;
    KerfPoint p{*speed, *kerf, std::nullopt};
    if (parts.size() == 3) {
        p.power = number(parts[2]);
        if (!p.power || *p.power < 0) return std::nullopt;
    }
    return p;
}

std::optional<Material> makeMaterial(const std::string& name, std::vector<KerfPoint> points,
                                     std::string& why) {
    if (name.find_first_not_of(' ') == std::string::npos) {
        why = "a material needs a name";
        return std::nullopt;
    }
    if (name.find('"') != std::string::npos) {
        why = "a material's name cannot hold a double quotation mark";
        return std::nullopt;
    }
    if (points.size() < 2) {
        why = "a material needs at least two measured points (speed:kerf), it has " +
              std::to_string(points.size());
        return std::nullopt;
    }
    std::sort(points.begin(), points.end(),
              [](const KerfPoint& a, const KerfPoint& b) { return a.speedMmS < b.speedMmS; });
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (points[i].speedMmS == points[i - 1].speedMmS) {
            why = "the speed " + formatDouble(points[i].speedMmS) + " mm/s is given twice";
            return std::nullopt;
        }
    }
    return Material{name, std::move(points)};
}

std::string materialsFileText(const MaterialTable& table) {
    RecordWriter w;
    w.text(kInUseMark).text(table.inUse).endLine();
    for (const Material& m : table.materials) {
        w.text(m.name).integer(static_cast<long long>(m.points.size()));
        for (const KerfPoint& p : m.points) {
            w.number(p.speedMmS).number(p.kerfMm).text(p.power ? formatDouble(*p.power) : "");
        }
        w.endLine();
    }
    return w.bytes();
}

MaterialTable parseMaterials(std::string_view bytes) {
    MaterialTable table;
    RecordReader in(bytes);
    if (in.atEnd()) return table;
    if (in.next().asText() != kInUseMark)
        throw RunError(ErrorNumber::TypeMismatch, "materials.txt does not begin with \"in use\"");
    table.inUse = in.atEnd() ? std::string() : in.next().asText();
    while (!in.atEnd()) {
        Material m;
        m.name = in.next().asText();
        try {
            const double count = in.next().asNumber();
            if (count < 0 || count > 1000 || count != std::floor(count))
                throw RunError(ErrorNumber::TypeMismatch);
            for (int i = 0; i < static_cast<int>(count); ++i) {
                KerfPoint p;
                p.speedMmS = in.next().asNumber();
                p.kerfMm = in.next().asNumber();
                const std::string power = in.next().asText();
                if (!power.empty()) p.power = leadingNumber(power);
                m.points.push_back(p);
            }
        } catch (const RunError& e) {
            throw RunError(ErrorNumber::TypeMismatch,
                           "materials.txt: the points of \"" + m.name + "\" cannot be read");
        }
        std::string why;
        std::optional<Material> checked = makeMaterial(m.name, m.points, why);
        if (!checked)
            throw RunError(ErrorNumber::TypeMismatch, "materials.txt: \"" + m.name + "\": " + why);
        table.materials.push_back(std::move(*checked));
    }
    return table;
}

MaterialTable readMaterials(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return {};
    return parseMaterials(readFileBytes(file));
}

void writeMaterials(const std::filesystem::path& file, const MaterialTable& table) {
    writeFileAtomic(file, materialsFileText(table));
}

MaterialTable updateMaterials(const std::filesystem::path& appFolder,
                              const std::function<bool(MaterialTable&)>& edit) {
    FolderLock lock(appFolder);
    const std::filesystem::path file = appFolder / kMaterialsFileName;
    MaterialTable table = readMaterials(file);
    if (edit(table)) writeMaterials(file, table);
    return table;
}

}  // namespace corvane
