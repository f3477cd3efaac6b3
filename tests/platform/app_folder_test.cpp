// Where the application folder is and what it holds on first start.
#include "platform/app_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/run_error.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class AppFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("CORVANE_APP_DIR");
        resources = dir / "resources";
        fs::create_directories(resources / "pages");
        test::writeFile(resources / "settings.txt", "shipped settings");
        test::writeFile(resources / "waypoint.txt", "0,0,0,0,0,0,0,0\r\n");
        test::writeFile(resources / "pages" / "startppt.rtf", "page");
    }
    test::TempDir dir;
    fs::path resources;
};

TEST_F(AppFolder, AMissingExplicitFolderIsRefusedUnlessInitAsksToCreateIt) {
    fs::path chosen = dir / "chosen" / "deeper";
    try {
        resolveAppFolder({chosen.string(), dir / "bin", resources});
        FAIL() << "a mistyped folder was accepted";
    } catch (const RunError& e) {
        EXPECT_NE(e.detail().find(chosen.string() + ": there is no such application folder; "
                                                    "nothing was created"),
                  std::string::npos)
            << e.detail();
        EXPECT_NE(e.detail().find("--init"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir / "chosen"));
    AppFolderRequest init{chosen.string(), dir / "bin", resources};
    init.createExplicit = true;
    EXPECT_EQ(resolveAppFolder(init), chosen);
    EXPECT_EQ(test::readFile(chosen / "waypoint.txt"), "0,0,0,0,0,0,0,0\r\n");  // seeded
    // An existing explicit folder is used as it is, never seeded again.
    test::writeFile(chosen / "waypoint.txt", "operator's");
    EXPECT_EQ(resolveAppFolder({chosen.string(), dir / "bin", resources}), chosen);
    EXPECT_EQ(test::readFile(chosen / "waypoint.txt"), "operator's");
    fs::create_directories(dir / "fromenv");

    ::setenv("CORVANE_APP_DIR", (dir / "fromenv").c_str(), 1);
    EXPECT_EQ(resolveAppFolder({std::nullopt, dir / "bin", resources}), dir / "fromenv");
    EXPECT_EQ(resolveAppFolder({chosen.string(), dir / "bin", resources}), chosen);
    ::unsetenv("CORVANE_APP_DIR");
}

TEST_F(AppFolder, BuildTreeUsesTheExecutableFolderSeededFromResources) {
    // The build copies resources/ beside the executables.
    fs::path got = resolveAppFolder({std::nullopt, dir.path(), {}});
    EXPECT_EQ(got, dir.path());
    EXPECT_EQ(test::readFile(dir / "settings.txt"), "shipped settings");
    EXPECT_EQ(test::readFile(dir / "pages" / "startppt.rtf"), "page");
}

TEST_F(AppFolder, OtherwiseTheUserDataFolderIsCreatedAndSeededWithoutOverwriting) {
    fs::path exe = dir / "bin";
    fs::create_directories(exe);
    fs::path data = dir / "xdg";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    fs::path got = resolveAppFolder({std::nullopt, exe, resources});
    EXPECT_EQ(got, data / "corvane");
    EXPECT_EQ(test::readFile(got / "waypoint.txt"), "0,0,0,0,0,0,0,0\r\n");
    // The operator's own files survive the next start.
    test::writeFile(got / "settings.txt", "operator settings");
    resolveAppFolder({std::nullopt, exe, resources});
    EXPECT_EQ(test::readFile(got / "settings.txt"), "operator settings");
    ::unsetenv("XDG_DATA_HOME");
}

TEST_F(AppFolder, FolderThatCannotBeCreatedIsAnError) {
    test::writeFile(dir / "afile", "x");
    try {
        resolveAppFolder({(dir / "afile" / "sub").string(), dir.path(), resources});
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_NE(e.detail().find("afile"), std::string::npos);
    }
}

TEST_F(AppFolder, FindsTheShippedResources) {
    EXPECT_EQ(findResources(dir.path()), fs::weakly_canonical(resources));
    fs::create_directories(dir / "bin");
    EXPECT_EQ(findResources(dir / "bin"), fs::weakly_canonical(resources));
    EXPECT_TRUE(findResources(resources / "pages").empty());
    EXPECT_FALSE(executableDir().empty());
}

}  // namespace
}  // namespace corvane
