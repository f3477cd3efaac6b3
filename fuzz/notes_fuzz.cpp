// Fuzz target: a notes file (*.fwn) as the notes window opens it. A note saved and opened again
// must come back unchanged, quotes, line ends and every character included: the file's text
// policy leaves nothing to a guess for what the program wrote itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/run_error.h"
#include "common/text_encoding.h"
#include "fuzz_support.h"
#include "shell/notes_file.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string note;
    try {
        note = readNotesFile(fuzz::bytesOf(data, size));
    } catch (const RunError&) {
        return 0;
    }
    fuzz::require(isValidUtf8(note), "a note read as text that is not UTF-8");
    // Whatever its characters, a note saved opens as the same note.
    fuzz::require(readNotesFile(notesFileBytes(note)) == note,
                  "a saved note opens as another note");
    return 0;
}
