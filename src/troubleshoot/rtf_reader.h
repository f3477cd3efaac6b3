// A small reader for the rich-text subset of the troubleshooter's explanation pages: paragraphs,
// bold, italic, font size, colour, alignment, \'xx bytes in the GBK code page and \uN. Anything
// else is skipped, so a page written by another editor still shows its text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A stretch of text with one look.
struct RtfRun {
    std::string text;  // UTF-8
    bool bold = false;
    bool italic = false;
    int halfPoints = 24;            // \fsN: the font size in half points (12 pt by default)
    std::optional<uint32_t> color;  // 0xRRGGBB from the colour table; none = the box's colour
};

struct RtfParagraph {
    enum class Align { Left, Center, Right };
    Align align = Align::Left;
    std::vector<RtfRun> runs;
    std::string text() const;  // the runs' text joined
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
};

// The document in `bytes`; nullopt when they are not rich text (no "{\rtf" at the start) or the
// groups do not close. `why` then says what is wrong, for the note shown instead of the page.
[[nodiscard]] std::optional<RtfDocument> parseRtf(std::string_view bytes,
                                                  std::string* why = nullptr);

}  // namespace corvane
