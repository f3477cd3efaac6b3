// The application folder's lock: flock on ".corvane-lock", counted within the process.
#include "common/folder_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

struct Held {
    int fd = -1;
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

std::string holderText(int fd) {
    char buf[256];
    ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0) return "another program";
    std::string text(buf, static_cast<std::size_t>(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
    return text.empty() ? "another program" : text;
}

void writeHolder(int fd) {
    const std::string text = std::string(program_invocation_short_name) + " (process " +
                             std::to_string(::getpid()) + ")\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] ssize_t n = ::pwrite(fd, text.data(), text.size(), 0);
    }
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
    const fs::path file = fs::path(key_) / kFolderLockName;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw RunError(ErrorNumber::PathFileAccessError,
                       key_ + ": cannot use the application folder: " + std::strerror(errno) +
                           "; nothing was changed");
    }
    const auto deadline = std::chrono::steady_clock::now() + gPatience;
    bool waited = false;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EINTR) continue;
        const std::string holder = holderText(fd);
        if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            if (waited && gNotice) gNotice("");
            if (err != EWOULDBLOCK) {
                throw RunError(ErrorNumber::PathFileAccessError,
                               file.string() + ": cannot lock: " + std::strerror(err) +
                                   "; nothing was changed");
            }
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
    writeHolder(fd);
    std::lock_guard lock(gMutex);
    gHeld[key_] = Held{fd, 1};
}

FolderLock::~FolderLock() {
    std::lock_guard lock(gMutex);
    auto it = gHeld.find(key_);
    if (it == gHeld.end() || --it->second.count > 0) return;
    // The holder's name goes with the lock, so nobody is named who no longer holds it.
    [[maybe_unused]] int rc = ::ftruncate(it->second.fd, 0);
    ::close(it->second.fd);
    gHeld.erase(it);
}

std::string folderLockHolder(const fs::path& folder) {
    const fs::path file = fs::path(keyOf(folder)) / kFolderLockName;
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string holder;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        holder = holderText(fd);
    else
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return holder;
}

void setFolderLockNotice(std::function<void(const std::string&)> notice) {
    gNotice = std::move(notice);
}

void setFolderLockPatience(std::chrono::milliseconds patience) {
    gPatience = patience;
}

}  // namespace corvane
