// Saving the settings or the waypoints on a full or failing disk: the old file stays byte for
// byte, no temporary file is left, and the one error names the file.
#include "support/disk_faults.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "machine/position.h"
#include "support/test_support.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(DiskFaults, SettingsAndWaypointSavesLeaveTheOldFile) {
    TestMachine m;
    copyResources(m.dir.path());
    struct Case {
        const char* file;
        std::function<void()> save;
    };
    PositionState moved;
    moved.WayPoint1 = {1.5f, 2.5f, 3.5f, 4.5f};
    moved.WayPoint2 = {-1, -2, -3, -4};
    const Case cases[] = {
        {"settings.txt",
         [&] {
             m.ws.settings.fields.kerf = "0.25";
             m.ws.settings.save(m.dir / "settings.txt");
         }},
        {"waypoint.txt", [&] { saveWaypoints(m.dir / "waypoint.txt", moved); }},
    };
    for (const Case& c : cases) {
        std::map<std::string, std::string> before;
        const std::string original = readFile(m.dir / c.file);
        int errors = 0;
        std::string detail;
        auto figures = walkDiskFaults(
            [&] {
                writeFile(m.dir / c.file, original);
                before = folderSnapshot(m.dir.path());
                errors = 0;
            },
            [&] {
                try {
                    c.save();
                } catch (const RunError& e) {
                    ++errors;
                    detail = e.detail();
                }
            },
            [&](const std::string& which) {
                // The folder's sync after the rename: the new file stands and the message says so.
                if (detail.find("may not survive a power loss") != std::string::npos) return;
                EXPECT_EQ(errors, 1) << c.file << ", " << which;
                EXPECT_NE(detail.find(c.file), std::string::npos) << detail;
                EXPECT_NE(detail.find("not changed"), std::string::npos) << detail;
                expectFolderUnchanged(before, m.dir.path(), std::string(c.file) + ", " + which);
            });
        EXPECT_EQ(figures.callsFailed, 4) << c.file;
    }
}

}  // namespace
}  // namespace corvane::test
