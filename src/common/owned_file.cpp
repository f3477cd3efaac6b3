// Opening the program's own files without following links or writing over other users' files.
#include "common/owned_file.h"

#include <errno.h>  // program_invocation_short_name
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const fs::path& path, const std::string& what) {
    throw RunError(ErrorNumber::PathFileAccessError, path.string() + ": " + what);
}

std::string removeFix(const fs::path& path) {
    return "; nothing was changed. Remove it (rm '" + path.string() + "') and try again";
}

// Refuses what open(2) with O_NOFOLLOW left open or refused, with the reason and the fix.
void checkOpened(const fs::path& path, int fd, bool writing) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return;
    const char* kind = S_ISDIR(st.st_mode) ? "is a folder" : "is not a plain file";
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        refuse(path,
               std::string(kind) + ", where the program keeps a file of its own" + removeFix(path));
    }
    if (!writing) return;
    if (st.st_uid != ::geteuid()) {
        ::close(fd);
        refuse(path, "belongs to " + userName(st.st_uid) + ", not to " + userName(::geteuid()) +
                         ", so it is not written over" + removeFix(path));
    }
    if (st.st_nlink > 1) {
        ::close(fd);
        refuse(path, "has a second name elsewhere (a hard link), so it is not written over" +
                         removeFix(path));
    }
}

std::string programLine() {
    return std::string(program_invocation_short_name) + " " + std::to_string(::getpid()) + "\n";
}

}  // namespace

std::string userName(uid_t uid) {
    struct passwd pw {};
    struct passwd* found = nullptr;
    char buf[1024];
    if (::getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found != nullptr)
        return found->pw_name;
    return "user " + std::to_string(uid);
}

int openOwnFile(const fs::path& path, int flags, mode_t mode) {
    const bool writing = (flags & (O_WRONLY | O_RDWR)) != 0;
    // The truncation waits for the owner check: a file of another user keeps its bytes.
    const bool truncate = (flags & O_TRUNC) != 0;
    int fd = ::open(path.c_str(), (flags & ~O_TRUNC) | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, mode);
    if (fd < 0 && errno == EEXIST) refuse(path, "exists already" + removeFix(path));
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP)
            refuse(path, "is a symbolic link, which the program does not follow" + removeFix(path));
        refuse(path, std::string("cannot be opened: ") + std::strerror(err));
    }
    checkOpened(path, fd, writing);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat st {};
    // A new file has the mode asked for, not the umask's.
    if ((flags & O_CREAT) != 0 && ::fstat(fd, &st) == 0 && (st.st_mode & 07777) != mode &&
        st.st_size == 0)
        (void)::fchmod(fd, mode);
    if (truncate && ::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        refuse(path, std::string("cannot be emptied: ") + std::strerror(err));
    }
    return fd;
}

LockFile::LockFile(const fs::path& path) : path_(path) {
    // Created readable by all: a lock another user cannot open locks nobody out but that user.
    fd_ =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, kLockFileMode);
    int err = errno;
    struct stat st {};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_uid != ::geteuid() || st.st_nlink > 1)) {
        // Another user's lock file is locked, not written: reopened read-only.
        ::close(fd_);
        fd_ = -1;
        err = EACCES;
    } else if (fd_ >= 0) {
        writable_ = true;
        if (S_ISREG(st.st_mode) && (st.st_mode & 0777) != kLockFileMode)
            (void)::fchmod(fd_, kLockFileMode);
    }
    if (fd_ < 0 && (err == EACCES || err == EPERM || err == EROFS)) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) err = errno;
    }
    if (fd_ < 0) {
        if (err == ELOOP)
            refuse(path, "is a symbolic link, which the program does not follow" + removeFix(path));
        struct stat folder {};
        const fs::path parent = path.parent_path().empty() ? "." : path.parent_path();
        std::string fix;
        if (::stat(parent.c_str(), &folder) == 0 && folder.st_uid != ::geteuid()) {
            fix = ". The folder belongs to " + userName(folder.st_uid) + ": run the program as " +
                  userName(folder.st_uid) + ", or let " + userName(::geteuid()) +
                  " write to the folder";
        } else if (::lstat(path.c_str(), &st) == 0) {
            fix = ". It belongs to " + userName(st.st_uid) + " (mode " +
                  std::to_string((st.st_mode >> 6) & 7) + std::to_string((st.st_mode >> 3) & 7) +
                  std::to_string(st.st_mode & 7) + "): make it readable (chmod a+r '" +
                  path.string() + "') or remove it";
        }
        refuse(path, std::string("cannot be opened to lock: ") + std::strerror(err) +
                         "; nothing was changed" + fix);
    }
    checkOpened(path, fd_, false);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

LockFile::~LockFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LockFile::tryLock() {
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK) return false;
        refuse(path_, std::string("cannot be locked: ") + std::strerror(errno));
    }
}

void LockFile::writeHolder() {
    if (!writable_) return;
    const std::string line = programLine();
    // The holder's name is a courtesy; the flock is the lock.
    if (::ftruncate(fd_, 0) == 0) (void)!::pwrite(fd_, line.data(), line.size(), 0);
}

void LockFile::clearHolder() {
    if (writable_) (void)!::ftruncate(fd_, 0);
}

std::string holderFromLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    const auto blank = line.rfind(' ');
    if (blank == std::string::npos || blank == 0) return {};
    const std::string pid = line.substr(blank + 1);
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) return {};
    // A line left by a holder killed outright names a process that is gone.
    if (::kill(static_cast<pid_t>(std::stol(pid)), 0) != 0 && errno == ESRCH) return {};
    return line.substr(0, blank) + " (process " + pid + ")";
}

std::string LockFile::holder() const {
    char buf[256];
    const ssize_t n = ::pread(fd_, buf, sizeof buf - 1, 0);
    if (n <= 0) return {};
    return holderFromLine(std::string(buf, static_cast<std::size_t>(n)));
}

std::string lockFileHolder(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string holder;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        char buf[256];
        const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
        if (n > 0) holder = holderFromLine(std::string(buf, static_cast<std::size_t>(n)));
        if (holder.empty()) holder = "another program";
    }
    ::close(fd);
    return holder;
}

}  // namespace corvane
