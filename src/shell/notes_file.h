// The notes file (*.fwn): the whole note as one quoted record, CR LF line ends inside it, in the
// files' text policy (ASCII, GBK, or UTF-8 with a byte-order mark).
// A quote of the note is written doubled so that the rest of the note survives it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

// The file's bytes for a note (UTF-8, line ends as CR LF).
std::string notesFileBytes(std::string_view noteUtf8);

// The note a file holds (GBK or UTF-8): the first quoted record, or up to the end when its quote
// never closes; a file that does not start with a quote (a plain text file) is taken whole.
// RunError InputPastEndOfFile for a file with nothing in it but blanks and line ends.
std::string readNotesFile(std::string_view bytes);
// The same for a file of `folder`, whose other files decide a note GBK and UTF-8 both read.
std::string readNotesFile(std::string_view bytes, const std::filesystem::path& folder);

// A name a note must not take in the application folder: the program's own files (settings,
// waypoints, the working set and its templates, saved sets by their extensions, the help and
// troubleshooter pages, the programs themselves). Letter case does not count.
bool isProgramFileName(std::string_view name);

}  // namespace corvane
