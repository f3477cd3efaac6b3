// The pieces of a replacing write that file_io and the multi-file replacement share: a synced
// temporary file beside the target under the program's leftover pattern, and the one wording of
// a failed write.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane::detail {

// "<kLeftoverPrefix><file>.<pid>." : every temporary of `file` written by process `pid` starts
// with it and ends in six letters or digits.
std::string temporaryStem(std::string_view file, long pid);

// Writes the bytes to a new synced temporary file beside `path` and gives its full name;
// nothing is left behind when it fails. Errors name `shownAs`, the file the operator knows.
std::string writeTemporary(const std::filesystem::path& path, std::string_view bytes,
                           const std::filesystem::path& shownAs,
                           std::string_view outcome = "the file was not changed");

// RunError PathFileAccessError "<shownAs>: <what>: <reason>; <outcome>".
[[noreturn]] void failWrite(const std::filesystem::path& shownAs, std::string_view what, int err,
                            std::string_view outcome = "the file was not changed");

// The folder of a path, "." for a bare name.
std::filesystem::path folderOf(const std::filesystem::path& path);

}  // namespace corvane::detail
