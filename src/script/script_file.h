// The script file: one line of text per script line, CR LF ended, in the files' text policy.
// Loading reads items across commas and line ends and rebuilds each instruction's line from its
// keyword and the items it needs, so a hand-typed file with odd line breaks still loads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_error.h"

namespace corvane {

// An item of the file that is no keyword and so was not loaded, with the file line it stands on.
struct SkippedItem {
    int fileLine = 0;  // 1-based
    std::string item;
};

// What a file gave: the instruction lines, the file line each starts on, everything skipped,
// and the error that ended the read early (the lines before it are kept).
struct ScriptLoad {
    std::vector<std::string> lines;
    std::vector<int> fileLines;  // 1-based, one per entry of `lines`
    std::vector<SkippedItem> skipped;
    std::optional<RunError> error;  // InputPastEndOfFile: the file ended inside an instruction
};

// Reads every instruction of the file; never throws for the file's contents. Empty items (a
// blank line, a trailing comma) are not counted as skipped: they hold nothing to lose.
ScriptLoad readScriptFile(std::string_view fileBytes);

// The skipped items as text, one line per file line: `file line 4: "Move", "x"`.
std::vector<std::string> skippedItemLines(const std::vector<SkippedItem>& skipped);

// The file's bytes for `lines`: each line unchanged, CR LF after each (ASCII, GBK or UTF-8).
std::string scriptFileBytes(const std::vector<std::string>& lines);

// Appends the file's instruction lines to `lines`. Items keep every character (blanks too),
// except that an item in double quotes loses its quotes; an item that is no keyword is skipped.
// RunError InputPastEndOfFile when the file ends inside an instruction: the lines read before
// it are already appended.
void appendScriptLines(std::string_view fileBytes, std::vector<std::string>& lines);

}  // namespace corvane
