// One program per real port: a second holder of a port's lock is refused with the name and
// process id of the first, in another process as in the same one; the lock goes with its
// holder, also when the holder dies; and the kernel's list of ports picks the ppdev device of
// the settings' address or refuses naming both.
#include "common/port_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "common/kernel_ports.h"
#include "common/run_error.h"
#include "support/second_user.h"
#include "support/test_support.h"

namespace corvane {
namespace {

std::string refusal(uint16_t base, const std::filesystem::path& dir) {
    try {
        PortLock second(base, dir);
    } catch (const RunError& e) {
        return e.detail();
    }
    return {};
}

TEST(PortLock, ASecondProcessIsRefusedNamingTheFirstUntilTheFirstIsGone) {
    test::TempDir dir;
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The first program: holds the port until the parent has tried.
        PortLock lock(0x378, dir.path());
        char c = 1;
        if (::write(ready[1], &c, 1) != 1) ::_exit(2);
        if (::read(done[0], &c, 1) != 1) ::_exit(3);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const std::string text = refusal(0x378, dir.path());
    EXPECT_NE(text.find("0x378 is in use by " + std::string(program_invocation_short_name) +
                        " (process " + std::to_string(child) + ")"),
              std::string::npos)
        << text;
    // Another port is free meanwhile.
    EXPECT_NO_THROW(PortLock other(0x278, dir.path()));
    ASSERT_EQ(::write(done[1], &c, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NO_THROW(PortLock again(0x378, dir.path()));
}

TEST(PortLock, AHolderKilledOutrightLeavesNoStaleLock) {
    test::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PortLock lock(0x3BC, dir.path());
        char c = 1;
        if (::write(ready[1], &c, 1) != 1) ::_exit(2);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_FALSE(refusal(0x3BC, dir.path()).empty());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(refusal(0x3BC, dir.path()), "");
}

TEST(PortLock, InOneProcessTheSecondHolderIsRefusedToo) {
    test::TempDir dir;
    {
        PortLock first(0x378, dir.path());
        EXPECT_NE(refusal(0x378, dir.path()).find("(process " + std::to_string(::getpid())),
                  std::string::npos);
    }
    EXPECT_EQ(refusal(0x378, dir.path()), "");
}

// One name per port for every user, whatever the umask: root holding the port (under umask 077)
// refuses a second user's program naming root's process, and the other way round.
TEST(PortLock, OneLockPerPortForEveryUserWhateverTheUmask) {
    std::string why;
    const std::optional<test::SecondUser> user = test::secondUser(&why);
    if (!user) GTEST_SKIP() << "two-user test skipped: " << why;
    test::TempDir scope;
    const mode_t umaskWas = ::umask(077);
    for (const bool rootFirst : {true, false}) {
        SCOPED_TRACE(rootFirst ? "root first" : "user first");
        int ready[2], done[2], answer[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(done), 0);
        ASSERT_EQ(::pipe(answer), 0);
        std::optional<PortLock> held;
        if (rootFirst) held.emplace(0x378, scope.path());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The second user's program.
            if (::setgid(user->gid) != 0 || ::setuid(user->uid) != 0) ::_exit(2);
            std::string text;
            if (rootFirst) {
                text = refusal(0x378, scope.path());
            } else {
                PortLock mine(0x378, scope.path());
                char c = 1;
                if (::write(ready[1], &c, 1) != 1) ::_exit(3);
                if (::read(done[0], &c, 1) != 1) ::_exit(4);
            }
            if (::write(answer[1], text.data(), text.size()) < 0) ::_exit(5);
            ::_exit(0);
        }
        std::string text;
        ::close(answer[1]);
        if (rootFirst) {
            char buf[512];
            for (ssize_t n; (n = ::read(answer[0], buf, sizeof buf)) > 0;)
                text.append(buf, static_cast<std::size_t>(n));
            EXPECT_NE(text.find("0x378 is in use by " + std::string(program_invocation_short_name) +
                                " (process " + std::to_string(::getpid()) + ") run by root"),
                      std::string::npos)
                << text;
        } else {
            char c = 0;
            ASSERT_EQ(::read(ready[0], &c, 1), 1);
            text = refusal(0x378, scope.path());
            EXPECT_NE(text.find("(process " + std::to_string(child) + ") run by " + user->name),
                      std::string::npos)
                << text;
            ASSERT_EQ(::write(done[1], &c, 1), 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        for (int fd : {ready[0], ready[1], done[0], done[1], answer[0]}) ::close(fd);
    }
    ::umask(umaskWas);
    // No file anywhere: nothing is left for a reboot to clear.
    EXPECT_TRUE(std::filesystem::is_empty(scope.path()));
}

class KernelPortTree : public ::testing::Test {
protected:
    void SetUp() override {
        add(0, "888\t1912\n");
        add(1, "632\t-1\n");
    }
    void add(int n, const std::string& baseAddr) {
        const auto d = dir.path() / "proc" / ("parport" + std::to_string(n));
        std::filesystem::create_directories(d);
        test::writeFile(d / "base-addr", baseAddr);
    }
    std::string refusal(uint16_t base, const std::string& device) {
        try {
            ppdevDeviceFor(base, device, dir.path() / "proc", dir.path() / "dev");
        } catch (const RunError& e) {
            return e.detail();
        }
        return {};
    }
    test::TempDir dir;
};

TEST_F(KernelPortTree, TheDeviceIsTheOneAtTheSettingsAddressOrARefusalNamingBoth) {
    const auto dev = [&](int n) {
        return (dir.path() / "dev" / ("parport" + std::to_string(n))).string();
    };
    // Unnamed: the device at the address.
    EXPECT_EQ(ppdevDeviceFor(0x278, "", dir.path() / "proc", dir.path() / "dev").device, dev(1));
    EXPECT_EQ(ppdevDeviceFor(0x378, "", dir.path() / "proc", dir.path() / "dev").device, dev(0));
    // Named and matching.
    EXPECT_EQ(ppdevDeviceFor(0x278, dev(1), dir.path() / "proc", dir.path() / "dev").number, 1);
    // Named, another address: both are named ("278h" with /dev/parport0 drove 0x378 before).
    std::string text = refusal(0x278, dev(0));
    EXPECT_NE(text.find(dev(0) + " is the port at 0x378"), std::string::npos) << text;
    EXPECT_NE(text.find("settings name 0x278"), std::string::npos) << text;
    // No device at the address: what the kernel lists.
    text = refusal(0x3BC, "");
    EXPECT_NE(text.find("0x3BC"), std::string::npos) << text;
    EXPECT_NE(text.find(dev(0) + " at 0x378"), std::string::npos) << text;
    // A device the kernel does not list.
    text = refusal(0x378, (dir.path() / "dev" / "parport7").string());
    EXPECT_NE(text.find("not a parallel port the kernel lists"), std::string::npos) << text;
}

}  // namespace
}  // namespace corvane
