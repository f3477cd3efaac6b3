#include "support/second_user.h"

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace corvane::test {

std::optional<SecondUser> secondUser(std::string* why) {
    constexpr const char* kName = "corvane-trial";
    if (::geteuid() != 0) {
        if (why) *why = "not root here, so there is no second user to run as";
        return std::nullopt;
    }
    if (::getpwnam(kName) == nullptr) {
        const int rc = std::system(
            "useradd --system --no-create-home --shell /usr/sbin/nologin corvane-trial "
            ">/dev/null 2>&1");
        (void)rc;
    }
    const passwd* pw = ::getpwnam(kName);
    if (pw == nullptr) {
        if (why) *why = "useradd could not make the user corvane-trial";
        return std::nullopt;
    }
    return SecondUser{pw->pw_uid, pw->pw_gid, kName};
}

int runAs(const SecondUser& user, const std::string& command) {
    std::string quoted;
    for (char c : command) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    const std::string line = "runuser -u " + user.name + " -- /bin/sh -c '" + quoted + "'";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace corvane::test
