// The grblHAL firmware's host simulator behind a socat pty, for the tests that need a real
// controller. It is built once per build folder (under a lock, so parallel tests wait for one
// build) from ../shared/tools/grblhal-sim; where that folder is missing the tests skip.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace corvane::test {

// The simulator's folder, built on first use; empty when its sources are not there. `why` says
// what failed when a build was tried and failed.
std::filesystem::path grblSimulator(std::string* why = nullptr);
// The same built for other axes ("xyzuv": X Y Z U V, as LinuxCNC's XYUV programs name them),
// beside the X Y Z A one.
std::filesystem::path grblSimulatorFor(const std::string& axes, std::string* why = nullptr);

// One simulator session on a pty: `-t speed` (0 as fast as it runs, 1 real time), the axes'
// steps/mm in its EEPROM, every planned block written to blocks(). Stopped (its whole process
// group) when it goes.
class GrblSimPty {
public:
    GrblSimPty(const std::filesystem::path& folder, int stepsPerMm, double speed);
    ~GrblSimPty();
    GrblSimPty(const GrblSimPty&) = delete;
    GrblSimPty& operator=(const GrblSimPty&) = delete;

    bool ready() const { return ready_; }
    const std::string& device() const { return device_; }  // the pty's link
    std::filesystem::path blocks() const { return folder_ / "blocks.txt"; }
    // Kills socat alone: the pty closes as a pulled USB cable would.
    void pullLine();
    void stop();

private:
    std::filesystem::path folder_;
    std::string device_;
    pid_t group_ = -1;
    bool ready_ = false;
};

}  // namespace corvane::test

// In a test body: skips where the simulator's sources are absent, fails where they are present
// but the simulator cannot be built.
#define SKIP_WITHOUT_SIMULATOR()                                                  \
    do {                                                                          \
        std::string why;                                                          \
        if (corvane::test::grblSimulator(&why).empty()) {                         \
            ASSERT_TRUE(why.empty()) << why;                                      \
            GTEST_SKIP() << "no grblHAL simulator sources beside the repository"; \
        }                                                                         \
    } while (false)
