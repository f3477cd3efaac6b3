// The port's lock: an abstract Unix socket; binding its name is taking the lock.
#include "common/port_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "common/number_format.h"
#include "common/owned_file.h"
#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

// The address of an abstract name: a zero byte, then the name (no terminator).
socklen_t addressOf(const std::string& name, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    const std::size_t n = std::min(name.size(), sizeof addr.sun_path - 1);
    std::memcpy(addr.sun_path + 1, name.data(), n);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

std::string processName(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "a program" : name;
}

}  // namespace

fs::path PortLock::lockScope() {
    if (const char* dir = std::getenv("CORVANE_LOCK_DIR"); dir != nullptr && *dir != '\0')
        return dir;
    return {};
}

std::string PortLock::socketName(uint16_t base, const fs::path& scope) {
    std::string name = "corvane-parport-" + formatPortAddress(base);
    if (!scope.empty()) name += "@" + scope.string();
    return name;
}

std::string PortLock::holderOf(uint16_t base, const fs::path& scope) {
    const std::string name = socketName(base, scope.empty() ? lockScope() : scope);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return {};
    sockaddr_un addr{};
    const socklen_t len = addressOf(name, addr);
    std::string holder;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0) {
        ucred cred{};
        socklen_t size = sizeof cred;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && cred.pid > 0) {
            holder = processName(cred.pid) + " (process " + std::to_string(cred.pid) + ") run by " +
                     userName(cred.uid);
        }
    } else if (errno == EAGAIN) {
        holder = "another program";  // bound and listening, its queue full
    }
    ::close(fd);
    return holder;
}

PortLock::PortLock(uint16_t base, const fs::path& scope)
    : name_(socketName(base, scope.empty() ? lockScope() : scope)) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        throw RunError(ErrorNumber::PermissionDenied, "the parallel port at " +
                                                          formatPortAddress(base) +
                                                          " is not opened: its lock (a socket) "
                                                          "cannot be made: " +
                                                          std::strerror(errno));
    }
    sockaddr_un addr{};
    const socklen_t len = addressOf(name_, addr);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
        const int err = errno;
        ::close(fd_);
        fd_ = -1;
        if (err == EADDRINUSE) {
            std::string holder = holderOf(base, scope);
            if (holder.empty()) holder = "another program";
            throw RunError(ErrorNumber::PermissionDenied,
                           "the parallel port at " + formatPortAddress(base) + " is in use by " +
                               holder +
                               ": only one program may drive a port. Close it (or stop its "
                               "cut) and try again");
        }
        throw RunError(ErrorNumber::PermissionDenied,
                       "the parallel port at " + formatPortAddress(base) +
                           " is not opened: its lock @" + name_ +
                           " cannot be taken: " + std::strerror(err));
    }
    // Listening lets a second program connect and read the holder's process and user; nobody
    // accepts, and the queue is dropped with the socket.
    (void)::listen(fd_, 64);
}

PortLock::~PortLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace corvane
