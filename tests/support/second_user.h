// A second user for the tests of files and locks shared between users: where the tests run as
// root, one unprivileged user ("corvane-trial") is made once with useradd; elsewhere there is
// none and the test says so with one clear skip line.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace corvane::test {

struct SecondUser {
    uid_t uid;
    gid_t gid;
    std::string name;
};

// The second user, or nullopt (not root, or useradd failed): `why` then says which.
std::optional<SecondUser> secondUser(std::string* why = nullptr);

// Runs `command` through /bin/sh as `user` (runuser) and gives its exit status; the command's
// output goes where the command sends it.
int runAs(const SecondUser& user, const std::string& command);

}  // namespace corvane::test
