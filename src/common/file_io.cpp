// Reading whole files and replacing them through a temporary file and a rename.
#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "common/run_error.h"
#include "common/temporary_file.h"

namespace corvane {

std::string readFileBytes(const std::filesystem::path& path) {
    auto unreadable = [&](int err) {
        // Only a missing file is "not found"; anything else names the file and the reason.
        if (err == ENOENT || err == ENOTDIR) return RunError(ErrorNumber::FileNotFound);
        return RunError(ErrorNumber::PathFileAccessError,
                        path.string() + ": cannot read: " + std::strerror(err));
    };
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw unreadable(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : errno != 0 ? errno : EINVAL;
        ::close(fd);
        throw unreadable(err);
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int err = errno;
            ::close(fd);
            throw unreadable(err);
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

namespace {

std::atomic<DiskCallHook*> gHook{nullptr};

bool injected(DiskCall call) {
    DiskCallHook* hook = gHook.load(std::memory_order_acquire);
    return hook != nullptr && hook->fails(call);
}

}  // namespace

void setDiskCallHook(DiskCallHook* hook) {
    gHook.store(hook, std::memory_order_release);
}

ssize_t diskWrite(int fd, const void* data, std::size_t length) {
    if (injected(DiskCall::Write)) return -1;
    return ::write(fd, data, length);
}

int diskSync(int fd) {
    if (injected(DiskCall::Sync)) return -1;
    return ::fsync(fd);
}

int diskRename(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (injected(DiskCall::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}

int diskUnlink(const std::filesystem::path& path) {
    if (injected(DiskCall::Unlink)) return -1;
    return ::unlink(path.c_str());
}

int syncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    int rc = diskSync(fd);
    int err = errno;
    ::close(fd);
    errno = err;
    return rc;
}

namespace detail {

std::filesystem::path folderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

void failWrite(const std::filesystem::path& shownAs, std::string_view what, int err,
               std::string_view outcome) {
    throw RunError(ErrorNumber::PathFileAccessError, shownAs.string() + ": " + std::string(what) +
                                                         ": " + std::strerror(err) + "; " +
                                                         std::string(outcome));
}

std::string temporaryStem(std::string_view file, long pid) {
    return std::string(kLeftoverPrefix) + std::string(file) + "." + std::to_string(pid) + ".";
}

std::string writeTemporary(const std::filesystem::path& path, std::string_view bytes,
                           const std::filesystem::path& shownAs, std::string_view outcome) {
    // The writer's process number in the name lets a later start tell a dead writer's leftovers
    // from a live one's work in progress; the prefix keeps them apart from the operator's files.
    std::string pattern =
        (folderOf(path) / (temporaryStem(path.filename().string(), ::getpid()) + "XXXXXX"))
            .string();
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) failWrite(shownAs, "cannot create a temporary file", errno, outcome);

    // The new file gets the old one's permissions, or the usual ones for a new file.
    struct stat old {};
    mode_t mode;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = diskWrite(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(pattern.c_str());
            failWrite(shownAs, "cannot write", err, outcome);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    int syncErr = diskSync(fd) != 0 ? errno : 0;
    int closeErr = ::close(fd) != 0 ? errno : 0;
    if (syncErr != 0 || closeErr != 0) {
        ::unlink(pattern.c_str());
        failWrite(shownAs, "cannot write", syncErr != 0 ? syncErr : closeErr, outcome);
    }
    return pattern;
}

}  // namespace detail

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    std::string temporary = detail::writeTemporary(path, bytes, path);
    if (diskRename(temporary, path) != 0) {
        int err = errno;
        ::unlink(temporary.c_str());
        detail::failWrite(path, "cannot replace the file", err);
    }
    // Without this a power loss right after a reported save could bring the old file back.
    if (syncFolder(detail::folderOf(path)) != 0)
        detail::failWrite(path, "cannot confirm the new file on the disk", errno,
                          "the new file is in place but may not survive a power loss");
}

}  // namespace corvane
