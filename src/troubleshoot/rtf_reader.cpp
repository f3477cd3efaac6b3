// One pass over the bytes with a stack of character states, one per open group. Text bytes
// (plain and \'xx) collect undecoded until the look changes, then go through GBK as one run,
// so a two-byte character split into two \'xx escapes decodes whole.
#include "troubleshoot/rtf_reader.h"

#include <algorithm>
#include <cctype>

#include "common/text_encoding.h"

namespace corvane {

std::string RtfParagraph::text() const {
    std::string out;
    for (const RtfRun& run : runs) out += run.text;
    return out;
}

namespace {

constexpr size_t kMaxDepth = 2000;

enum class Destination { Text, Skip, ColorTable };

struct CharState {
    bool bold = false;
    bool italic = false;
    int halfPoints = 24;
    int colorIndex = 0;
    int unicodeSkip = 1;  // \ucN: fallback characters that follow a \uN
    Destination dest = Destination::Text;
};

bool isSkippedDestination(std::string_view word) {
    static const std::string_view kSkipped[] = {"fonttbl",
                                                "stylesheet",
                                                "info",
                                                "pict",
                                                "header",
                                                "footer",
                                                "headerl",
                                                "headerr",
                                                "headerf",
                                                "footerl",
                                                "footerr",
                                                "footerf",
                                                "footnote",
                                                "object",
                                                "fldinst",
                                                "listtable",
                                                "listoverridetable",
                                                "rsidtbl",
                                                "generator",
                                                "xmlnstbl",
                                                "themedata",
                                                "colorschememapping",
                                                "latentstyles",
                                                "datastore",
                                                "filetbl",
                                                "revtbl",
                                                "pntext",
                                                "pntxtb",
                                                "pntxta"};
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    explicit Parser(std::string_view in) : in_(in) {}

    std::optional<RtfDocument> run(std::string* why) {
        auto fail = [why](const char* reason) -> std::optional<RtfDocument> {
            if (why) *why = reason;
            return std::nullopt;
        };
        if (in_.substr(0, 5) != "{\\rtf") return fail("it is not a rich-text file");
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                flush();
                if (stack_.size() >= kMaxDepth) return fail("its groups are nested too deeply");
                stack_.push_back(state_);
                skipFallback_ = 0;
            } else if (c == '}') {
                flush();
                if (state_.dest == Destination::ColorTable) endColor();
                if (stack_.empty()) return fail("it closes a group it never opened");
                state_ = stack_.back();
                stack_.pop_back();
                skipFallback_ = 0;
                if (stack_.empty()) break;  // the document's own group has closed
            } else if (c == '\\') {
                controlWord();
            } else if (c == '\r' || c == '\n') {
                // Line ends in the file carry no meaning.
            } else {
                textByte(c);
            }
        }
        if (!stack_.empty()) return fail("it ends before its groups close");
        endParagraph(false);
        return std::move(doc_);
    }

private:
    void textByte(char c) {
        if (state_.dest == Destination::ColorTable) {
            if (c == ';') endColor();
            return;
        }
        if (state_.dest != Destination::Text) return;
        if (skipFallback_ > 0) {
            --skipFallback_;
            return;
        }
        raw_ += c;
    }

    void endColor() {
        colors_.push_back(colorSet_ ? std::optional<uint32_t>(static_cast<uint32_t>(
                                          (red_ << 16) | (green_ << 8) | blue_))
                                    : std::nullopt);
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
    }

    // The collected bytes become text of the current look.
    void flush() {
        if (raw_.empty()) return;
        appendText(gbkToUtf8(raw_));
        raw_.clear();
    }

    void appendText(const std::string& utf8) {
        if (utf8.empty()) return;
        RtfRun look;
        look.bold = state_.bold;
        look.italic = state_.italic;
        look.halfPoints = state_.halfPoints;
        if (state_.colorIndex > 0 && static_cast<size_t>(state_.colorIndex) < colors_.size())
            look.color = colors_[static_cast<size_t>(state_.colorIndex)];
        auto& runs = paragraph_.runs;
        if (!runs.empty() && runs.back().bold == look.bold && runs.back().italic == look.italic &&
            runs.back().halfPoints == look.halfPoints && runs.back().color == look.color) {
            runs.back().text += utf8;
            return;
        }
        look.text = utf8;
        runs.push_back(std::move(look));
    }

    void endParagraph(bool always) {
        flush();
        if (always || !paragraph_.runs.empty()) doc_.paragraphs.push_back(paragraph_);
        paragraph_.runs.clear();
    }

