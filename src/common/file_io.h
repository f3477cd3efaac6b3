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

// The file's bytes; RunError FileNotFound when it is missing or cannot be read.
std::string readFileBytes(const std::filesystem::path& path);

// Replaces the file through a temporary file in the same folder and a rename, so a crash never
// leaves half a file. RunError PathFileAccessError (with the reason) when it cannot be written.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Replaces several files as one step: all are written under temporary names first, then renamed
// into place; a failure at any point puts back every file already replaced (its old bytes are
// kept under a second name until the end), so the files are all old or all new. RunError
// PathFileAccessError naming the file that failed.
void writeFilesAtomic(const std::vector<std::pair<std::filesystem::path, std::string>>& files);

// What a kill or a crash of an earlier writer left in `folder`: a replacement of several files
// cut short is undone (the old files put back), temporary files are removed. Only leftovers of
// processes that no longer run are touched; an empty folder is the current one. Errors are ignored:
// it tidies, it never fails.
void recoverInterruptedWrites(const std::filesystem::path& folder);

// Every write, fsync and rename of the program's own files goes through these, so tests can
// make the n-th one fail as a full or failing disk would. They behave as the system calls
// (-1 and errno on failure).
enum class DiskCall { Write, Sync, Rename };
ssize_t diskWrite(int fd, const void* data, std::size_t length);
int diskSync(int fd);
int diskRename(const std::filesystem::path& from, const std::filesystem::path& to);

// Test hook: the n-th call (1-based, counted from now) of `call` fails with `error`; n = 0
// fails none. Calls of every kind are counted from the moment it is set. Thread-safe.
// kKilledAtDiskCall as the error kills the process at that call instead (SIGKILL).
inline constexpr int kKilledAtDiskCall = -1;
void failDiskCall(DiskCall call, long n, int error);
long diskCalls(DiskCall call);

}  // namespace corvane
