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
    }

    std::string text_;
    std::size_t pos_ = 0;
    bool pendingEmpty_ = false;
};

}  // namespace

std::string scriptFileBytes(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return utf8ToGbk(out);
}

void appendScriptLines(std::string_view fileBytes, std::vector<std::string>& lines) {
    ItemReader reader(decodeFileText(fileBytes));
    while (!reader.atEnd()) {
        std::string line = reader.next();
        const int needed = scriptItemsNeeded(line);
        if (needed < 0) continue;
        for (int k = 0; k < needed; ++k) line += "," + reader.next();
        lines.push_back(std::move(line));
    }
}

}  // namespace corvane
