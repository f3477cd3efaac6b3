// The "made for" fields of the DAT-information line.
#include "generate/set_kerf_record.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>

#include "common/number_format.h"
#include "common/number_text.h"
#include "generate/cut_set_layout.h"

namespace corvane {

namespace {

const char* sourceWord(SetKerfSource s) {
    switch (s) {
        case SetKerfSource::Material:
            return "material";
        case SetKerfSource::Calibration:
            return "calibration";
        case SetKerfSource::Settings:
            break;
    }
    return "settings";
}

// A material has at most this many points (materials.txt's own limit).
constexpr double kMostPoints = 1000;

}  // namespace

std::optional<Material> SetKerfRecord::usedMaterial() const {
    if (source != SetKerfSource::Material || points.empty()) return std::nullopt;
    return Material{material, points};
}

void writeSetKerfFields(RecordWriter& w, const SetKerfRecord& r) {
    w.text(kMadeForMark).number(r.cutSpeedMmS).text(r.material).text(sourceWord(r.source));
    w.integer(static_cast<long long>(r.points.size()));
    for (const KerfPoint& p : r.points)
        w.number(p.speedMmS).number(p.kerfMm).text(p.power ? formatDouble(*p.power) : "");
}

std::optional<SetKerfRecord> setKerfRecordFromFields(const std::vector<std::string>& fields,
                                                     std::string& why) {
    if (fields.size() < 9) return std::nullopt;
    const auto mark = std::find(fields.begin() + 8, fields.end(), kMadeForMark);
    if (mark == fields.end()) return std::nullopt;
    std::size_t i = static_cast<std::size_t>(mark - fields.begin()) + 1;
    auto field = [&]() -> const std::string& {
        if (i >= fields.size())
            throw std::runtime_error("the line ends at field " + std::to_string(i));
        return fields[i++];
    };
    SetKerfRecord r;
    try {
        r.cutSpeedMmS = leadingNumber(field());
        r.material = field();
        const std::string source = field();
        if (source == "material")
            r.source = SetKerfSource::Material;
        else if (source == "calibration")
            r.source = SetKerfSource::Calibration;
        else if (source != "settings")
            throw std::runtime_error("\"" + source + "\" names no source of a kerf");
        const double count = leadingNumber(field());
        if (count < 0 || count > kMostPoints || count != std::floor(count))
            throw std::runtime_error(std::to_string(count) + " points");
        for (int k = 0; k < static_cast<int>(count); ++k) {
            KerfPoint p;
            p.speedMmS = leadingNumber(field());
            p.kerfMm = leadingNumber(field());
            const std::string power = field();
            if (!power.empty()) p.power = leadingNumber(power);
            r.points.push_back(p);
        }
    } catch (const std::exception& e) {
        why = "the set's \"made for\" record cannot be read (" + std::string(e.what()) + ")";
        return std::nullopt;
    }
    return r;
}

std::vector<std::string> allDatInfoFields(std::string_view fileBytes) {
    return readDatInfoFields(fileBytes, SIZE_MAX);
}

}  // namespace corvane
