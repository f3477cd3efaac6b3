// Reading whole files and replacing them through a temporary file and a rename.
#include "common/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
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
    if (gFailError.load() == kKilledAtDiskCall) ::raise(SIGKILL);
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
// behind when it fails. Errors name `shownAs`, the file the operator knows.
std::string writeTemporary(const std::filesystem::path& path, std::string_view bytes,
                           const std::filesystem::path& shownAs) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    // The writer's process number in the name lets a later start tell a dead writer's leftovers
    // from a live one's work in progress.
    std::string pattern =
        (folder / ("." + path.filename().string() + "." + std::to_string(::getpid()) + ".XXXXXX"))
            .string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) fail(shownAs, "cannot create a temporary file", errno);

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
            fail(shownAs, "cannot write", err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    int syncErr = diskSync(fd) != 0 ? errno : 0;
    int closeErr = ::close(fd) != 0 ? errno : 0;
    if (syncErr != 0 || closeErr != 0) {
        int err = syncErr != 0 ? syncErr : closeErr;
        ::unlink(pattern.c_str());
        fail(shownAs, "cannot write", err);
    }
    return pattern;
}

// writeFileAtomic, with errors naming `shownAs`.
void replaceFile(const std::filesystem::path& path, std::string_view bytes,
                 const std::filesystem::path& shownAs) {
    std::string temporary = writeTemporary(path, bytes, shownAs);
    if (diskRename(temporary, path) != 0) {
        int err = errno;
        ::unlink(temporary.c_str());
        fail(shownAs, "cannot replace the file", err);
    }
}

}  // namespace

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    replaceFile(path, bytes, path);
}

