// One writer of an application folder's working set at a time, across programs: corvane and
// corvane-cli on one folder take turns. An advisory lock (flock) on a file in the folder, which
// also names its holder so the one who waits can say for whom.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace corvane {

inline constexpr const char* kFolderLockName = ".corvane-lock";
// Held by a running cut for as long as it keeps the folder's cut record (run/cut_record.h): a
// program on another floor or in another process learns from it that a cut runs there.
inline constexpr const char* kCutRecordLockName = ".corvane-cut-record.lock";

class FolderLock {
public:
    // Takes the folder's lock, waiting for another program that holds it (telling the operator
    // through the wait notice); RunError PathFileAccessError naming the holder when it is not
    // free in time, or naming the folder when the lock file cannot be made. Taking it again in
    // the same process only counts (a recovery inside a generation holds it once).
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::string key_;
};

// Who holds the folder's lock now ("corvane-cli (process 123)"), empty when nobody does.
std::string folderLockHolder(const std::filesystem::path& folder);

// The cut running from `folder` now, in any process ("corvane-cli (process 12)"), empty when
// none runs there.
std::string runningCutHolder(const std::filesystem::path& folder);

// What the program does while it waits for the folder: `notice` gets the text to show (the
// terminal prints it, the window puts it in its status bar) and an empty text when the wait is
// over; it is also the place to let the window system breathe. Set once by each program.
void setFolderLockNotice(std::function<void(const std::string&)> notice);
// How long a second program waits before it gives up (default 60 s).
void setFolderLockPatience(std::chrono::milliseconds patience);

}  // namespace corvane
