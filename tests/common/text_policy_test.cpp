// The one text policy of the files the program writes: which encoding a text gets, how a file
// is read back (byte-order marks, UTF-16, GBK bytes that happen to be UTF-8), and a seeded
// property check that every writer's text comes back from its reader unchanged.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "common/records.h"
#include "common/run_error.h"
#include "common/text_encoding.h"
#include "generate/cut_set_layout.h"
#include "machine/machine_settings.h"
#include "script/script_file.h"
#include "shell/notes_file.h"
#include "support/policy_texts.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::TextKind;

const std::string kBom = "\xEF\xBB\xBF";

TEST(TextPolicy, EachTextGetsTheEncodingThatKeepsIt) {
    struct Case {
        const char* text;
        FileEncoding encoding;
    };
    const Case cases[] = {
        {"0,#TRUE#,\"Combo1\"", FileEncoding::Ascii},
        {"未使用     ", FileEncoding::Gbk},
        {"cut,/home/翼型/root.ct1", FileEncoding::Gbk},
        {"位", FileEncoding::Utf8Bom},                // GBK CE BB reads as UTF-8 "λ"
        {"位置 12", FileEncoding::Gbk},               // the whole text's GBK is no UTF-8
        {"Ø 6 mm rod, 2 m²", FileEncoding::Utf8Bom},  // GBK has neither
        {"naïve", FileEncoding::Utf8Bom},
        {"한국어 메모", FileEncoding::Utf8Bom},
        {"wing \xF0\x9F\x9B\xA9 done", FileEncoding::Utf8Bom},
        {"/home/jörg/Flügel.ct1", FileEncoding::Utf8Bom},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileEncodingFor(c.text), c.encoding) << c.text;
        const std::string bytes = encodeFileText(c.text);
        EXPECT_EQ(decodeFileText(bytes), c.text) << c.text;
        EXPECT_EQ(bytes.starts_with(kBom), c.encoding == FileEncoding::Utf8Bom) << c.text;
        if (c.encoding == FileEncoding::Gbk) {
            EXPECT_EQ(bytes, utf8ToGbk(c.text)) << c.text;
        }
    }
}

TEST(TextPolicy, ReadingMarksUtf16AndOlderGbkFiles) {
    // A byte-order mark wins over everything, UTF-16's too (an editor's "Unicode").
    EXPECT_EQ(decodeFileText(kBom + "\xCE\xBB"), "λ");
    EXPECT_EQ(decodeFileText(std::string("\xFF\xFEm\0o\0v\0e\0,\0x\0", 14)), "move,x");
    EXPECT_EQ(decodeFileText(std::string("\xFE\xFF\0m\x4F\x4D", 6)), "m位");
    // Bytes that are no UTF-8 are GBK.
    EXPECT_EQ(decodeFileText(utf8ToGbk("泡沫切割机")), "泡沫切割机");
    // Valid UTF-8 stays UTF-8 when the detector is not sure it is GBK: a real UTF-8 note ...
    const std::string utf8Note = "今天切割了三个机翼，速度两毫米每秒，效果很好。";
    EXPECT_FALSE(detectorSaysGbk(utf8Note));
    EXPECT_EQ(decodeFileText(utf8Note), utf8Note);
    // ... while a long GBK text is recognised as such by the detector.
    EXPECT_TRUE(detectorSaysGbk(utf8ToGbk(utf8Note + utf8Note)));
}

// A mark followed by bytes that are no UTF-8 (found by fuzzing the notes reader) still reads
// as UTF-8, the bad bytes as U+FFFD, and the note keeps its round trip; a DOS end-of-file byte
// ends a file without being an item.
TEST(TextPolicy, DamagedMarkedFilesStayUtf8AndADosEndIsNoItem) {
    // fuzz/regressions/notes/bom_then_not_utf8.fwn
    const std::string found(
        "\xEF\xBB\xBF\"n\0\0\0\0uotes\"\"\xE0\x9E\x93\x9A"
        "e \xD6n\0\0o\x03te \0\0owiths ",
        40);
    const std::string note = readNotesFile(found);
    EXPECT_TRUE(isValidUtf8(note));
    EXPECT_EQ(note, std::string("n\0\0\0\0uotes\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                                "e \xEF\xBF\xBDn\0\0o\x03te \0\0owiths ",
                                45));
    EXPECT_EQ(readNotesFile(notesFileBytes(note)), note);
    EXPECT_EQ(decodeFileText(kBom + "ok \xFF\xCE\xBB"), "ok \xEF\xBF\xBD\xCE\xBB");

    for (const std::string& file :
         {std::string("1,\"a\"\r\n\x1A"), kBom + "1,\"a\"\r\n\x1A", std::string("1,\"a\"\x1A")}) {
        RecordReader reader(file);
        EXPECT_EQ(reader.next().number, 1);
        EXPECT_EQ(reader.next().text, "a");
        EXPECT_TRUE(reader.atEnd());
    }
    // Only at the very end: inside a text it is a character like another.
    EXPECT_EQ(decodeFileText("a\x1A b"), "a\x1A b");
    EXPECT_EQ(decodeFileText(utf8ToGbk("泡沫") + "\x1A"), "泡沫");
}

