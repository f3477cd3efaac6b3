// The portscope program from outside: --list without a window, wrong arguments, and the one
// message it ends with when no port access is possible.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "common/kernel_ports.h"

namespace {

struct Outcome {
    int code;
    std::string out;
};

Outcome run(const std::string& arguments, const std::string& environment = {}) {
    const std::string command = "env -u PORTSCOPE_PORT -u CORVANE_PORT " + environment + " " +
                                PORTSCOPE_EXE + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    Outcome r{-1, {}};
    if (pipe == nullptr) return r;
    std::array<char, 256> buf;
    while (std::fgets(buf.data(), buf.size(), pipe) != nullptr) r.out += buf.data();
    const int status = ::pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(Program, ListsThePortsOrSaysWhyNot) {
    Outcome r = run("--list --port sim:278,378");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "378 00 78 0C simulated\n278 00 78 0C simulated\n");
    r = run("--list", "PORTSCOPE_PORT=sim:3BC");
    EXPECT_EQ(r.out, "3BC 00 78 0C simulated\n");
    r = run("--list", "CORVANE_PORT=sim");
    EXPECT_EQ(r.out, "378 00 78 0C simulated\n");
    // Nothing chosen: the machine's own ports, never the simulated 378.
    if (corvane::listKernelPorts().empty()) {
        r = run("--list");
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out.find("378 00"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("no parallel port"), std::string::npos) << r.out;
    }

    r = run("--list --port bogus");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("unknown port \"bogus\""), std::string::npos) << r.out;
    r = run("--frobnicate");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("Usage: portscope"), std::string::npos) << r.out;

    // A device the kernel does not know: one message naming what to do, nothing on stdout.
    r = run("--list --port ppdev:/dev/parport97");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.rfind("portscope: ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("modprobe"), std::string::npos) << r.out;
}

}  // namespace
