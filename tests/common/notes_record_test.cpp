// The quoted record of a notes file: a quote inside the text is written doubled and read back as
// one, so any text survives a write and a read; files without such quotes read as before, and a
// quote that never closes gives the rest of the file.
#include <gtest/gtest.h>

#include <random>

#include "common/records.h"
#include "common/text_encoding.h"

namespace corvane {
namespace {

std::string written(std::string_view text) {
    RecordWriter writer;
    writer.textDoublingQuotes(text).endLine();
    return writer.bytes();
}

TEST(NotesRecord, AnyTextSurvivesAWriteAndARead) {
    const std::string cases[] = {"",
                                 "\"",
                                 "\"\"",
                                 "say \"hi\", then go",
                                 "ends with a quote\"",
                                 "\"starts\" with one",
                                 "line 1\r\n\r\n切割, \"泡沫\"\r\nlast,"};
    for (const std::string& text : cases) {
        const std::string bytes = written(text);
        RecordReader reader(bytes);
        EXPECT_EQ(reader.next(Quotes::DoubledIsOne).text, text) << bytes;
        EXPECT_TRUE(reader.atEnd());
    }
    EXPECT_EQ(written("a\"b, 切"), "\"a\"\"b, \xC7\xD0\"\r\n");

    // Random texts over the characters that matter.
    std::mt19937 random(18);
    const std::string pieces[] = {"\"", ",", "\r\n", "\n", " ", "a", "泡", "#TRUE#", "\"\""};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) text += pieces[random() % std::size(pieces)];
        RecordReader reader(written(text));
        EXPECT_EQ(reader.next(Quotes::DoubledIsOne).text, text);
    }
}

TEST(NotesRecord, OldFilesReadAsBeforeAndAnOpenQuoteRunsToTheEnd) {
    // Without a quote inside both rules agree; with a lone quote inside the text ends there.
    for (const char* file :
         {"\"plain note\"\r\n", "\"a, b\r\nc\"\r\n", "\"cut \"here\" no\"\r\n"}) {
        RecordReader plain(file);
        RecordReader doubled(file);
        EXPECT_EQ(doubled.next(Quotes::DoubledIsOne).text, plain.next().text) << file;
    }
    RecordReader open("\"never closed, \r\nsecond line");
    EXPECT_EQ(open.next(Quotes::DoubledIsOne).text, "never closed, \r\nsecond line");
    RecordReader openAfterDoubled("\"a\"\"b");
    EXPECT_EQ(openAfterDoubled.next(Quotes::DoubledIsOne).text, "a\"b");
}

}  // namespace
}  // namespace corvane
