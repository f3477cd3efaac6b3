// The port's lock file: flock decides who holds it; the file's one line says who that is.
#include "common/port_lock.h"

#include <errno.h>  // program_invocation_short_name
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

std::string hex(uint16_t base) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(base));
    return buf;
}

bool writableDirectory(const fs::path& dir) {
    return !dir.empty() && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::string programName() {
    return program_invocation_short_name != nullptr ? program_invocation_short_name : "corvane";
}

}  // namespace

fs::path PortLock::lockDirectory() {
    if (const char* dir = std::getenv("CORVANE_LOCK_DIR"); dir != nullptr && *dir != '\0')
        return dir;
    if (writableDirectory("/run/lock")) return "/run/lock";
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir != nullptr && writableDirectory(dir))
        return dir;
    return {};
}

std::string PortLock::fileName(uint16_t base) {
    return "corvane-parport-" + hex(base) + ".lock";
}

std::string PortLock::holderOf(const fs::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buf[256];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return {};
    std::string text(buf, static_cast<size_t>(n));
    if (const auto end = text.find('\n'); end != std::string::npos) text.resize(end);
    const auto blank = text.rfind(' ');
    if (blank == std::string::npos || blank == 0) return {};
    return text.substr(0, blank) + " (process " + text.substr(blank + 1) + ")";
}

PortLock::PortLock(uint16_t base, const fs::path& directory) {
    const fs::path dir = directory.empty() ? lockDirectory() : directory;
    if (dir.empty()) {
        throw RunError(ErrorNumber::PermissionDenied,
                       "the parallel port at " + hex(base) +
                           " is not opened: no folder for its lock file (/run/lock is not "
                           "writable and XDG_RUNTIME_DIR is not set), so another program could "
                           "drive it at the same time");
    }
    path_ = dir / fileName(base);
    // Close-on-exec: portscope started from corvane must not inherit corvane's hold.
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    bool canWrite = fd_ >= 0;
    if (fd_ < 0 && errno == EACCES) fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) {
        throw RunError(ErrorNumber::PermissionDenied,
                       "the parallel port at " + hex(base) + " is not opened: its lock file " +
                           path_.string() + " cannot be opened: " + std::strerror(errno));
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd_);
        fd_ = -1;
        if (err == EWOULDBLOCK) {
            std::string holder = holderOf(path_);
            if (holder.empty()) holder = "another program";
            throw RunError(ErrorNumber::PermissionDenied,
                           "the parallel port at " + hex(base) + " is in use by " + holder +
                               ": only one program may drive a port. Close it (or stop its "
                               "cut) and try again");
        }
        throw RunError(ErrorNumber::PermissionDenied,
                       "the parallel port at " + hex(base) + " is not opened: its lock file " +
                           path_.string() + " cannot be locked: " + std::strerror(err));
    }
    if (canWrite) {
        const std::string line = programName() + " " + std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd_, 0) == 0) {
            ssize_t ignored = ::pwrite(fd_, line.data(), line.size(), 0);
            (void)ignored;
        }
    }
}

PortLock::~PortLock() {
    if (fd_ < 0) return;
    // The next holder writes its own line; an empty file names nobody meanwhile.
    if (::ftruncate(fd_, 0) != 0) {
    }
    ::close(fd_);
}

}  // namespace corvane
