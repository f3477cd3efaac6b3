// Load and Save of cut-file sets: each missing or damaged companion refused with its message
// and nothing changed; a loaded set rebuilds the active delay points.
#include "generate/cut_set_commands.h"

#include <gtest/gtest.h>

#include "generate/cut_set_layout.h"
#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct SavedSet : GenerateMachine {
    fs::path saved = dir / "wing.ct1";
    fs::path left, right;
    std::vector<std::pair<int, std::string>> status;

    SavedSet() {
        left = airfoil("root.dat", kSmallOutline);
        right = airfoil("tip.dat", kSmallOutline);
        writeFile(dir / "wing.ct1",
                  "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n");
        writeFile(dir / "wing.ct2", "5\r\n7\r\n0\r\n9\r\n0\r\n0\r\n12\r\n");
        writeFile(dir / "wing.ct3", "\"" + left.string() + "\",\"" + right.string() +
                                        "\",200,150,\"0\",\"0\",\"0\",\"0\"\r\n");
        previousSet();
        ws.showStatus = [this](int panel, const std::string& text) {
            status.emplace_back(panel, text);
        };
    }

    void expectRefused(const LoadOutcome& out, const std::string& text) {
        EXPECT_FALSE(out.loaded);
        ASSERT_EQ(out.messages.size(), 1u);
        EXPECT_EQ(out.messages[0].text, "     " + text + "     ");
        EXPECT_EQ(out.messages[0].title, "");
        expectPreviousSet();
        EXPECT_TRUE(status.empty());
    }
};

TEST(LoadCutFile, LoadsTheSetAndRebuildsTheDelayPoints) {
    SavedSet s;
    s.ws.delays.ActiveDelayPoints = {40};
    s.ws.delays.ActiveDelayPointCount = 1;
    LoadOutcome out = loadCutSet(s.ws, s.saved);
    EXPECT_TRUE(out.loaded);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, "     Cut Files loaded successfully     ");
    EXPECT_EQ(s.working("cut.ct1"), readFile(s.dir / "wing.ct1"));
    EXPECT_EQ(s.working("cut_cnt.ct2"), readFile(s.dir / "wing.ct2"));
    EXPECT_EQ(s.working("datinfo.ct3"), readFile(s.dir / "wing.ct3"));
    EXPECT_EQ(s.ws.delays.ActiveDelayPointCount, 3);
    EXPECT_EQ(s.ws.delays.ActiveDelayPoints, (std::vector<int>{2, 3, 3}));
    ASSERT_EQ(s.status.size(), 1u);
    EXPECT_EQ(s.status[0], (std::pair<int, std::string>{3, "3 Delay Points are currently active"}));
    s.expectNoLeftovers();
}

TEST(LoadCutFile, EachMissingCompanionHasItsOwnMessage) {
    {
        SavedSet s;
        s.expectRefused(loadCutSet(s.ws, s.dir / "other.ct1"),
                        "Cut File not Found. Try Again or Regenerate the Cut File.");
    }
    {
        SavedSet s;
        fs::remove(s.dir / "wing.ct2");
        s.expectRefused(loadCutSet(s.ws, s.saved),
                        "Count File not Found. Try Again or Regenerate the Cut File.");
    }
    {
        SavedSet s;
        fs::remove(s.dir / "wing.ct3");
        s.expectRefused(loadCutSet(s.ws, s.saved),
                        "DAT Information File not Found. Try Again or Regenerate the Cut File.");
    }
    {
        SavedSet s;  // the airfoils were moved away: the step and count files do not help
        fs::remove(s.right);
        s.expectRefused(loadCutSet(s.ws, s.saved),
                        "DAT File not Found. Try Again or copy DAT File to application folder.");
    }
    {
        SavedSet s;  // cancelled dialog
        LoadOutcome out = loadCutSet(s.ws, "");
        EXPECT_FALSE(out.loaded);
        EXPECT_TRUE(out.messages.empty());
        s.expectPreviousSet();
    }
}

TEST(LoadCutFile, DamagedSetsAreRefusedWithAMessage) {
    {
        SavedSet s;
        writeFile(s.dir / "wing.ct3", "\"" + s.left.string() + "\"\r\n");
        s.expectRefused(loadCutSet(s.ws, s.saved), kDatInfoFileIncomplete);
    }
    {
        SavedSet s;
        writeFile(s.dir / "wing.ct1", "1\r\n2\r\nx7\r\n");
        s.expectRefused(loadCutSet(s.ws, s.saved), kCutFileDamaged);
    }
    {
        SavedSet s;
        writeFile(s.dir / "wing.ct2", "5\r\n\r\n7\r\n");
        s.expectRefused(loadCutSet(s.ws, s.saved), kCountFileDamaged);
    }
}

