#include "script/script_file.h"

#include "common/run_error.h"
#include "common/text_encoding.h"
#include "script/script_language.h"

namespace corvane {

namespace {

// Items separated by commas or line ends (CR LF, LF or CR alone).
class ItemReader {
public:
    explicit ItemReader(std::string text) : text_(std::move(text)) {
        if (text_.rfind("\xEF\xBB\xBF", 0) == 0) pos_ = 3;  // an editor's byte-order mark
    }

    // No item left: the end of the text, where a last line end closes the last item.
    bool atEnd() const { return pos_ >= text_.size() && !pendingEmpty_; }

    // The 1-based file line of the item next() returns next.
    int line() const { return line_; }

    std::string next() {
        if (atEnd()) throw RunError(ErrorNumber::InputPastEndOfFile);
        pendingEmpty_ = false;
        std::string item;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const std::size_t close = text_.find('"', pos_ + 1);
            const std::size_t lineEnd = text_.find_first_of("\r\n", pos_ + 1);
            if (close != std::string::npos && (lineEnd == std::string::npos || close < lineEnd)) {
                item = text_.substr(pos_ + 1, close - pos_ - 1);
                pos_ = close + 1;
                // Whatever stands between the closing quote and the separator is dropped.
                const std::size_t sep = text_.find_first_of(",\r\n", pos_);
                pos_ = sep == std::string::npos ? text_.size() : sep;
                skipSeparator();
                return item;
            }
        }
        const std::size_t sep = text_.find_first_of(",\r\n", pos_);
        const std::size_t end = sep == std::string::npos ? text_.size() : sep;
        item = text_.substr(pos_, end - pos_);
        pos_ = end;
        skipSeparator();
        return item;
    }

private:
    void skipSeparator() {
        if (pos_ >= text_.size()) return;
        if (text_[pos_] == ',') {
            ++pos_;
            // A comma at the very end still ends an (empty) item.
            pendingEmpty_ = pos_ >= text_.size();
            return;
        }
        if (text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        ++line_;
    }

    std::string text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool pendingEmpty_ = false;
};

}  // namespace

std::string scriptFileBytes(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return encodeFileText(out);
}

ScriptLoad readScriptFile(std::string_view fileBytes) {
    ScriptLoad load;
    ItemReader reader(decodeFileText(fileBytes));
    while (!reader.atEnd()) {
        const int fileLine = reader.line();
        std::string line = reader.next();
        const int needed = scriptItemsNeeded(line);
        if (needed < 0) {
            if (line.find_first_not_of(" \t") != std::string::npos)
                load.skipped.push_back({fileLine, std::move(line)});
            continue;
        }
        try {
            for (int k = 0; k < needed; ++k) line += "," + reader.next();
        } catch (const RunError& e) {
            load.error = e;
            break;
        }
        load.lines.push_back(std::move(line));
        load.fileLines.push_back(fileLine);
    }
    return load;
}

std::vector<std::string> skippedItemLines(const std::vector<SkippedItem>& skipped) {
    std::vector<std::string> out;
    int currentLine = 0;
    for (const SkippedItem& s : skipped) {
        if (s.fileLine != currentLine) {
            out.push_back("file line " + std::to_string(s.fileLine) + ": ");
            currentLine = s.fileLine;
        } else {
            out.back() += ", ";
        }
        out.back() += "\"" + s.item + "\"";
    }
    return out;
}

void appendScriptLines(std::string_view fileBytes, std::vector<std::string>& lines) {
    ScriptLoad load = readScriptFile(fileBytes);
    lines.insert(lines.end(), load.lines.begin(), load.lines.end());
    if (load.error) throw *load.error;
}

}  // namespace corvane
