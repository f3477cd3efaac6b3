// corvane-cli generate into an application folder on a small filesystem that fills up midway:
// the previous working set stays whole, nothing is left behind, the message names the file and
// the reason, and the same generation succeeds once there is room. Needs root (a tmpfs mount).
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "support/disk_faults.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string err;
};

Result generate(const fs::path& app, const fs::path& scratch, const std::string& chords) {
    const fs::path err = scratch / "stderr.txt";
    const std::string samples = (fs::path(CORVANE_RESOURCES) / "samples").string();
    const std::string cmd = std::string("'") + CORVANE_CLI + "' --app-dir '" + app.string() +
                            "' generate wing --left '" + samples + "/naca2412.dat' --right '" +
                            samples + "/naca0012.dat' " + chords + " >/dev/null 2>'" +
                            err.string() + "'";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readFile(err)};
}

std::uintmax_t folderBytes(const fs::path& folder) {
    std::uintmax_t total = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) total += e.file_size();
    return total;
}

struct Mount {
    fs::path at;
    bool mounted = false;
    std::string refusal;
    Mount(const fs::path& where, const char* options) : at(where) {
        fs::create_directories(at);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options) == 0)
            mounted = true;
        else
            refusal = std::strerror(errno);
    }
    ~Mount() {
        if (mounted) ::umount2(at.c_str(), MNT_DETACH);
    }
};

TEST(FullDiskCli, AGenerationThatFillsTheDiskKeepsThePreviousSetWhole) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small filesystem needs root";
    test::TempDir scratch;
    const char* big = "--left-chord 900 --right-chord 600";
    const char* small = "--left-chord 120 --right-chord 80";

    // How much room the big set takes, measured on the ordinary disk.
    const fs::path measure = scratch / "measure";
    fs::create_directories(measure);
    test::copyResources(measure);
    const std::uintmax_t base = folderBytes(measure);
    ASSERT_EQ(generate(measure, scratch.path(), big).exitCode, 0);
    const std::uintmax_t bigSet = folderBytes(measure) - base;

    Mount tiny(scratch / "tiny", "size=48m,mode=0755");
    if (!tiny.mounted) GTEST_SKIP() << "no tmpfs mount here: " << tiny.refusal;
    test::copyResources(tiny.at);
    ASSERT_EQ(generate(tiny.at, scratch.path(), small).exitCode, 0);
    const auto before = test::folderSnapshot(tiny.at);

    // Leave room for half of the big set's new files: it fills the disk midway.
    const fs::path filler = tiny.at / "filler";
    const std::uintmax_t room = fs::space(tiny.at).available;
    ASSERT_GT(room, bigSet) << "the small filesystem is too small for the trial";
    {
        // Written for real: tmpfs hands out its pages only when they are written.
        std::ofstream out(filler, std::ios::binary);
        const std::string block(1 << 16, 'f');
        for (std::uintmax_t left = room - bigSet / 2; left > 0;) {
            const std::uintmax_t n = std::min<std::uintmax_t>(left, block.size());
            out.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
    }
    auto withFiller = before;
    withFiller["filler"] = test::readFile(filler);

    const Result full = generate(tiny.at, scratch.path(), big);
    EXPECT_NE(full.exitCode, 0);
    EXPECT_NE(full.err.find(std::strerror(ENOSPC)), std::string::npos) << full.err;
    EXPECT_NE(full.err.find(tiny.at.string()), std::string::npos) << "names the file: " << full.err;
    test::expectFolderUnchanged(withFiller, tiny.at, "generation on a full disk");

    fs::remove(filler);
    EXPECT_EQ(generate(tiny.at, scratch.path(), big).exitCode, 0) << "room again: it succeeds";
}

}  // namespace
}  // namespace corvane
