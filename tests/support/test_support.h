// Shared helpers of the core tests: a temporary application folder, whole-file reads and
// writes, and a machine on the simulated port with the fake clock.
#pragma once

#include <sched.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/realtime_priority.h"
#include "platform/simulated_port.h"

namespace corvane::test {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);

// The "Reset Defaults" settings line (GBK, CR LF) as it is written to settings.txt.
std::string resetDefaultsLine();

// The 28 values of that line as they stand in the file (texts already quoted), to edit in tests.
std::vector<std::string> resetDefaultsValues();
// A settings line from such values: comma-joined, GBK, CR LF.
std::string settingsLine(const std::vector<std::string>& values);

// Copies the shipped resources (settings.txt, waypoint.txt, templates ...) into `folder`.
void copyResources(const std::filesystem::path& folder);

// A workspace on a recording simulated port and a fake clock, in its own temporary folder.
// Settings are the Reset Defaults with 158 steps/mm unless the test changes them.
struct TestMachine {
    TestMachine();
    TempDir dir;
    SimulatedPort port;
    FakeClock clock;
    Workspace ws;
};

// The thread's scheduling as a test sees it: starts at SCHED_OTHER 0; refuses SCHED_FIFO with
// `refuseWith` (an errno) when set, as the system does without the permission.
class FakeScheduling : public ThreadScheduling {
public:
    int policy = SCHED_OTHER;
    int priority = 0;
    int refuseWith = 0;
    int get(int& p, int& q) override {
        p = policy;
        q = priority;
        return 0;
    }
    int set(int p, int q) override {
        if ((p == SCHED_FIFO || p == SCHED_RR) && refuseWith != 0) return refuseWith;
        policy = p;
        priority = q;
        return 0;
    }
};

}  // namespace corvane::test