namespace {

// One file of a replacement as its journal records it; `keep` is empty where no old file was.
struct Replacement {
    std::string target;
    std::string temporary;
    std::string keep;
};

constexpr std::string_view kJournalSuffix = ".replacing";

std::string journalText(const std::vector<Replacement>& files) {
    // Length-prefixed fields: any byte a path may hold survives.
    std::string text;
    for (const Replacement& r : files) {
        for (const std::string* f : {&r.target, &r.temporary, &r.keep})
            text += std::to_string(f->size()) + ":" + *f + "\n";
    }
    return text;
}

std::optional<std::vector<Replacement>> parseJournal(std::string_view text) {
    std::vector<std::string> fields;
    while (!text.empty()) {
        const std::size_t colon = text.find(':');
        if (colon == 0 || colon == std::string_view::npos || colon > 9) return std::nullopt;
        std::size_t length = 0;
        for (char c : text.substr(0, colon)) {
            if (c < '0' || c > '9') return std::nullopt;
            length = length * 10 + static_cast<std::size_t>(c - '0');
        }
        if (text.size() < colon + 1 + length + 1 || text[colon + 1 + length] != '\n')
            return std::nullopt;
        fields.emplace_back(text.substr(colon + 1, length));
        text.remove_prefix(colon + 1 + length + 1);
    }
    if (fields.empty() || fields.size() % 3 != 0) return std::nullopt;
    std::vector<Replacement> files;
    for (std::size_t i = 0; i < fields.size(); i += 3)
        files.push_back({fields[i], fields[i + 1], fields[i + 2]});
    return files;
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// Puts every old file back and removes every new one; safe to repeat after being cut short.
void rollBack(const std::vector<Replacement>& files) {
    for (const Replacement& r : files) {
        if (!r.keep.empty()) {
            if (exists(r.keep)) {
                ::rename(r.keep.c_str(), r.target.c_str());
                // Renaming one name of a file onto another of the same file leaves both.
                ::unlink(r.keep.c_str());
            }
        } else if (!exists(r.temporary)) {
            ::unlink(r.target.c_str());  // the new file went in where there was none
        }
        ::unlink(r.temporary.c_str());
    }
}

// The process number in a leftover's name ".<file>.<pid>.<suffix>", or 0.
long writerOf(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size() + 4 || name[0] != '.' || !name.ends_with(suffix)) return 0;
    name.remove_suffix(suffix.size());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < 2 || dot + 1 == name.size()) return 0;
    long pid = 0;
    for (char c : name.substr(dot + 1)) {
        if (c < '0' || c > '9' || pid > 100'000'000) return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool writerGone(long pid) {
    if (pid <= 0 || pid == ::getpid()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// ".<file>.<pid>.XXXXXX" or the same with ".old": a temporary of writeTemporary or a kept old file.
long temporaryWriter(std::string_view name) {
    if (name.ends_with(".old")) name.remove_suffix(4);
    if (name.size() < 8) return 0;
    for (char c : name.substr(name.size() - 6)) {
        if (!std::isalnum(static_cast<unsigned char>(c))) return 0;
    }
    if (name[name.size() - 7] != '.') return 0;
    return writerOf(name.substr(0, name.size() - 6), ".");
}

}  // namespace

void writeFilesAtomic(const std::vector<std::pair<std::filesystem::path, std::string>>& files) {
    if (files.empty()) return;
    std::vector<Replacement> plan;
    auto dropAll = [&] {
        for (const Replacement& r : plan) {
            ::unlink(r.temporary.c_str());
            if (!r.keep.empty()) ::unlink(r.keep.c_str());
        }
    };
    try {
        for (const auto& [path, bytes] : files)
            plan.push_back({path.string(), writeTemporary(path, bytes, path), ""});
    } catch (...) {
        dropAll();
        throw;
    }
    // The old bytes under a second name (a hard link costs no space on a full disk).
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::filesystem::path& path = files[i].first;
        if (::access(path.c_str(), F_OK) != 0) continue;
        std::string name = plan[i].temporary + ".old";
        if (::link(path.c_str(), name.c_str()) != 0) {
            int err = errno;
            dropAll();
            fail(path, "cannot keep the old file while replacing it", err);
        }
        plan[i].keep = name;
    }
    // The journal lets a start after a kill between the renames put the old files back.
    const std::filesystem::path& first = files.front().first;
    std::filesystem::path folder = first.parent_path();
    if (folder.empty()) folder = ".";
    const std::filesystem::path journal =
        folder / ("." + first.filename().string() + "." + std::to_string(::getpid()) +
                  std::string(kJournalSuffix));
    try {
        // Named after the set's first file: the journal is no file the operator knows.
        replaceFile(journal, journalText(plan), first);
    } catch (...) {
        dropAll();
        throw;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (diskRename(plan[i].temporary, files[i].first) == 0) continue;
        int err = errno;
        rollBack(plan);
        ::unlink(journal.c_str());
        fail(files[i].first, "cannot replace the file", err);
    }
    ::unlink(journal.c_str());  // from here on the new files stand
    for (const Replacement& r : plan) {
        if (!r.keep.empty()) ::unlink(r.keep.c_str());
    }
}

void recoverInterruptedWrites(const std::filesystem::path& folderOrEmpty) {
    const std::filesystem::path folder = folderOrEmpty.empty() ? "." : folderOrEmpty;
    std::error_code ec;
    std::vector<std::pair<std::filesystem::path, long>> journals;
    std::vector<std::pair<std::filesystem::path, long>> temporaries;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (const long pid = writerOf(name, kJournalSuffix); writerGone(pid)) {
            journals.emplace_back(it->path(), pid);
        } else if (const long writer = temporaryWriter(name); writerGone(writer)) {
            temporaries.emplace_back(it->path(), writer);
        }
    }
    std::vector<long> untouchable;
    for (const auto& [journal, pid] : journals) {
        std::optional<std::vector<Replacement>> plan;
        try {
            plan = parseJournal(readFileBytes(journal));
        } catch (const RunError&) {
        }
        // A journal that does not read is left alone, and so are its writer's files.
        if (!plan) {
            untouchable.push_back(pid);
            continue;
        }
        rollBack(*plan);
        ::unlink(journal.c_str());
    }
    for (const auto& [temporary, pid] : temporaries) {
        if (std::find(untouchable.begin(), untouchable.end(), pid) == untouchable.end())
            ::unlink(temporary.c_str());
    }
}

}  // namespace corvane
