#include "shell/notes_file.h"

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
    RecordReader reader(bytes);
    if (reader.atEnd()) throw RunError(ErrorNumber::InputPastEndOfFile);
    const std::string text = decodeFileText(bytes);
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (text[first] != '"') return text;
    return reader.next(Quotes::DoubledIsOne).text;
}

}  // namespace corvane
