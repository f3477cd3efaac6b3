// Reading whole files and replacing them through a temporary file and a rename.
#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

[[noreturn]] void fail(const std::filesystem::path& path, const char* what, int err) {
    throw RunError(ErrorNumber::PathFileAccessError,
                   path.string() + ": " + what + ": " + std::strerror(err));
}

}  // namespace

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
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
        ssize_t n = ::write(fd, p, left);
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
    int syncErr = ::fsync(fd) != 0 ? errno : 0;
    int closeErr = ::close(fd) != 0 ? errno : 0;
    if (syncErr != 0 || closeErr != 0) {
        int err = syncErr != 0 ? syncErr : closeErr;
        ::unlink(pattern.c_str());
        fail(path, "cannot write", err);
    }
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(pattern.c_str());
        fail(path, "cannot replace the file", err);
    }
}

}  // namespace corvane
