// A full or failing disk at any write, fsync or rename of a wing generation, a Save or a Load:
// the previous working set (or saved set) stays byte for byte, no part, backup or temporary
// file is left, and the operator gets one message.
#include "support/disk_faults.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/run_error.h"
#include "generate/cut_set_commands.h"
#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A wing long enough that its step file takes several of the writer's buffers.
struct LongWing : GenerateMachine {
    fs::path left, right;
    LongWing() {
        std::string rows;
        for (int i = 0; i <= 60; ++i) {  // round the outline from the trailing edge
            const double t = i / 60.0;
            rows += std::to_string(std::cos(t * 2 * 3.14159265358979) * 0.5 + 0.5) + " " +
                    std::to_string(std::sin(t * 2 * 3.14159265358979) * 0.08) + "\n";
        }
        left = airfoil("root.dat", rows);
        right = airfoil("tip.dat", rows);
    }
    GenerationOutcome generate() {
        CutGenerator gen(ws);
        return gen.generate(wing(left, right, "900", "700"));
    }
};

TEST(DiskFaults, AWholeWingGenerationLeavesThePreviousSet) {
    LongWing m;
    std::map<std::string, std::string> before;
    GenerationOutcome out;
    auto figures = walkDiskFaults(
        [&] {
            m.previousSet();
            before = folderSnapshot(m.dir.path());
        },
        [&] { out = m.generate(); },
        [&](const std::string& which) {
            EXPECT_NE(out.status, GenerationStatus::Finished) << which;
            ASSERT_EQ(out.messages.size(), 1u) << which;
            const std::string& text = out.messages[0].detail;
            // The folder's sync after the commit point: the new set stands, and says so.
            if (text.find("the new set is in place but may not survive a power loss") !=
                std::string::npos)
                return;
            EXPECT_TRUE(text.find("cannot write") != std::string::npos ||
                        text.find("cannot replace the file") != std::string::npos ||
                        text.find("cannot finish replacing the set") != std::string::npos)
                << text;
            EXPECT_NE(text.find("the working cut-file set was not changed"), std::string::npos)
                << text;
            EXPECT_EQ(text.find(".corvane-"), std::string::npos) << "an internal name: " << text;
            expectFolderUnchanged(before, m.dir.path(), which);
        });
    // Several buffers per file, so the helper thread's writes are walked too.
    EXPECT_GT(figures.callsFailed, 8);
    m.previousSet();
    EXPECT_EQ(m.generate().status, GenerationStatus::Finished);
    EXPECT_GT(m.working("cut.ct1").size(), std::size_t{1} << 19);
}

TEST(DiskFaults, SaveAndLoadOfASetAreAllOrNothing) {
    LongWing m;
    const fs::path saved = m.dir / "wing.ct1";
    m.previousSet();
    saveCutSet(m.dir.path(), saved);  // an older saved set to keep
    const std::string olderSaved[3] = {readFile(saved), readFile(m.dir / "wing.ct2"),
                                       readFile(m.dir / "wing.ct3")};
    ASSERT_EQ(m.generate().status, GenerationStatus::Finished);
    const std::string savedStep = m.working("cut.ct1");

    std::map<std::string, std::string> before;
    std::string detail;
    auto save = walkDiskFaults(
        [&] {
            writeFile(saved, olderSaved[0]);
            writeFile(m.dir / "wing.ct2", olderSaved[1]);
            writeFile(m.dir / "wing.ct3", olderSaved[2]);
            before = folderSnapshot(m.dir.path());
        },
        [&] {
            detail.clear();
            try {
                saveCutSet(m.dir.path(), saved);
            } catch (const RunError& e) {
                detail = e.detail();
            }
        },
        [&](const std::string& which) {
            if (detail.find("the new files are in place") != std::string::npos) return;
            EXPECT_NE(detail.find("not changed"), std::string::npos) << which << ": " << detail;
            expectFolderUnchanged(before, m.dir.path(), which);
        });
    EXPECT_EQ(save.callsFailed, 16);  // three files and the journal, the folder synced thrice
    saveCutSet(m.dir.path(), saved);

    LoadOutcome out;
    auto load = walkDiskFaults(
        [&] {
            m.previousSet();
            before = folderSnapshot(m.dir.path());
        },
        [&] { out = loadCutSet(m.ws, saved); },
        [&](const std::string& which) {
            EXPECT_FALSE(out.loaded) << which;
            ASSERT_EQ(out.messages.size(), 1u) << which;
            EXPECT_FALSE(out.messages[0].detail.empty()) << which;
            if (out.messages[0].detail.find("the new set is in place") != std::string::npos) return;
            expectFolderUnchanged(before, m.dir.path(), which);
        });
    EXPECT_GT(load.callsFailed, 3);
    m.previousSet();
    LoadOutcome clean = loadCutSet(m.ws, saved);
    ASSERT_TRUE(clean.loaded) << clean.messages.at(0).text;
    EXPECT_TRUE(m.working("cut.ct1") == savedStep);
}

}  // namespace
}  // namespace corvane::test
