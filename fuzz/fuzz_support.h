// What the fuzz targets share: a scratch folder of their own for readers that take a path, a
// workspace on the simulated port and the fake clock in it, and the one rule of what a target
// may let through (the program's own refusals) and what it must report (anything else).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {
class Workspace;
}

namespace corvane::fuzz {

// The fuzz input as bytes.
inline std::string_view bytesOf(const uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process under the system's temporary folder, made on first use and removed
// when the process ends normally.
const std::filesystem::path& scratchFolder();

// Writes `bytes` as scratchFolder()/name (replacing it) and returns the path.
std::filesystem::path scratchFile(std::string_view name, std::string_view bytes);

// A workspace whose application folder is the scratch folder, on a simulated port and a fake
// clock, with the "Reset Defaults" settings derived (378h, so the port is known). Made once;
// `fresh` puts its state back to that start for each input.
Workspace& scratchWorkspace(bool fresh = true);

// A reader refused the input the way the program expects (RunError or an airfoil format error
// were caught by the caller). Anything else the caller lets escape: libFuzzer and the replay
// program report an escaping exception as a finding.
[[noreturn]] void finding(const std::string& what);

// Fails (a finding) when `ok` is false: the properties the targets check beyond "no crash".
inline void require(bool ok, const char* what) {
    if (!ok) finding(what);
}

}  // namespace corvane::fuzz