    void symbol(const char* utf8) {
        if (state_.dest != Destination::Text) return;
        flush();
        appendText(utf8);
    }

    void controlWord() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            switch (c) {
                case '\\':
                case '{':
                case '}':
                    textByte(c);
                    return;
                case '\'': {
                    const int hi = pos_ < in_.size() ? hexValue(in_[pos_]) : -1;
                    const int lo = pos_ + 1 < in_.size() ? hexValue(in_[pos_ + 1]) : -1;
                    if (hi < 0 || lo < 0) return;
                    pos_ += 2;
                    textByte(static_cast<char>(hi * 16 + lo));
                    return;
                }
                case '*':
                    flush();
                    state_.dest = Destination::Skip;
                    return;
                case '~':
                    symbol("\u00a0");
                    return;
                case '_':
                    symbol("-");
                    return;
                case '\r':
                case '\n':
                    if (state_.dest == Destination::Text) endParagraph(true);
                    return;
                default:
                    return;  // \- and other symbols show nothing
            }
        }
        const size_t start = pos_;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_]))) ++pos_;
        const std::string_view word = in_.substr(start, pos_ - start);
        bool hasParam = false;
        bool negative = false;
        long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
            hasParam = true;
            if (param < 100'000'000) param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (negative) param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        apply(word, hasParam, param);
    }

    void apply(std::string_view word, bool hasParam, long param) {
        if (state_.dest == Destination::ColorTable) {
            const int value = static_cast<int>(std::clamp(param, 0L, 255L));
            if (word == "red") red_ = value;
            if (word == "green") green_ = value;
            if (word == "blue") blue_ = value;
            colorSet_ = colorSet_ || word == "red" || word == "green" || word == "blue";
            return;
        }
        if (state_.dest == Destination::Skip) return;
        if (word == "colortbl") {
            flush();
            state_.dest = Destination::ColorTable;
            colors_.clear();
            return;
        }
        if (isSkippedDestination(word)) {
            flush();
            state_.dest = Destination::Skip;
            return;
        }
        if (word == "u") {
            flush();
            appendUtf8(utf8Scratch_, static_cast<uint32_t>(param < 0 ? param + 65536 : param));
            appendText(utf8Scratch_);
            utf8Scratch_.clear();
            skipFallback_ = state_.unicodeSkip;
            return;
        }
        skipFallback_ = 0;
        const bool on = !hasParam || param != 0;
        if (word == "par") {
            endParagraph(true);
        } else if (word == "pard") {
            paragraph_.align = RtfParagraph::Align::Left;
        } else if (word == "ql" || word == "qj") {
            paragraph_.align = RtfParagraph::Align::Left;
        } else if (word == "qc") {
            paragraph_.align = RtfParagraph::Align::Center;
        } else if (word == "qr") {
            paragraph_.align = RtfParagraph::Align::Right;
        } else if (word == "line") {
            symbol("\n");
        } else if (word == "tab") {
            symbol("\t");
        } else if (word == "emdash") {
            symbol("\u2014");
        } else if (word == "endash") {
            symbol("\u2013");
        } else if (word == "bullet") {
            symbol("\u2022");
        } else if (word == "lquote") {
            symbol("\u2018");
        } else if (word == "rquote") {
            symbol("\u2019");
        } else if (word == "ldblquote") {
            symbol("\u201c");
        } else if (word == "rdblquote") {
            symbol("\u201d");
        } else {
            flush();
            if (word == "b") {
                state_.bold = on;
            } else if (word == "i") {
                state_.italic = on;
            } else if (word == "fs") {
                state_.halfPoints =
                    hasParam && param > 0 ? static_cast<int>(std::min(param, 3276L)) : 24;
            } else if (word == "cf") {
                state_.colorIndex = static_cast<int>(std::clamp(param, 0L, 100000L));
            } else if (word == "uc") {
                state_.unicodeSkip = static_cast<int>(std::clamp(param, 0L, 16L));
            } else if (word == "plain") {
                state_.bold = false;
                state_.italic = false;
                state_.halfPoints = 24;
                state_.colorIndex = 0;
            }
        }
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<CharState> stack_;
    CharState state_;
    RtfDocument doc_;
    RtfParagraph paragraph_;
    std::string raw_;
    std::string utf8Scratch_;
    int skipFallback_ = 0;
    std::vector<std::optional<uint32_t>> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
};

}  // namespace

std::optional<RtfDocument> parseRtf(std::string_view bytes, std::string* why) {
    return Parser(bytes).run(why);
}

}  // namespace corvane
