// GBK/UTF-8 text and the comma-separated record reader and writer on the file shapes the
// program meets: settings lines, waypoint numbers spread over lines, blanks, odd line ends.
#include <gtest/gtest.h>

#include "common/records.h"
#include "common/run_error.h"
#include "common/text_encoding.h"

namespace corvane {
namespace {

const std::string kNotUsedGbk = "\xCE\xB4\xCA\xB9\xD3\xC3";  // 未使用 in GBK

TEST(TextEncoding, GbkAndUtf8BothWays) {
    EXPECT_EQ(gbkToUtf8(kNotUsedGbk + "     "), "未使用     ");
    EXPECT_EQ(utf8ToGbk("未使用     "), kNotUsedGbk + "     ");
    EXPECT_EQ(utf8ToGbk("设备设置"), "\xC9\xE8\xB1\xB8\xC9\xE8\xD6\xC3");
    EXPECT_EQ(gbkToUtf8("plain"), "plain");
    // Undecodable bytes and unencodable characters never stop a conversion.
    EXPECT_EQ(gbkToUtf8("a\xFF"
                        "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");
}

TEST(TextEncoding, FilesAreUtf8WhenValidElseGbk) {
    EXPECT_TRUE(isValidUtf8("未使用"));
    EXPECT_FALSE(isValidUtf8(kNotUsedGbk));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(isValidUtf8("\xE4\xBD"));      // cut short
    EXPECT_EQ(decodeFileText(kNotUsedGbk), "未使用");
    EXPECT_EQ(decodeFileText("未使用"), "未使用");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF"
                             "0,1"),
              "0,1");  // byte-order mark dropped
}

std::vector<RecordValue> readAll(std::string_view bytes) {
    RecordReader r(bytes);
    std::vector<RecordValue> values;
    while (!r.atEnd()) values.push_back(r.next());
    return values;
}

TEST(RecordReader, ReadsQuotedTextsBooleansAndNumbers) {
    auto v = readAll("0,#TRUE#,#FALSE#,\"0\",\"Pin 2\",\"" + kNotUsedGbk + "     \",-3.125\r\n");
    ASSERT_EQ(v.size(), 7u);
    EXPECT_EQ(v[0].kind, RecordValue::Kind::Number);
    EXPECT_EQ(v[1].kind, RecordValue::Kind::Boolean);
    EXPECT_TRUE(v[1].boolean);
    EXPECT_FALSE(v[2].boolean);
    EXPECT_EQ(v[3].kind, RecordValue::Kind::Text);
    EXPECT_TRUE(v[3].quoted);
    EXPECT_EQ(v[3].text, "0");
    EXPECT_EQ(v[4].text, "Pin 2");
    EXPECT_EQ(v[5].text, "未使用     ");
    EXPECT_DOUBLE_EQ(v[6].number, -3.125);
}

TEST(RecordReader, BlanksLinesAndLineEnds) {
    // Numbers spread over lines, blanks before values, LF-only and CR-only line ends, a blank
    // line, short forms and exponents.
    auto v = readAll("  .5, -.5\n1E-05,\t 12.5\r\r\n\n0,\"a, b\"  ,\"x\"junk,7\r");
    ASSERT_EQ(v.size(), 8u);
    EXPECT_DOUBLE_EQ(v[0].number, 0.5);
    EXPECT_DOUBLE_EQ(v[1].number, -0.5);
    EXPECT_DOUBLE_EQ(v[2].number, 1e-5);
    EXPECT_DOUBLE_EQ(v[3].number, 12.5);
    EXPECT_DOUBLE_EQ(v[4].number, 0);
    EXPECT_EQ(v[5].text, "a, b");  // a comma inside quotes belongs to the text
    EXPECT_EQ(v[6].text, "x");     // whatever follows the closing quote is dropped
    EXPECT_DOUBLE_EQ(v[7].number, 7);
}

TEST(RecordReader, EmptyValuesAndUnquotedTexts) {
    // A comma before a line end continues on the next line; two commas hold an empty value.
    auto v = readAll("1,,3,\r\nabc def  ,4,");
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[1].kind, RecordValue::Kind::Text);
    EXPECT_EQ(v[1].text, "");
    EXPECT_DOUBLE_EQ(v[1].asNumber(), 0);
    EXPECT_EQ(v[3].text, "abc def");
    EXPECT_DOUBLE_EQ(v[4].number, 4);
    RecordReader r("4,");
    r.next();
    EXPECT_EQ(r.next().text, "");  // the value after a comma at the very end
    EXPECT_THROW(r.next(), RunError);
}

TEST(RecordReader, PastTheEndIsAnError) {
    RecordReader r("1,2\r\n\r\n");
    r.next();
    r.next();
    EXPECT_TRUE(r.atEnd());
    try {
        r.next();
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 62);
    }
}

TEST(RecordReader, LineInputTakesWholeLines) {
    RecordReader r("first line, with comma\r\nsecond\nthird");
    EXPECT_EQ(r.nextLine(), "first line, with comma");
    EXPECT_EQ(r.nextLine(), "second");
    EXPECT_EQ(r.nextLine(), "third");
    EXPECT_THROW(r.nextLine(), RunError);
}

TEST(RecordValue, ConversionsOfFields) {
    RecordValue text{RecordValue::Kind::Text, "abc", false, 0, true};
    EXPECT_THROW(text.asNumber(), RunError);
    EXPECT_THROW(text.asBoolean(), RunError);
    RecordValue numericText{RecordValue::Kind::Text, "12.5", false, 0, true};
    EXPECT_DOUBLE_EQ(numericText.asNumber(), 12.5);
    RecordValue number{RecordValue::Kind::Number, "0.5", false, 0.5, false};
    EXPECT_EQ(number.asText(), "0.5");
    EXPECT_TRUE(number.asBoolean());
    RecordValue yes{RecordValue::Kind::Boolean, "#TRUE#", true, 0, false};
    EXPECT_EQ(yes.asText(), "True");
    EXPECT_DOUBLE_EQ(yes.asNumber(), -1);
}

TEST(RecordWriter, WritesCommaSeparatedGbkLines) {
    RecordWriter w;
    w.integer(0).boolean(true).boolean(false).text("未使用     ").number(0.5).single(-3.125f);
    w.endLine().single(1e-5f).endLine();
    EXPECT_EQ(w.bytes(), "0,#TRUE#,#FALSE#,\"" + kNotUsedGbk + "     \",0.5,-3.125\r\n1E-05\r\n");
}

TEST(RecordWriter, TextsGbkCannotHoldGoOutInUtf8AndReadBackExactly) {
    EXPECT_TRUE(gbkCanHold("/home/翼型/a?b.dat"));
    EXPECT_FALSE(gbkCanHold("/home/Größe/a.dat"));
    EXPECT_FALSE(gbkCanHold("\xFF"));
    const std::string path = "/home/Größe 翼型/root.dat";
    const std::string line = RecordWriter().text(path).number(2.5).endLine().bytes();
    EXPECT_EQ(line, "\xEF\xBB\xBF\"" + path + "\",2.5\r\n");
    RecordReader reader(line);
    EXPECT_EQ(reader.next().asText(), path);
}

TEST(RecordWriter, QuoteInsideATextCannotShiftTheLaterValues) {
    RecordWriter w;
    w.text("say \"hi\", ok").integer(5).endLine();
    auto v = readAll(w.bytes());
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].text, "say 'hi', ok");
    EXPECT_DOUBLE_EQ(v[1].number, 5);
}

}  // namespace
}  // namespace corvane
