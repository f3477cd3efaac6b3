// Opening a controller's line: what cannot be a serial port, and a baud rate the line cannot
// run at, are refused with a reason a person understands.
#include "controller/serial_open.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "support/test_support.h"

namespace corvane {
namespace {

std::string refusal(const std::string& device, int baud) {
    try {
        openSerialLine(ControllerAddress{device, baud});
    } catch (const SerialLost& e) {
        return e.what();
    }
    return {};
}

TEST(SerialOpen, NotASerialPortAndAnUnsupportedBaudRateAreRefusedWithAReason) {
    test::TempDir dir;
    const std::string file = (dir.path() / "notes.txt").string();
    std::ofstream(file) << "not a port\n";
    EXPECT_NE(refusal(file, 115200).find("is not a serial port"), std::string::npos)
        << refusal(file, 115200);
    EXPECT_NE(refusal((dir.path() / "missing").string(), 115200).find("No such file"),
              std::string::npos);

    // A pty is a terminal: it opens at a rate termios knows and is refused at one it does not.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string pty = ::ptsname(master);
    EXPECT_EQ(refusal(pty, 115200), "");
    const std::string odd = refusal(pty, 12345);
    EXPECT_NE(odd.find("The baud rate 12345 cannot be set"), std::string::npos) << odd;
    ::close(master);
}

}  // namespace
}  // namespace corvane
