// The application folder's lock: flock on ".corvane-lock", counted within the process. The
// lock file may be another user's (a root run in a user's folder): it is locked read-only then.
#include "common/folder_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "common/owned_file.h"
#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

struct Held {
    std::unique_ptr<LockFile> file;
    int count = 0;
};

// The locks this process holds, by folder: flock would refuse a second open of our own lock.
std::mutex gMutex;
std::map<std::string, Held> gHeld;
std::function<void(const std::string&)> gNotice;
std::chrono::milliseconds gPatience{60'000};

std::string keyOf(const fs::path& folder) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(fs::absolute(folder), ec);
    return (ec ? fs::absolute(folder) : canonical).string();
}

}  // namespace

FolderLock::FolderLock(const fs::path& folder) : key_(keyOf(folder)) {
    {
        std::lock_guard lock(gMutex);
        auto it = gHeld.find(key_);
        if (it != gHeld.end()) {
            ++it->second.count;
            return;
        }
    }
    auto file = std::make_unique<LockFile>(fs::path(key_) / kFolderLockName);
    const auto deadline = std::chrono::steady_clock::now() + gPatience;
    bool waited = false;
    while (!file->tryLock()) {
        std::string holder = file->holder();
        if (holder.empty()) holder = "another program";
        if (std::chrono::steady_clock::now() >= deadline) {
            if (waited && gNotice) gNotice("");
            throw RunError(ErrorNumber::PathFileAccessError,
                           key_ + ": the working cut-file set is in use by " + holder +
                               "; nothing was changed. Try again when it has finished.");
        }
        if (gNotice) {
            gNotice("Waiting for " + holder + " to finish with the working cut-file set in " +
                    key_ + " ...");
        }
        waited = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (waited && gNotice) gNotice("");
    file->writeHolder();
    std::lock_guard lock(gMutex);
    gHeld[key_] = Held{std::move(file), 1};
}

FolderLock::~FolderLock() {
    std::lock_guard lock(gMutex);
    auto it = gHeld.find(key_);
    if (it == gHeld.end() || --it->second.count > 0) return;
    // The holder's name goes with the lock, so nobody is named who no longer holds it.
    it->second.file->clearHolder();
    gHeld.erase(it);
}

std::string folderLockHolder(const fs::path& folder) {
    return lockFileHolder(fs::path(keyOf(folder)) / kFolderLockName);
}

std::string runningCutHolder(const fs::path& folder) {
    return lockFileHolder(fs::path(keyOf(folder)) / kCutRecordLockName);
}

void setFolderLockNotice(std::function<void(const std::string&)> notice) {
    gNotice = std::move(notice);
}

void setFolderLockPatience(std::chrono::milliseconds patience) {
    gPatience = patience;
}

}  // namespace corvane
