// The explanation pages' rich-text reader: the looks it keeps (bold, italic, size, colour,
// alignment), the characters it decodes (\'xx in GBK, \uN with its fallback, escapes), what it
// skips, the files it refuses, and the five shipped pages.
#include "troubleshoot/rtf_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "support/test_support.h"
#include "troubleshoot/port_troubleshooter.h"

namespace corvane {
namespace {

RtfDocument parsed(std::string_view rtf) {
    std::string why;
    std::optional<RtfDocument> doc = parseRtf(rtf, &why);
    EXPECT_TRUE(doc.has_value()) << why << " in " << rtf;
    return doc.value_or(RtfDocument{});
}

TEST(RtfReader, RunsKeepBoldItalicSizeAndColour) {
    const RtfDocument doc = parsed(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;"
        "\\red0\\green128\\blue0;}\n\\pard\\qc\\b\\fs32 Title\\b0\\fs20\\par\n"
        "\\pard plain {\\i slanted} {\\cf1 red} \\cf2 green\\cf0  {\\b\\i\\fs28 both}\\par}");
    ASSERT_EQ(doc.paragraphs.size(), 2u);
    const RtfParagraph& title = doc.paragraphs[0];
    EXPECT_EQ(title.align, RtfParagraph::Align::Center);
    ASSERT_EQ(title.runs.size(), 1u);
    EXPECT_EQ(title.runs[0].text, "Title");
    EXPECT_TRUE(title.runs[0].bold);
    EXPECT_EQ(title.runs[0].halfPoints, 32);

    const RtfParagraph& body = doc.paragraphs[1];
    EXPECT_EQ(body.align, RtfParagraph::Align::Left);
    EXPECT_EQ(body.text(), "plain slanted red green both");
    struct Expected {
        const char* text;
        bool bold, italic;
        int halfPoints;
        std::optional<uint32_t> color;
    };
    const Expected runs[] = {
        {"plain ", false, false, 20, std::nullopt}, {"slanted", false, true, 20, std::nullopt},
        {" ", false, false, 20, std::nullopt},      {"red", false, false, 20, 0xFF0000u},
        {" ", false, false, 20, std::nullopt},      {"green", false, false, 20, 0x008000u},
        {" ", false, false, 20, std::nullopt},      {"both", true, true, 28, std::nullopt}};
    ASSERT_EQ(body.runs.size(), std::size(runs));
    for (size_t k = 0; k < std::size(runs); ++k) {
        SCOPED_TRACE(runs[k].text);
        EXPECT_EQ(body.runs[k].text, runs[k].text);
        EXPECT_EQ(body.runs[k].bold, runs[k].bold);
        EXPECT_EQ(body.runs[k].italic, runs[k].italic);
        EXPECT_EQ(body.runs[k].halfPoints, runs[k].halfPoints);
        EXPECT_EQ(body.runs[k].color, runs[k].color);
    }
}

TEST(RtfReader, DecodesGbkEscapesUnicodeAndSymbolsAndSkipsHiddenGroups) {
    const struct {
        const char* rtf;
        const char* text;
    } cases[] = {
        {"{\\rtf1 \\'c4\\'e3\\'ba\\'c3}", "你好"},        // GBK pairs
        {"{\\rtf1 a\\u20320?b}", "a你b"},                 // fallback '?' skipped
        {"{\\rtf1\\uc2 \\u-3913 xyz}", "\xEF\x82\xB7z"},  // negative, two fallbacks
        {"{\\rtf1 \\{x\\}\\\\y}", "{x}\\y"},
        {"{\\rtf1 a\\tab b\\line c\\emdash d}",
         "a\tb\nc\xE2\x80\x94"
         "d"},
        {"{\\rtf1{\\*\\generator Writer;}{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}ok}", "ok"},
        {"{\\rtf1 line\r\nend}", "lineend"},
    };
    for (const auto& c : cases) {
        const RtfDocument doc = parsed(c.rtf);
        ASSERT_EQ(doc.paragraphs.size(), 1u) << c.rtf;
        EXPECT_EQ(doc.paragraphs[0].text(), c.text) << c.rtf;
    }
    // Empty paragraphs stay: a blank line between two blocks of text.
    EXPECT_EQ(parsed("{\\rtf1 a\\par\\par b\\par}").paragraphs.size(), 3u);
}

TEST(RtfReader, RefusesWhatIsNotAWholeRichTextFile) {
    const std::string deep = "{\\rtf1 " + std::string(5000, '{');
    const std::string cases[] = {"", "plain text", "{\\rtf1 never closed", "}{\\rtf1 a}", deep};
    for (const std::string& bytes : cases) {
        std::string why;
        EXPECT_FALSE(parseRtf(bytes, &why).has_value()) << bytes.substr(0, 30);
        EXPECT_FALSE(why.empty());
    }
    // Random bytes after a valid start never crash the reader.
    std::mt19937 random(16);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = "{\\rtf1 ";
        const int length = static_cast<int>(random() % 400);
        const char alphabet[] = "{}\\'uc0123456789abfsicfparx -;\xC4\xE3\r\n";
        for (int k = 0; k < length; ++k) bytes += alphabet[random() % (sizeof alphabet - 1)];
        (void)parseRtf(bytes);
    }
}

TEST(RtfReader, EachShippedPageLoadsWithItsLooksAndThisMachinesPins) {
    SettingsFields fields;
    fields.resetDefaults();
    for (const char* name :
         {"startppt.rtf", "xforwardppt.rtf", "xbackppt.rtf", "yupppt.rtf", "ydownppt.rtf"}) {
        SCOPED_TRACE(name);
        const std::string bytes = test::readFile(std::filesystem::path(CORVANE_RESOURCES) / name);
        std::optional<RtfDocument> page = parseRtf(bytes);
        ASSERT_TRUE(page.has_value());
        fillPinNames(*page, fields);
        bool bold = false, italic = false, big = false, red = false, green = false, chinese = false,
             placeholder = false, pin = false;
        for (const RtfParagraph& p : page->paragraphs) {
            for (const RtfRun& run : p.runs) {
                bold = bold || run.bold;
                italic = italic || run.italic;
                big = big || run.halfPoints > 24;
                red = red || run.color == 0xC00000u;
                green = green || run.color == 0x007800u;
                chinese = chinese || run.text.find("设备设置") != std::string::npos;
                placeholder = placeholder || run.text.find("_step%") != std::string::npos;
                pin = pin || run.text.find("Pin ") != std::string::npos;
            }
        }
        EXPECT_TRUE(bold && italic && big && red && green && chinese && pin);
        EXPECT_FALSE(placeholder);
        EXPECT_EQ(page->paragraphs.front().align, RtfParagraph::Align::Center);
    }
}

}  // namespace
}  // namespace corvane
