// Whole-file reads and crash-safe replacing writes for the application folder's files.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {

// Every name the program leaves beside the operator's files starts with this, so a sweep of
// leftovers can never match a file of the operator's own.
inline constexpr std::string_view kLeftoverPrefix = ".corvane-";

// The file's bytes. RunError FileNotFound when it is missing; PathFileAccessError naming the
// file and the reason when it is there but cannot be read.
std::string readFileBytes(const std::filesystem::path& path);

// Replaces the file through a temporary file in the same folder and a rename, so a crash never
// leaves half a file; the file and the folder are synced before it returns. RunError
// PathFileAccessError (with the reason) when it cannot be written.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Replaces several files as one step: all are written under temporary names first, then renamed
// into place; a failure at any point puts back every file already replaced (its old bytes are
// kept under a second name until the end), so the files are all old or all new. All files must
// lie in one folder. RunError PathFileAccessError naming the file that failed, and saying
// whether the old files are back or kept for the next recovery to put back.
void writeFilesAtomic(const std::vector<std::pair<std::filesystem::path, std::string>>& files);

// What recovery found in a folder and could not put right; empty when the folder is clean.
struct [[nodiscard]] RecoveryReport {
    std::vector<std::string> problems;  // one sentence each: what was found, what to do
    bool clean() const { return problems.empty(); }
    std::string text() const;
};

// What a kill or a crash of an earlier writer left in `folder`: a replacement of several files
// cut short is undone (the old files put back), its leftovers are removed. Only the program's
// own names (kLeftoverPrefix) of processes that no longer run are touched, and a journal acts
// only on names inside its own folder that have exactly its writer's pattern. A journal that
// cannot be applied is kept with its kept files and reported. An empty folder is the current one.
RecoveryReport recoverInterruptedWrites(const std::filesystem::path& folder);

// Syncs a folder's entries (after renames and removals in it); -1 and errno on failure.
[[nodiscard]] int syncFolder(const std::filesystem::path& folder);

// Every write, fsync, rename and removal of the program's own files goes through these, so
// tests can make chosen calls fail as a full or failing disk would. They behave as the system
// calls (-1 and errno on failure).
enum class DiskCall { Write, Sync, Rename, Unlink };
ssize_t diskWrite(int fd, const void* data, std::size_t length);
int diskSync(int fd);
int diskRename(const std::filesystem::path& from, const std::filesystem::path& to);
int diskUnlink(const std::filesystem::path& path);

// The seam a test fails disk calls through: with a hook set, each call above asks it first and
// fails (-1, errno as the hook set it) when it says so. The programs never set one; the tests'
// counting hook lives in tests/support/disk_call_counts.h.
class DiskCallHook {
public:
    virtual ~DiskCallHook() = default;
    // True, with errno set, when this call is to fail.
    virtual bool fails(DiskCall call) = 0;
};
// nullptr: none, every call goes straight to the system.
void setDiskCallHook(DiskCallHook* hook);

}  // namespace corvane
