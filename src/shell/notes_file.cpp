#include "shell/notes_file.h"

#include <algorithm>
#include <cctype>

#include "common/records.h"
#include "common/run_error.h"
#include "common/text_encoding.h"

namespace corvane {

std::string notesFileBytes(std::string_view noteUtf8) {
    RecordWriter writer;
    writer.textDoublingQuotes(noteUtf8).endLine();
    return writer.bytes();
}

std::string readNotesFile(std::string_view bytes) {
    return readNotesFile(bytes, std::filesystem::path());
}

std::string readNotesFile(std::string_view bytes, const std::filesystem::path& folder) {
    RecordReader reader(bytes, folder);
    if (reader.atEnd()) throw RunError(ErrorNumber::InputPastEndOfFile);
    const std::string text = decodeFolderFileText(bytes, folder);
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (text[first] != '"') return text;
    return reader.next(Quotes::DoubledIsOne).text;
}

bool isProgramFileName(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::string_view kNames[] = {
        "settings.txt",     "waypoint.txt", "temp_cut.txt",     "temp_cut_cnt.txt",
        "temp_datinfo.txt", "corvane.hlp",  "script_help.html", "startppt.rtf",
        "xforwardppt.rtf",  "xbackppt.rtf", "yupppt.rtf",       "ydownppt.rtf",
        "corvane",          "corvane-cli",  "portscope",        "portscope.exe"};
    for (std::string_view n : kNames)
        if (lower == n) return true;
    // Cut-file sets (the working one included) and help files, whatever their base name.
    static constexpr std::string_view kExtensions[] = {".ct1", ".ct2", ".ct3", ".hlp"};
    for (std::string_view ext : kExtensions)
        if (lower.size() >= ext.size() && lower.ends_with(ext)) return true;
    return false;
}

}  // namespace corvane
