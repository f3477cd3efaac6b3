// parport.ini between runs: every key written is read back, hand edits fall back to defaults,
// and the rest of the file survives.
#include "portscope/parport_ini.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "common/file_io.h"
#include "common/run_error.h"
#include "common/text_encoding.h"
#include "support/disk_faults.h"
#include "support/policy_texts.h"

namespace portscope {
namespace {

namespace fs = std::filesystem;

class Ini : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("portscope_ini_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        path = dir / "portscope" / "parport.ini";
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    std::string read() {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir;
    fs::path path;
};

ScopeSettings unusual() {
    ScopeSettings s;
    s.highColor = colourRef(0, 0, 128);
    s.lowColor = colourRef(255, 255, 0);
    s.left = -40;
    s.top = 312;
    s.port = 0x278;
    s.connector = 1;
    s.sampleRate = 9;
    s.beeps = 5;
    s.onTop = true;
    s.disableCon = true;
    s.sampleBlink = true;
    s.bitSetLeft = 600;
    s.bitSetTop = 77;
    return s;
}

void expectSame(const ScopeSettings& a, const ScopeSettings& b) {
    EXPECT_EQ(a.highColor, b.highColor);
    EXPECT_EQ(a.lowColor, b.lowColor);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.port, b.port);
    EXPECT_EQ(a.connector, b.connector);
    EXPECT_EQ(a.sampleRate, b.sampleRate);
    EXPECT_EQ(a.beeps, b.beeps);
    EXPECT_EQ(a.onTop, b.onTop);
    EXPECT_EQ(a.disableCon, b.disableCon);
    EXPECT_EQ(a.sampleBlink, b.sampleBlink);
    EXPECT_EQ(a.bitSetLeft, b.bitSetLeft);
    EXPECT_EQ(a.bitSetTop, b.bitSetTop);
}

TEST_F(Ini, ARunReadsBackEveryKeyTheLastRunWrote) {
    const ScopeSettings written = unusual();
    writeSettings(path, written);
    expectSame(readSettings(path, ScopeSettings{}), written);
    const std::string text = read();
    EXPECT_EQ(text.rfind("[misc]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nHighColor=8388608\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nOnTop=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPort=632\n"), std::string::npos) << text;

    // Writing again changes the keys in place and adds no second copy.
    ScopeSettings again = written;
    again.onTop = false;
    writeSettings(path, again);
    expectSame(readSettings(path, ScopeSettings{}), again);
    EXPECT_EQ(read().find("OnTop="), read().rfind("OnTop="));
}

TEST_F(Ini, MissingOrUnreadableKeysTakeTheirDefaults) {
    ScopeSettings defaults;
    defaults.left = 11;
    defaults.top = 22;
    defaults.bitSetLeft = 33;
    expectSame(readSettings(path, defaults), defaults);  // no file at all

    write(
        "[other]\nPort=888\n\n[MISC]\n  port = 888 \nHighColor=$FF0000\nLeft=abc\n"
        "SampleRate=10\nConnector=2\nBeeps=15\nOnTop=0x1\nDisableCon=\nTop=12x\n"
        "; SampleBlink=1\nBitSetTop=-5\n");
    const ScopeSettings s = readSettings(path, defaults);
    EXPECT_EQ(s.port, 888);
    EXPECT_EQ(s.highColor, 0xFF0000u);
    EXPECT_EQ(s.lowColor, kDefaultLowColour);
    EXPECT_EQ(s.left, 11);
    EXPECT_EQ(s.top, 22);
    EXPECT_EQ(s.sampleRate, 0);
    EXPECT_EQ(s.connector, 0);
    EXPECT_EQ(s.beeps, 7);
    EXPECT_TRUE(s.onTop);
    EXPECT_FALSE(s.disableCon);
    EXPECT_FALSE(s.sampleBlink);
    EXPECT_EQ(s.bitSetLeft, 33);
    EXPECT_EQ(s.bitSetTop, -5);
}

TEST_F(Ini, WritingKeepsTheRestOfTheFile) {
    write("; my notes\r\n[misc]\r\nPort=888\r\nExtra=yes\r\n[later]\r\nKeep=1\r\n");
    writeSettings(path, unusual());
    const std::string text = read();
    EXPECT_EQ(text.rfind("; my notes\n[misc]\nPort=632\nExtra=yes\nHighColor=", 0), 0u) << text;
    EXPECT_NE(text.find("BitSetTop=77\n[later]\nKeep=1\n"), std::string::npos) << text;
    expectSame(readSettings(path, ScopeSettings{}), unusual());
}

TEST_F(Ini, AFailingDiskAtAnyCallKeepsTheOldFileAndNamesIt) {
    std::map<std::string, std::string> before;
    std::string detail;
    const auto figures = corvane::test::walkDiskFaults(
        [&] {
            write("; mine\n[misc]\nPort=888\n");
            before = corvane::test::folderSnapshot(dir);
            detail.clear();
        },
        [&] {
            try {
                writeSettings(path, unusual());
            } catch (const corvane::RunError& e) {
                detail = e.detail();
            }
        },
        [&](const std::string& which) {
            // The folder's sync after the rename: the new file stands and the message says so.
            if (detail.find("may not survive a power loss") != std::string::npos) return;
            corvane::test::expectFolderUnchanged(before, dir, which);
            EXPECT_EQ(detail.rfind(path.string() + ": cannot", 0), 0u) << which << ": " << detail;
            EXPECT_NE(detail.find("not changed"), std::string::npos) << detail;
        });
    EXPECT_EQ(figures.callsFailed, 4);
}

TEST_F(Ini, TheFileLivesInTheUsersConfigFolder) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = savedXdg ? savedXdg : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(settingsPath(), fs::path("/tmp/cfg/portscope/parport.ini"));
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    ::setenv("HOME", "/home/op", 1);
    EXPECT_EQ(settingsPath(), fs::path("/home/op/.config/portscope/parport.ini"));
    if (savedXdg)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace portscope

namespace portscope {
namespace {

// The lines writeSettings keeps (a comment, another program's section) come back in the text
// they were, whatever their characters: the file follows the program's one text policy.
TEST_F(Ini, KeptLinesOfAnyTextSurviveAWrite) {
    std::mt19937 rng(31);
    int cases = 0;
    for (int round = 0; round < 200; ++round) {
        const auto kind = corvane::test::kTextKinds[round % 4];
        const std::string text = corvane::test::randomText(rng, "\r\n[]=;", round % 5 == 4, kind);
        write(corvane::encodeFileText("; " + text + "\n[misc]\nPort=888\n[other]\nName=" + text +
                                      "\n"));
        ScopeSettings s;
        s.port = 0x278;
        writeSettings(path, s);
        const std::string back = corvane::decodeFileText(corvane::readFileBytes(path));
        ASSERT_TRUE(back.starts_with("; " + text + "\n")) << back;
        ASSERT_NE(back.find("\nName=" + text + "\n"), std::string::npos) << back;
        ASSERT_EQ(readSettings(path, ScopeSettings{}).port, 0x278);
        ++cases;
    }
    EXPECT_EQ(cases, 200);
}

}  // namespace
}  // namespace portscope
