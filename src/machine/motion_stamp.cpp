// The motion stamp: a token and a line per place, rewritten at every motion.
#include "machine/motion_stamp.h"

#include <errno.h>  // program_invocation_short_name
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <random>

#include "common/file_io.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/port_io.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

// The port-wide stamp: one fixed-length line, written in place by whichever user moves.
constexpr std::size_t kLineLength = 160;

fs::path portStampPath(const Workspace& ws) {
    // A simulated port is this folder's pretend machine: the folder's stamp is its stamp.
    if (!ws.port().isHardware() || !ws.portKnown()) return {};
    return "/dev/shm/corvane-parport-" +
           formatPortAddress(static_cast<unsigned>(ws.settings.derived.DataPort)) + ".motion";
}

std::string newLine(const std::string& what) {
    std::random_device random;
    char token[24];
    std::snprintf(token, sizeof token, "%08x%08x", random(), random());
    const std::time_t now = std::time(nullptr);
    char when[32];
    std::tm tm{};
    ::localtime_r(&now, &tm);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
    return std::string(token) + " " + std::to_string(::getpid()) + " " + what + " by " +
           program_invocation_short_name + " (process " + std::to_string(::getpid()) + ") at " +
           when;
}

void writePortStamp(const fs::path& path, std::string line) {
    line.resize(kLineLength, ' ');
    line.back() = '\n';
    int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        // Every user's motion must reach it, whatever the umask.
        if (fd >= 0) (void)::fchmod(fd, 0666);
    }
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1)
        (void)!::pwrite(fd, line.data(), line.size(), 0);
    ::close(fd);
}

std::string readLine(const fs::path& path) {
    if (path.empty()) return {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    char buf[kLineLength + 1];
    const ssize_t n = ::pread(fd, buf, kLineLength, 0);
    ::close(fd);
    if (n <= 0) return {};
    std::string line(buf, static_cast<std::size_t>(n));
    line = line.substr(0, line.find('\n'));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string tokenOf(const std::string& line) {
    return line.substr(0, line.find(' '));
}

// "a jog by corvane (process 12) at ..." from a line, and whether this process wrote it.
std::string whatOf(const std::string& line, bool& here) {
    const auto first = line.find(' ');
    const auto second = first == std::string::npos ? first : line.find(' ', first + 1);
    if (second == std::string::npos) {
        here = false;
        return "a motion";
    }
    here = line.substr(first + 1, second - first - 1) == std::to_string(::getpid());
    return line.substr(second + 1);
}

}  // namespace

void markMotion(Workspace& ws, const std::string& what) {
    const std::string line = newLine(what);
    try {
        writeFileAtomic(ws.file(kMotionStampName), line + "\n");
    } catch (const RunError&) {
        // A folder that cannot be written keeps no record either: no resume trusts it.
    }
    if (const fs::path port = portStampPath(ws); !port.empty()) writePortStamp(port, line);
}

std::string motionStamp(const Workspace& ws) {
    return tokenOf(readLine(ws.file(kMotionStampName))) + "/" +
           tokenOf(readLine(portStampPath(ws)));
}

MotionSince motionSince(const Workspace& ws, const std::string& recorded) {
    MotionSince since;
    const auto slash = recorded.find('/');
    const std::string folderWas = recorded.substr(0, slash);
    const std::string portWas = slash == std::string::npos ? "" : recorded.substr(slash + 1);
    since.onlyHere = true;
    auto compare = [&](const fs::path& path, const std::string& was) {
        if (path.empty()) return;
        const std::string line = readLine(path);
        if (tokenOf(line) == was) return;
        bool here = false;
        const std::string what = line.empty() ? "its motion stamp removed" : whatOf(line, here);
        if (since.what.empty()) since.what = what;
        since.onlyHere = since.onlyHere && here;
    };
    compare(ws.file(kMotionStampName), folderWas);
    compare(portStampPath(ws), portWas);
    if (since.what.empty()) since.onlyHere = false;
    return since;
}

}  // namespace corvane
