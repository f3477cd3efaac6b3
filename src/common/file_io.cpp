// Reading whole files and replacing them through a temporary file and a rename.
#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/run_error.h"

namespace corvane {

std::string readFileBytes(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw RunError(ErrorNumber::FileNotFound);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RunError(ErrorNumber::FileNotFound);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw RunError(ErrorNumber::FileNotFound);
    return bytes;
}

namespace {

std::atomic<long> gCalls[3];
std::atomic<long> gFailAt[3];
std::atomic<int> gFailError{0};

// True (with errno set) when this call is the one a test asked to fail.
bool injected(DiskCall call) {
    auto i = static_cast<std::size_t>(call);
    long n = ++gCalls[i];
    if (n != gFailAt[i].load()) return false;
    errno = gFailError.load();
    return true;
}

}  // namespace

void failDiskCall(DiskCall call, long n, int error) {
    for (auto& c : gCalls) c = 0;
    for (auto& f : gFailAt) f = 0;
    gFailError = error;
    gFailAt[static_cast<std::size_t>(call)] = n;
}

long diskCalls(DiskCall call) {
    return gCalls[static_cast<std::size_t>(call)].load();
}

ssize_t diskWrite(int fd, const void* data, std::size_t length) {
    if (injected(DiskCall::Write)) return -1;
    return ::write(fd, data, length);
}

int diskSync(int fd) {
    if (injected(DiskCall::Sync)) return -1;
    return ::fsync(fd);
}

int diskRename(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (injected(DiskCall::Rename)) return -1;
    return ::rename(from.c_str(), to.c_str());
}

namespace {

[[noreturn]] void fail(const std::filesystem::path& path, const char* what, int err) {
    throw RunError(
        ErrorNumber::PathFileAccessError,
        path.string() + ": " + what + ": " + std::strerror(err) + "; the file was not changed");
}

}  // namespace

namespace {

// Writes the bytes to a new temporary file beside `path` and gives its name; nothing is left
// behind when it fails.
std::string writeTemporary(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) fail(path, "cannot create a temporary file", errno);

    // The new file gets the old one's permissions, or the usual ones for a new file.
    struct stat old {};
    mode_t mode;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = diskWrite(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(pattern.c_str());
            fail(path, "cannot write", err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    int syncErr = diskSync(fd) != 0 ? errno : 0;
    int closeErr = ::close(fd) != 0 ? errno : 0;
    if (syncErr != 0 || closeErr != 0) {
        int err = syncErr != 0 ? syncErr : closeErr;
        ::unlink(pattern.c_str());
        fail(path, "cannot write", err);
    }
    return pattern;
}

}  // namespace

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    std::string temporary = writeTemporary(path, bytes);
    if (diskRename(temporary, path) != 0) {
        int err = errno;
        ::unlink(temporary.c_str());
        fail(path, "cannot replace the file", err);
    }
}

void writeFilesAtomic(const std::vector<std::pair<std::filesystem::path, std::string>>& files) {
    std::vector<std::string> temporaries;
    auto dropTemporaries = [&] {
        for (const std::string& t : temporaries) ::unlink(t.c_str());
    };
    try {
        for (const auto& [path, bytes] : files) temporaries.push_back(writeTemporary(path, bytes));
    } catch (...) {
        dropTemporaries();
        throw;
    }
    // The old bytes under a second name (a hard link costs no space on a full disk).
    std::vector<std::string> keep(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::filesystem::path& path = files[i].first;
        if (::access(path.c_str(), F_OK) != 0) continue;
        std::string name = temporaries[i] + ".old";
        if (::link(path.c_str(), name.c_str()) != 0) {
            int err = errno;
            for (const std::string& k : keep) {
                if (!k.empty()) ::unlink(k.c_str());
            }
            dropTemporaries();
            fail(path, "cannot keep the old file while replacing it", err);
        }
        keep[i] = name;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (diskRename(temporaries[i], files[i].first) == 0) continue;
        int err = errno;
        // Put back what was replaced already; the rest still has its old bytes.
        for (std::size_t j = 0; j < i; ++j) {
            if (keep[j].empty()) {
                ::unlink(files[j].first.c_str());
            } else {
                ::rename(keep[j].c_str(), files[j].first.c_str());
            }
        }
        for (std::size_t j = i; j < files.size(); ++j) {
            ::unlink(temporaries[j].c_str());
            if (!keep[j].empty()) ::unlink(keep[j].c_str());
        }
        fail(files[i].first, "cannot replace the file", err);
    }
    for (const std::string& k : keep) {
        if (!k.empty()) ::unlink(k.c_str());
    }
}

}  // namespace corvane
