// The files the program makes under its own names in the application folder (locks, the cut
// record, the parts of a new set): a folder another user may write to can hold a planted link or
// a file of someone else under those names, so they are opened without following a link and a
// file of another owner is never written or truncated. A lock needs no write access: flock takes
// a read-only descriptor, so a lock file another user made still locks for this one.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace corvane {

// Lock files are readable by every user whatever the umask, so anyone may lock them.
inline constexpr mode_t kLockFileMode = 0644;

// The user's name for a user id ("root", or the number when it has none).
std::string userName(uid_t uid);

// Opens `path` (flags as for open(2): O_WRONLY or O_RDWR, with O_CREAT, O_TRUNC as wanted)
// without following a link; a new file gets exactly `mode`. RunError PathFileAccessError naming
// the file, what it is and the fix for a link, anything but a plain file, a file with a second
// name (a hard link) or a file another user owns; such a file is left as it is.
int openOwnFile(const std::filesystem::path& path, int flags, mode_t mode);

// A lock file of the program's, opened for flock: writable when it is this user's (the holder's
// line is written into it), read-only when another user made it. Never follows a link.
class LockFile {
public:
    // RunError PathFileAccessError naming the file, its owner and the fix when it cannot be
    // opened at all (a link, a directory, a folder this user cannot write and no file yet).
    explicit LockFile(const std::filesystem::path& path);
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // flock LOCK_EX without waiting: false when another descriptor holds it.
    [[nodiscard]] bool tryLock();
    // Writes "<program> <pid>" as the holder's line (when the file is writable).
    void writeHolder();
    // Empties the holder's line (before the lock is let go), so nobody is named who left.
    void clearHolder();
    // The holder its line names ("corvane (process 12)"), empty when the line names nobody alive.
    std::string holder() const;
    const std::filesystem::path& path() const { return path_; }
    int fd() const { return fd_; }
    bool writable() const { return writable_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool writable_ = false;
};

// Who holds the lock file now ("corvane (process 12)", or "another program" when its line names
// nobody), empty when it is free or absent. Takes nothing.
std::string lockFileHolder(const std::filesystem::path& path);

// The holder named by a lock file's line "<program> <pid>", empty when the process is gone.
std::string holderFromLine(const std::string& line);

}  // namespace corvane
