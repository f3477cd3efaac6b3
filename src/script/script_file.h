// The script file: one line of text per script line, CR LF ended, GBK (read as GBK or UTF-8).
// Loading reads items across commas and line ends and rebuilds each instruction's line from its
// keyword and the items it needs, so a hand-typed file with odd line breaks still loads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The file's bytes for `lines`: each line unchanged, CR LF after each, GBK.
std::string scriptFileBytes(const std::vector<std::string>& lines);

// Appends the file's instruction lines to `lines`. Items keep every character (blanks too),
// except that an item in double quotes loses its quotes; an item that is no keyword is skipped.
// RunError InputPastEndOfFile when the file ends inside an instruction: the lines read before
// it are already appended.
void appendScriptLines(std::string_view fileBytes, std::vector<std::string>& lines);

}  // namespace corvane
