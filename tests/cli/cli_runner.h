// corvane-cli run as a separate program on a test folder, its exit code and both outputs kept.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace corvane::test {

struct CliResult {
    int exitCode = -1;
    std::string out, err;
};

inline CliResult cli(const TempDir& dir, const std::string& args) {
    const auto out = dir / "stdout.txt";
    const auto err = dir / "stderr.txt";
    const std::string cmd = std::string("'") + CORVANE_CLI + "' --app-dir '" + dir.path().string() +
                            "' " + args + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
}

}  // namespace corvane::test
