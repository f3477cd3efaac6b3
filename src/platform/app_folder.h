// Where the named files live: --app-dir or CORVANE_APP_DIR; else the executable's folder when
// it is writable and holds the templates (a build tree); else $XDG_DATA_HOME/corvane
// (~/.local/share/corvane), created on first start and seeded from the shipped resources.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace corvane {

struct AppFolderRequest {
    std::optional<std::string> option;    // --app-dir
    std::filesystem::path executableDir;  // folder of the running program
    std::filesystem::path resourcesDir;   // shipped files; empty = look beside the executable
    // An explicit folder that does not exist is created (and seeded) only when asked (--init):
    // a mistyped name must not become an empty application folder.
    bool createExplicit = false;
};

// Resolves (and when needed creates and seeds) the application folder.
// RunError PathFileAccessError with the reason when it cannot be created, or when an explicit
// folder does not exist and createExplicit is not set.
std::filesystem::path resolveAppFolder(const AppFolderRequest& request);

// Copies every shipped file that the folder does not have yet (never overwrites).
void seedAppFolder(const std::filesystem::path& folder, const std::filesystem::path& resources);

// The shipped resources for an executable: <exe>/resources, <exe>/../resources,
// <exe>/../share/corvane; empty when none exists.
std::filesystem::path findResources(const std::filesystem::path& executableDir);

// The folder of the running executable (/proc/self/exe).
std::filesystem::path executableDir();

}  // namespace corvane
