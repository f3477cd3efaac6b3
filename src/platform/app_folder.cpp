// Finding, creating and seeding the application folder.
#include "platform/app_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

bool isDir(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_directory(p, ec);
}

bool pathExists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

bool writable(const fs::path& dir) {
    return ::access(dir.c_str(), W_OK) == 0;
}

// A folder "holds the templates" when the shipped files stand in it, or beside it in
// resources/ (a build tree copies them there).
bool holdsShippedFiles(const fs::path& dir) {
    for (const char* name : {"temp_cut.txt", "settings.txt"}) {
        if (pathExists(dir / name) || pathExists(dir / "resources" / name)) return true;
    }
    return false;
}

fs::path createFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !isDir(folder)) {
        throw RunError(ErrorNumber::PathFileAccessError,
                       folder.string() + ": cannot create the application folder: " +
                           (ec ? ec.message() : std::string("not a folder")));
    }
    return folder;
}

}  // namespace

fs::path executableDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec);
    return exe.parent_path();
}

fs::path findResources(const fs::path& exeDir) {
    for (const fs::path& p :
         {exeDir / "resources", exeDir / ".." / "resources", exeDir / ".." / "share" / "corvane"}) {
        if (isDir(p)) return fs::weakly_canonical(p);
    }
    return {};
}

void seedAppFolder(const fs::path& folder, const fs::path& resources) {
    if (!isDir(resources)) return;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(resources, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::path rel = fs::relative(it->path(), resources, ec);
        if (ec) break;
        fs::path target = folder / rel;
        std::error_code fileEc;
        if (it->is_directory(fileEc)) {
            fs::create_directories(target, fileEc);
        } else if (!pathExists(target)) {
            fs::copy_file(it->path(), target, fs::copy_options::skip_existing, fileEc);
        }
        if (fileEc) {
            throw RunError(ErrorNumber::PathFileAccessError,
                           target.string() + ": cannot copy the shipped file: " + fileEc.message());
        }
    }
}

fs::path resolveAppFolder(const AppFolderRequest& request) {
    // An explicit folder is used exactly as it is (never seeded), so a dry run or a test sees
    // only the files it put there; a missing one is created and seeded only on request.
    std::optional<std::string> explicitDir = request.option;
    if (!explicitDir) {
        if (const char* env = std::getenv("CORVANE_APP_DIR"); env != nullptr && *env != '\0') {
            explicitDir = env;
        }
    }
    fs::path resources =
        request.resourcesDir.empty() ? findResources(request.executableDir) : request.resourcesDir;
    if (explicitDir && !explicitDir->empty()) {
        const fs::path folder = fs::absolute(*explicitDir);
        std::error_code ec;
        if (fs::is_directory(folder, ec)) return folder;
        if (fs::exists(folder, ec)) {
            throw RunError(ErrorNumber::PathFileAccessError,
                           folder.string() + ": this application folder is a file, not a folder");
        }
        if (!request.createExplicit) {
            throw RunError(ErrorNumber::PathFileAccessError,
                           folder.string() +
                               ": there is no such application folder; nothing was created. "
                               "Check the name, or add --init to create it.");
        }
        createFolder(folder);
        if (!resources.empty()) seedAppFolder(folder, resources);
        return folder;
    }

    const fs::path& exeDir = request.executableDir;
    if (isDir(exeDir) && writable(exeDir) && holdsShippedFiles(exeDir)) {
        seedAppFolder(exeDir, resources);
        return exeDir;
    }

    fs::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = fs::path(home) / ".local" / "share";
    } else {
        throw RunError(ErrorNumber::PathFileAccessError,
                       "no application folder: HOME is not set (use --app-dir)");
    }
    fs::path folder = createFolder(base / "corvane");
    seedAppFolder(folder, resources);
    return folder;
}

}  // namespace corvane
