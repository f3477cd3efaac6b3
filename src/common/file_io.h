// Whole-file reads and crash-safe replacing writes for the application folder's files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

// The file's bytes; RunError FileNotFound when it is missing or cannot be read.
std::string readFileBytes(const std::filesystem::path& path);

// Replaces the file through a temporary file in the same folder and a rename, so a crash never
// leaves half a file. RunError PathFileAccessError (with the reason) when it cannot be written.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

}  // namespace corvane
