// Replacing several files of one folder as one step, and undoing such a replacement that a kill
// cut short. The journal names only plain names inside its own folder, and recovery checks every
// one of them against the writer's own pattern before it renames or removes anything.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

#include "common/file_io.h"
#include "common/run_error.h"
#include "common/temporary_file.h"

namespace corvane {

namespace fs = std::filesystem;

std::string RecoveryReport::text() const {
    std::string out;
    for (const std::string& p : problems) out += (out.empty() ? "" : "\n") + p;
    return out;
}

namespace {

// One file of a replacement as its journal records it: plain names in the journal's folder;
// `keep` is empty where no old file was.
struct Replacement {
    std::string target;
    std::string temporary;
    std::string keep;
};

constexpr std::string_view kJournalSuffix = ".replacing";
constexpr std::string_view kJournalHeader = "corvane replacing 2\n";
constexpr std::string_view kKeptSuffix = ".old";

// Journals this process is writing right now: a stale journal under this process's number (the
// number reused after a restart) is no work in progress.
std::mutex gActiveMutex;
std::set<std::string> gActive;

struct ActiveJournal {
    std::string path;
    explicit ActiveJournal(std::string p) : path(std::move(p)) {
        std::lock_guard lock(gActiveMutex);
        gActive.insert(path);
    }
    ~ActiveJournal() {
        std::lock_guard lock(gActiveMutex);
        gActive.erase(path);
    }
};

bool beingWrittenHere(const fs::path& journal) {
    std::lock_guard lock(gActiveMutex);
    return gActive.count(journal.string()) != 0;
}

std::string lengthPrefixed(const std::vector<Replacement>& files) {
    // Length-prefixed fields: any byte a name may hold survives.
    std::string text(kJournalHeader);
    for (const Replacement& r : files) {
        for (const std::string* f : {&r.target, &r.temporary, &r.keep})
            text += std::to_string(f->size()) + ":" + *f + "\n";
    }
    return text;
}

std::optional<std::vector<std::string>> parseFields(std::string_view text) {
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
    return fields;
}

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool isRandomSuffix(std::string_view s) {
    return s.size() == 6 && std::all_of(s.begin(), s.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0;
           });
}

// The writer's process number in a journal's name "<prefix><file>.<pid>.replacing", or 0.
long journalWriter(std::string_view name, std::string* firstFile = nullptr) {
    if (!name.starts_with(kLeftoverPrefix) || !name.ends_with(kJournalSuffix)) return 0;
    name.remove_prefix(kLeftoverPrefix.size());
    name.remove_suffix(kJournalSuffix.size());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return 0;
    long pid = 0;
    for (char c : name.substr(dot + 1)) {
        if (c < '0' || c > '9' || pid > 100'000'000) return 0;
        pid = pid * 10 + (c - '0');
    }
    if (firstFile) *firstFile = std::string(name.substr(0, dot));
    return pid;
}

// A journal of the earlier format: ".<file>.<pid>.replacing" holding full paths.
bool isEarlierJournal(const fs::path& path) {
    const std::string name = path.filename().string();
    if (name.starts_with(kLeftoverPrefix) || !name.starts_with('.') ||
        !name.ends_with(kJournalSuffix))
        return false;
    try {
        return parseFields(readFileBytes(path)).has_value();
    } catch (const RunError&) {
        return false;
    }
}

// The journal's entries when every one has exactly the pattern its writer uses; nullopt else.
std::optional<std::vector<Replacement>> parseJournal(std::string_view text,
                                                     std::string_view firstFile, long pid) {
    if (!text.starts_with(kJournalHeader)) return std::nullopt;
    text.remove_prefix(kJournalHeader.size());
    auto fields = parseFields(text);
    if (!fields) return std::nullopt;
    std::vector<Replacement> files;
    std::set<std::string> targets;
    for (std::size_t i = 0; i < fields->size(); i += 3) {
        Replacement r{(*fields)[i], (*fields)[i + 1], (*fields)[i + 2]};
        if (!isPlainName(r.target) || r.target.starts_with(kLeftoverPrefix)) return std::nullopt;
        const std::string stem = detail::temporaryStem(r.target, pid);
        if (!r.temporary.starts_with(stem) ||
            !isRandomSuffix(std::string_view(r.temporary).substr(stem.size())))
            return std::nullopt;
        if (!r.keep.empty() && r.keep != r.temporary + std::string(kKeptSuffix))
            return std::nullopt;
        if (!targets.insert(r.target).second) return std::nullopt;
        files.push_back(std::move(r));
    }
    if (files.front().target != firstFile) return std::nullopt;
    return files;
}

bool present(const fs::path& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// Puts back every file whose new version went in (its temporary is gone): the kept old file
// returns, or a new file where there was none goes. Repeating it after a cut short run does the
// rest. The reason of the first failure, empty when all are back.
std::string restore(const fs::path& folder, const std::vector<Replacement>& files) {
    for (const Replacement& r : files) {
        if (present(folder / r.temporary)) continue;  // not renamed in: the target is untouched
        const fs::path target = folder / r.target;
        if (!r.keep.empty()) {
            const fs::path keep = folder / r.keep;
            if (!present(keep)) continue;  // back already
            if (diskRename(keep, target) != 0)
                return r.target + ": cannot put the old file back: " + std::strerror(errno);
            ::unlink(keep.c_str());  // renaming a name onto another of the same file leaves both
        } else if (diskUnlink(target) != 0 && errno != ENOENT) {
            return r.target + ": cannot remove the new file: " + std::strerror(errno);
        }
    }
    return {};
}

void removeLeftovers(const fs::path& folder, const std::vector<Replacement>& files) {
    for (const Replacement& r : files) {
        ::unlink((folder / r.temporary).c_str());
        if (!r.keep.empty()) ::unlink((folder / r.keep).c_str());
    }
}

bool writerGone(long pid, const fs::path& journal) {
    if (pid <= 0) return false;
    // This process's own number: a journal it is not writing is a stale one of an earlier
    // process that had the same number; its temporaries may be in use, so they stay.
    if (pid == ::getpid()) return !journal.empty() && !beingWrittenHere(journal);
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// "<prefix><file>.<pid>.XXXXXX" or the same with ".old": the writer's number, or 0.
long leftoverWriter(std::string_view name) {
    if (!name.starts_with(kLeftoverPrefix)) return 0;
    if (name.ends_with(kKeptSuffix)) name.remove_suffix(kKeptSuffix.size());
    if (name.size() < kLeftoverPrefix.size() + 10 ||
        !isRandomSuffix(name.substr(name.size() - 6)) || name[name.size() - 7] != '.')
        return 0;
    name.remove_suffix(7);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot <= kLeftoverPrefix.size() || dot + 1 == name.size())
        return 0;
    long pid = 0;
    for (char c : name.substr(dot + 1)) {
        if (c < '0' || c > '9' || pid > 100'000'000) return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

std::string kept(const fs::path& folder) {
    return "; the kept files stay in " + folder.string() + " until this is sorted out";
}

}  // namespace

void writeFilesAtomic(const std::vector<std::pair<fs::path, std::string>>& files) {
    if (files.empty()) return;
    const fs::path folder = detail::folderOf(files.front().first);
    for (const auto& f : files) {
        if (detail::folderOf(f.first) != folder)
            throw std::invalid_argument("writeFilesAtomic: the files must share one folder");
    }
    std::vector<Replacement> plan;
    auto dropAll = [&] { removeLeftovers(folder, plan); };
    try {
        for (const auto& [path, bytes] : files) {
            plan.push_back({path.filename().string(),
                            fs::path(detail::writeTemporary(path, bytes, path)).filename().string(),
                            ""});
        }
    } catch (...) {
        dropAll();
        throw;
    }
    // The old bytes under a second name (a hard link costs no space on a full disk).
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path& path = files[i].first;
        if (!present(path)) continue;
        std::string name = plan[i].temporary + std::string(kKeptSuffix);
        if (::link(path.c_str(), (folder / name).c_str()) != 0) {
            int err = errno;
            dropAll();
            detail::failWrite(path, "cannot keep the old file while replacing it", err);
        }
        plan[i].keep = name;
    }
    // The journal lets a start after a kill between the renames put the old files back.
    const fs::path& first = files.front().first;
    const fs::path journal =
        folder / (detail::temporaryStem(first.filename().string(), ::getpid()) + "replacing");
    ActiveJournal active(journal.string());
    try {
        const std::string temporary = detail::writeTemporary(journal, lengthPrefixed(plan), first);
        if (diskRename(temporary, journal) != 0) {
            int err = errno;
            ::unlink(temporary.c_str());
            detail::failWrite(first, "cannot replace the file", err);
        }
        if (syncFolder(folder) != 0) {
            int err = errno;
            ::unlink(journal.c_str());
            detail::failWrite(first, "cannot write", err);
        }
    } catch (...) {
        dropAll();
        throw;
    }
    // Undoes the renames done so far; the message for the operator says where the files are.
    auto undo = [&](const fs::path& shownAs, std::string_view what, int err) {
        const std::string undone = restore(folder, plan);
        if (!undone.empty()) {
            detail::failWrite(shownAs, what, err,
                              "putting the old files back failed as well (" + undone +
                                  "); they are kept beside it and the next Load, Save or start "
                                  "puts them back");
        }
        if (diskUnlink(journal) == 0 || errno == ENOENT) removeLeftovers(folder, plan);
        // Already failing: the write's own error, thrown next, is the one the operator needs.
        (void)syncFolder(folder);
        detail::failWrite(shownAs, what, err);
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (diskRename(folder / plan[i].temporary, files[i].first) != 0)
            undo(files[i].first, "cannot replace the file", errno);
    }
    if (syncFolder(folder) != 0) undo(first, "cannot write", errno);
    // The commit point: once the journal is gone the new files stand.
    if (diskUnlink(journal) != 0) undo(first, "cannot finish the save", errno);
    const int confirmed = syncFolder(folder);
    const int err = errno;
    for (const Replacement& r : plan) {
        if (!r.keep.empty()) ::unlink((folder / r.keep).c_str());
    }
    if (confirmed != 0)
        detail::failWrite(first, "cannot confirm the new files on the disk", err,
                          "the new files are in place but may not survive a power loss");
}

RecoveryReport recoverInterruptedWrites(const fs::path& folderOrEmpty) {
    const fs::path folder = folderOrEmpty.empty() ? "." : folderOrEmpty;
    RecoveryReport report;
    std::error_code ec;
    std::vector<fs::path> journals;
    std::vector<std::pair<fs::path, long>> leftovers;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (journalWriter(name) != 0) {
            journals.push_back(it->path());
        } else if (const long writer = leftoverWriter(name); writer != 0) {
            leftovers.emplace_back(it->path(), writer);
        } else if (isEarlierJournal(it->path())) {
            report.problems.push_back(
                (folder / name).string() +
                ": an unfinished save by an earlier version of the program was found; nothing "
                "was changed. Check that the cut-file set in this folder is whole (or save it "
                "again), then delete this file.");
        }
    }
    std::vector<long> untouchable;
    for (const fs::path& journal : journals) {
        std::string firstFile;
        const long pid = journalWriter(journal.filename().string(), &firstFile);
        if (!writerGone(pid, journal)) {
            untouchable.push_back(pid);
            report.problems.push_back(journal.parent_path().string() + ": a save by process " +
                                      std::to_string(pid) +
                                      " is under way here; try again when it has finished.");
            continue;
        }
        std::optional<std::vector<Replacement>> plan;
        try {
            plan = parseJournal(readFileBytes(journal), firstFile, pid);
        } catch (const RunError&) {
        }
        if (!plan) {
            untouchable.push_back(pid);
            report.problems.push_back(
                journal.string() +
                ": a record of an unfinished save that does not read as one of this program's "
                "was found and left alone, with its files. If no save is running, check the set "
                "in this folder and delete this file.");
            continue;
        }
        const std::string undone = restore(folder, *plan);
        if (!undone.empty()) {
            untouchable.push_back(pid);
            report.problems.push_back(journal.parent_path().string() +
                                      ": an unfinished save could not be undone (" + undone + ")" +
                                      kept(journal.parent_path()) + ".");
            continue;
        }
        // Best effort: a sync lost in a crash at worst brings the journal back, and the next
        // start then reports what it cannot undo.
        (void)syncFolder(folder);
        if (diskUnlink(journal) != 0) {
            untouchable.push_back(pid);
            report.problems.push_back(
                journal.string() + ": the old files are back, but this " +
                "record of the unfinished save cannot be removed: " + std::strerror(errno) + ".");
            continue;
        }
        removeLeftovers(folder, *plan);
    }
    for (const auto& [leftover, pid] : leftovers) {
        if (std::find(untouchable.begin(), untouchable.end(), pid) != untouchable.end()) continue;
        if (writerGone(pid, {})) ::unlink(leftover.c_str());
    }
    return report;
}

}  // namespace corvane