// 位 and 前 in GBK (CE BB C7 B0) are valid UTF-8 ("λǰ"): with nothing else to go on the bytes
// stay UTF-8, but where the application folder's other files are GBK they are GBK too. A
// Chinese UTF-8 text (three-byte sequences) stays UTF-8 in any folder.
TEST(TextPolicy, GbkPairsThatReadAsUtf8AreGbkWhereTheFolderIsGbk) {
    const std::string note = utf8ToGbk("\"位前\"") + "\r\n";
    ASSERT_TRUE(isValidUtf8(note));
    test::TempDir gbk, utf8;
    test::writeFile(gbk / "old notes.fwn", utf8ToGbk("\"泡沫切割机，前缘\"\r\n"));
    test::writeFile(utf8 / "settings.txt", "0,#TRUE#\r\n");
    test::writeFile(utf8 / "new.fwn", kBom + "\"前缘\"\r\n");
    EXPECT_TRUE(folderHoldsGbkText(gbk.path()));
    EXPECT_FALSE(folderHoldsGbkText(utf8.path()));
    EXPECT_EQ(readNotesFile(note, gbk.path()), "位前");
    EXPECT_EQ(readNotesFile(note, utf8.path()), "λǰ");
    EXPECT_EQ(readNotesFile(note), "λǰ");
    EXPECT_EQ(RecordReader(note, gbk.path()).next().text, "位前");
    const std::string chinese = "\"前缘\"\r\n";
    EXPECT_EQ(readNotesFile(chinese, gbk.path()), "前缘");
}

// What readers that know only GBK make of our files: ASCII and GBK files are theirs
// unchanged; a UTF-8 file shows its mark and its text as other characters.
TEST(TextPolicy, AGbkOnlyReaderSeesGbkFilesUnchanged) {
    EXPECT_EQ(gbkToUtf8(encodeFileText("泡沫 2.5 mm/s")), "泡沫 2.5 mm/s");
    EXPECT_EQ(gbkToUtf8(encodeFileText("\"0\",#TRUE#")), "\"0\",#TRUE#");
    const std::string seen = gbkToUtf8(encodeFileText("Ø 6 mm rod"));
    EXPECT_NE(seen, "Ø 6 mm rod");
    EXPECT_TRUE(seen.starts_with("锘棵")) << seen;  // the mark, and its last byte with Ø's first
    EXPECT_NE(seen.find(" 6 mm rod"), std::string::npos) << seen;
}

// Each writer with its reader, over random texts of each kind alone and mixed: the text read
// back is the text written, every time. Characters a format gives a meaning of its own (the
// quote of a record, a script's comma and line end) are left out for that format only.
TEST(TextPolicy, EveryWriterReadsBackEveryRandomTextExactly) {
    std::mt19937 rng(31);
    struct Writer {
        const char* name;
        const char* excluded;
        std::function<std::string(const std::string&)> roundTrip;
    };
    test::TempDir dir;
    const Writer writers[] = {
        {"settings.txt", "\"",
         [&dir](const std::string& text) {
             MachineSettings s;
             s.fields.accel_rate = text;
             test::writeFile(dir / "settings.txt", s.fileLine());
             MachineSettings back;
             try {
                 back.load(dir / "settings.txt");
             } catch (const RunError&) {  // derived values of the defaults: not under test
             }
             return back.fields.accel_rate;
         }},
        {"datinfo.ct3", "\"",
         [](const std::string& text) {
             const auto fields = readDatInfoFields(foamDatInfoLine(text, "r.dat", 100, 90), 4);
             return fields.empty() ? std::string("<none>") : fields[0];
         }},
        {"script", "\",\r\n",
         [](const std::string& text) {
             const ScriptLoad load = readScriptFile(scriptFileBytes({"cut," + text}));
             return load.lines.size() == 1 && load.skipped.empty() ? load.lines[0].substr(4)
                                                                   : std::string("<lost>");
         }},
        {"notes", "", [](const std::string& text) { return readNotesFile(notesFileBytes(text)); }},
    };
    int cases = 0;
    for (const Writer& w : writers) {
        for (int round = 0; round < 500; ++round) {
            const bool mixed = round % 5 == 4;
            const TextKind kind = test::kTextKinds[round % 4];
            const std::string text = test::randomText(rng, w.excluded, mixed, kind);
            ASSERT_EQ(w.roundTrip(text), text) << w.name << " round " << round;
            // Each kind takes its own branch of the policy (GBK-only characters in a row can
            // form UTF-8 between them, so only one of them alone is sure to stay GBK).
            if (!mixed && (kind != TextKind::GbkOnly || text.size() <= 3)) {
                const FileEncoding expected = kind == TextKind::Ascii     ? FileEncoding::Ascii
                                              : kind == TextKind::GbkOnly ? FileEncoding::Gbk
                                                                          : FileEncoding::Utf8Bom;
                ASSERT_EQ(fileEncodingFor(text), expected) << text;
            }
            ++cases;
        }
    }
    EXPECT_EQ(cases, 2000);
}

}  // namespace
}  // namespace corvane
