// How a set remembers the speed it was made for and the kerf it was made with: behind the mark
// "made for" at the end of the DAT-information line (after a face set's numbers), the speed,
// the material's name, what the kerf came from, and the material's points as they were used, so
// the set can be checked and exported the same way after materials.txt has changed. Readers of
// the first eight fields (and of a face set's) stop before the mark.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/records.h"
#include "generate/materials.h"

namespace corvane {

inline constexpr const char* kMadeForMark = "made for";

enum class SetKerfSource {
    Settings,     // the settings' kerf (a face set's typed kerfs): no material
    Material,     // the material's kerf by speed
    Calibration,  // kerf 0 with each tooth at its own speed: the calibration comb
};

struct SetKerfRecord {
    double cutSpeedMmS = 0;  // the speed the set was made for
    std::string material;    // the material's name; empty for none
    SetKerfSource source = SetKerfSource::Settings;
    std::vector<KerfPoint> points;  // the material's points when the kerf came from them
    bool operator==(const SetKerfRecord&) const = default;
    // The material as it was used, when it was.
    std::optional<Material> usedMaterial() const;
};

// Appends the mark and the record's fields to the line being written.
void writeSetKerfFields(RecordWriter& w, const SetKerfRecord& record);

// The record behind the mark (searched from the ninth field on); nullopt for a set without one.
// `why` names what is wrong when the mark is there but what follows cannot be read (then
// nullopt too, with `why` not empty).
std::optional<SetKerfRecord> setKerfRecordFromFields(const std::vector<std::string>& fields,
                                                     std::string& why);

// Every field of a DAT-information file, for the readers of the record.
std::vector<std::string> allDatInfoFields(std::string_view fileBytes);

}  // namespace corvane
