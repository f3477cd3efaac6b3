// The script file: what Save writes, what Load reads back (the program's own files, hand-typed
// UTF-8 files, quoted items, odd line breaks) and what a broken file leaves in the list.
#include "script/script_file.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "common/text_encoding.h"
#include "script/script_language.h"

namespace corvane {
namespace {

const std::string F = kDirForward, B = kDirBack, D = kDirDown, U = kDirUp;

TEST(ScriptFile, SaveWritesGbkCrLfAndLoadGivesTheSameLinesBack) {
    const std::vector<std::string> lines = {
        "move,x," + F + ",3",
        "move,y1," + U + ",0.5",
        "speed,2",
        "angle,x," + B + ",10,y," + D + ",4",
        "pause,500",
        "cut,/home/op/sets/wing 1.ct1",
        "move, x ," + F + ",3",  // not a valid line, but load must keep its blanks
    };
    const std::string bytes = scriptFileBytes(lines);
    EXPECT_EQ(bytes.rfind(utf8ToGbk("move,x," + F + ",3\r\nmove,y1,"), 0), 0u);
    EXPECT_FALSE(isValidUtf8(bytes));  // GBK, not UTF-8
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

    std::vector<std::string> loaded;
    appendScriptLines(bytes, loaded);
    EXPECT_EQ(loaded, lines);
    // Loading appends after what the list holds.
    appendScriptLines(bytes, loaded);
    ASSERT_EQ(loaded.size(), 2 * lines.size());
    EXPECT_EQ(loaded[lines.size()], lines[0]);
}

TEST(ScriptFile, HandTypedUtf8QuotesAndLineBreaksInsideAnInstruction) {
    // UTF-8 with LF ends, a byte-order mark, quoted items, an instruction split over two lines
    // (a line end ends an item as a comma does),
    // blank lines, extra items and words that are no keyword.
    const std::string text =
        "\xEF\xBB\xBF"
        "move,x," +
        F + ",3\n\n" +
        "\"speed\",\"2\"\n"
        "angle,x," +
        B + ",10\ny," + D +
        ",4\n"
        "comment line\n"
        "pause,5,ignored\n"
        "cut,\"/sets/a,b.ct1\" \n";
    std::vector<std::string> loaded;
    appendScriptLines(text, loaded);
    EXPECT_EQ(loaded, (std::vector<std::string>{"move,x," + F + ",3", "speed,2",
                                                "angle,x," + B + ",10,y," + D + ",4", "pause,5",
                                                "cut,/sets/a,b.ct1"}));
}

TEST(ScriptFile, AnInstructionCutShortByTheEndKeepsTheLinesBeforeIt) {
    std::vector<std::string> loaded = {"pause,1"};
    try {
        appendScriptLines("speed,2\r\nmove,x," + F + "\r\n", loaded);
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 62);
    }
    EXPECT_EQ(loaded, (std::vector<std::string>{"pause,1", "speed,2"}));
    loaded.clear();
    appendScriptLines("", loaded);
    appendScriptLines("\r\n,,\r\n", loaded);
    EXPECT_TRUE(loaded.empty());
}

// The items Load drops, each with the line of the file it stands on: a capital keyword, full-width
// commas, an indented line, a blank before the comma, extra items; blank lines are nothing lost.
TEST(ScriptFile, EverySkippedItemIsReportedWithItsFileLine) {
    const std::string text =
        "speed,2\r\n"  // 1
        "Move,x," +
        F +
        ",40\r\n"  // 2
        "\r\n"     // 3
        "move，x，" +
        F +
        "，40\r\n"  // 4
        "  move,x," +
        F +
        ",40\r\n"  // 5
        "move,x," +
        F +
        ",40,extra\r\n"  // 6
        "move ,y\r\n"    // 7
        "pause,\r\n"     // 8: an empty item, taken
        "angle,x," +
        F + ",10\r\ny," + U + ",5\r\n";  // 9-10
    const ScriptLoad load = readScriptFile(utf8ToGbk(text));
    EXPECT_EQ(load.lines, (std::vector<std::string>{"speed,2", "move,x," + F + ",40", "pause,",
                                                    "angle,x," + F + ",10,y," + U + ",5"}));
    EXPECT_EQ(load.fileLines, (std::vector<int>{1, 6, 8, 9}));
    EXPECT_FALSE(load.error);
    EXPECT_EQ(
        skippedItemLines(load.skipped),
        (std::vector<std::string>{"file line 2: \"Move\", \"x\", \"" + F + "\", \"40\"",
                                  "file line 4: \"move，x，" + F + "，40\"",
                                  "file line 5: \"  move\", \"x\", \"" + F + "\", \"40\"",
                                  "file line 6: \"extra\"", "file line 7: \"move \", \"y\""}));

    // A UTF-16 file (an editor's "Unicode") loads its lines instead of nothing.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("pause,5\r\n")) utf16 += std::string{c, '\0'};
    EXPECT_EQ(readScriptFile(utf16).lines, (std::vector<std::string>{"pause,5"}));

    // A file ending inside an instruction: the lines before it and the error.
    const ScriptLoad cut = readScriptFile("pause,5\r\nMove\r\nmove,x," + F);
    EXPECT_EQ(cut.lines, (std::vector<std::string>{"pause,5"}));
    ASSERT_TRUE(cut.error);
    EXPECT_EQ(cut.error->number(), 62);
    EXPECT_EQ(skippedItemLines(cut.skipped), (std::vector<std::string>{"file line 2: \"Move\""}));
}

}  // namespace
}  // namespace corvane