TEST(SaveCutFile, CopiesTheWorkingSetUnderTheNameAndItsCompanions) {
    SavedSet s;
    fs::path chosen = withCutExtension(s.dir / "panel");
    EXPECT_EQ(chosen, s.dir / "panel.ct1");
    saveCutSet(s.dir.path(), chosen);
    EXPECT_EQ(readFile(s.dir / "panel.ct1"), "1\r\n2\r\n");
    EXPECT_EQ(readFile(s.dir / "panel.ct2"), "2\r\n");
    EXPECT_EQ(readFile(s.dir / "panel.ct3"), s.working("datinfo.ct3"));

    saveCutSet(s.dir.path(), s.dir / "PANEL.CT1");  // the last four characters go, whatever case
    EXPECT_TRUE(fs::exists(s.dir / "PANEL.ct2"));
    saveCutSet(s.dir.path(), "");  // cancelled: nothing
    fs::remove(s.dir / "cut_cnt.ct2");
    EXPECT_THROW(saveCutSet(s.dir.path(), s.dir / "b.ct1"), RunError);
}

TEST(SaveCutFile, RefusesTheNamesOfTheProgramsOwnFilesAndCopiesNothing) {
    SavedSet s;
    writeFile(s.dir / "hold2", "backup");
    const auto before = [&] {
        std::string all;
        for (const char* n : {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3", "temp_cut.txt",
                              "temp_cut_cnt.txt", "temp_datinfo.txt", "hold2"})
            all += n + std::string("=") + readFile(s.dir / n) + ";";
        return all;
    };
    const std::string was = before();
    for (const char* name :
         {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3", "temp_cut.txt", "temp_cut_cnt.txt",
          "temp_datinfo.txt", ".corvane-hold1", ".corvane-hold3", ".corvane-hold.open",
          "datinfo.ct1", "./sub/../cut.ct1"}) {
        fs::create_directories(s.dir / "sub");
        EXPECT_THROW(saveCutSet(s.dir.path(), s.dir / name), SaveRefused) << name;
        EXPECT_TRUE(namesProgramFile(s.dir.path(), s.dir / name)) << name;
    }
    EXPECT_EQ(before(), was);
    EXPECT_FALSE(fs::exists(s.dir / "cut.ct2"));
    EXPECT_FALSE(namesProgramFile(s.dir.path(), s.dir / "panel.ct1"));
    EXPECT_FALSE(namesProgramFile(s.dir.path(), s.dir / "sub" / "cut.ct1"));
}

TEST(SaveCutFile, PathsGbkCannotHoldLoadAgainAndQuotesAreRefusedBeforeWriting) {
    GenerateMachine m;
    const fs::path folder = m.dir / "Größe 翼型";
    fs::create_directories(folder);
    const fs::path left = folder / "root.dat", right = folder / "tip.dat";
    writeFile(left, kSmallOutline);
    writeFile(right, kSmallOutline);
    CutGenerator gen(m.ws);
    ASSERT_EQ(gen.generate(m.wing(left, right, "200", "150")).status, GenerationStatus::Finished);
    EXPECT_EQ(readDatInfoFields(m.working("datinfo.ct3"), 2),
              (std::vector<std::string>{left.string(), right.string()}));
    const fs::path saved = folder / "wing.ct1";
    saveCutSet(m.dir.path(), saved);
    m.previousSet();
    LoadOutcome out = loadCutSet(m.ws, saved);
    EXPECT_TRUE(out.loaded);
    EXPECT_EQ(m.working("cut.ct1"), readFile(saved));
    // Chinese alone still goes out in GBK, for readers that know only GBK.
    EXPECT_EQ(wingDatInfoLine({"翼.dat", "b", 1, 1}).substr(0, 4), "\"\xD2\xED.");

    m.previousSet();
    const fs::path quoted = m.dir / "say \"hi\".dat";
    writeFile(quoted, "0 0\n1 0\n");
    GenerationOutcome refused = gen.generate(m.wing(quoted, quoted, "200", "150"));
    EXPECT_EQ(refused.status, GenerationStatus::Refused);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].text, "DAT file " + quoted.string() + " " + kDatPathHoldsQuote);
    m.expectPreviousSet();
}

TEST(SavedSetNames, DropTheLastFourCharactersOnlyWhenTheyAreAnExtension) {
    CutSetPaths p = savedSetPaths("/w/wing.ct1");
    EXPECT_EQ(p.count, "/w/wing.ct2");
    EXPECT_EQ(p.datInfo, "/w/wing.ct3");
    EXPECT_EQ(savedSetPaths("/w/wing.txt").count, "/w/wing.ct2");
    // A short extension must not cut into the folder name.
    EXPECT_EQ(savedSetPaths("/w/a.b").count, "/w/a.b.ct2");
    EXPECT_EQ(withCutExtension("/w/a.b"), "/w/a.b");
}

}  // namespace
}  // namespace corvane::test
