// File names, the saved-set naming rule and the DAT-information line.
#include "generate/cut_set_layout.h"

#include "common/records.h"
#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

CutSetPaths workingSetPaths(const fs::path& appFolder) {
    return {appFolder / kStepFileName, appFolder / kCountFileName, appFolder / kDatInfoFileName};
}

fs::path withCutExtension(const fs::path& chosen) {
    if (chosen.empty() || chosen.has_extension()) return chosen;
    fs::path named = chosen;
    named += ".ct1";
    return named;
}

CutSetPaths savedSetPaths(const fs::path& chosenStepFile) {
    std::string name = chosenStepFile.filename().string();
    fs::path base = chosenStepFile;
    if (name.size() >= 4 && name[name.size() - 4] == '.') {
        base = chosenStepFile.parent_path() / name.substr(0, name.size() - 4);
    }
    fs::path count = base, datInfo = base;
    count += ".ct2";
    datInfo += ".ct3";
    return {chosenStepFile, count, datInfo};
}

bool pathFitsDatInfo(std::string_view path) {
    return path.find('"') == std::string_view::npos;
}

void writeWingDatInfoFields(RecordWriter& w, const WingDatInfo& info) {
    w.text(info.leftPath)
        .text(info.rightPath)
        .number(info.leftChord)
        .number(info.rightChord)
        .text(info.leftWashoutFlag)
        .text(info.rightWashoutFlag)
        .text(info.leftAngleText)
        .text(info.rightAngleText);
}

std::string wingDatInfoLine(const WingDatInfo& info) {
    RecordWriter w;
    writeWingDatInfoFields(w, info);
    w.endLine();
    return w.bytes();
}

std::string foamDatInfoLine(const std::string& leftPath, const std::string& rightPath,
                            double leftSize, double rightSize) {
    RecordWriter w;
    w.text(leftPath).text(rightPath).number(leftSize).number(rightSize).endLine();
    return w.bytes();
}

std::vector<std::string> readDatInfoFields(std::string_view fileBytes, std::size_t limit) {
    std::vector<std::string> fields;
    RecordReader reader(fileBytes);
    while (fields.size() < limit && !reader.atEnd()) {
        try {
            fields.push_back(reader.next().asText());
        } catch (const RunError&) {
            break;  // nothing more on the line: the caller judges the field count
        }
    }
    return fields;
}

std::optional<std::size_t> firstNonNumberLine(std::string_view bytes) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!bytes.empty() && blank(bytes.back())) bytes.remove_suffix(1);
    std::size_t lineNo = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        ++lineNo;
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        if (p < end && (*p == '-' || *p == '+')) ++p;
        const char* digits = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        bool ok = p > digits;
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
        if (p < end && *p != '\n') ok = false;
        if (!ok) return lineNo;
        if (p < end) ++p;  // the line end
    }
    return std::nullopt;
}

}  // namespace corvane
