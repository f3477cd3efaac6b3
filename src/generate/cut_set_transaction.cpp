// The backup-and-rename replacement of the working cut-file set, and its start-up recovery.
#include "generate/cut_set_transaction.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "common/folder_lock.h"
#include "common/run_error.h"
#include "common/temporary_file.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 3> kWorkingNames = {kStepFileName, kCountFileName,
                                                      kDatInfoFileName};

// The transaction's names: its list, its backups and the new files before they are renamed.
struct TransactionNames {
    const char* list;
    std::array<const char*, 3> backups;
    std::array<const char*, 3> parts;
};
// Only names with the program's prefix: a file of the operator's called "hold.open" or "hold1"
// is never read as a list nor removed (an earlier version's unprefixed names are left alone).
constexpr TransactionNames kCurrent = {kBackupListName, kBackupNames, kPartNames};

constexpr std::string_view kNotChanged = "the working cut-file set was not changed";

// The folders whose working set a transaction of this process is replacing: the folder's lock
// only counts within one process, so a second replacement beside the first is refused here.
std::mutex gOpenMutex;
std::set<std::string> gOpen;

void removeQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

std::string listTemporaryPrefix() {
    return std::string(kBackupListName) + ".";
}

void removeParts(const fs::path& folder, const TransactionNames& names) {
    for (const char* name : names.parts) removeQuietly(folder / name);
    removeQuietly(folder / (std::string(names.list) + ".tmp"));
    // The list's temporaries (".corvane-hold.open.<pid>.XXXXXX"): only one writer holds the lock.
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().starts_with(listTemporaryPrefix()))
            removeQuietly(it->path());
    }
}

void removeBackups(const fs::path& folder, const TransactionNames& names) {
    for (const char* name : names.backups) removeQuietly(folder / name);
}

// Puts each backed-up file back and removes files that did not exist before. A backup that is
// gone was put back already (the list is removed only after every backup is back). The reason
// of the first failure, empty when the previous set is whole again.
std::string rollBack(const fs::path& folder, const std::array<bool, 3>& present,
                     const TransactionNames& names) {
    for (std::size_t i = 0; i < 3; ++i) {
        fs::path working = folder / kWorkingNames[i];
        fs::path backup = folder / names.backups[i];
        if (!present[i]) {
            if (::access(working.c_str(), F_OK) != 0) continue;
            if (diskUnlink(working) != 0 && errno != ENOENT)
                return std::string(kWorkingNames[i]) + ": " + std::strerror(errno);
            continue;
        }
        if (::access(backup.c_str(), F_OK) != 0) continue;
        std::error_code ec;
        if (fs::equivalent(backup, working, ec) && !ec) {
            ::unlink(backup.c_str());  // never replaced: the working file is the previous one
            continue;
        }
        if (diskRename(backup, working) != 0)
            return std::string(kWorkingNames[i]) + ": " + std::strerror(errno);
    }
    // Best effort: a sync lost in a crash at worst brings the backup list back, and the next
    // start rolls back again.
    (void)syncFolder(folder);
    return {};
}

// Which working files existed when the backups were taken; nullopt without a list.
std::optional<std::array<bool, 3>> readBackupList(const fs::path& list) {
    std::array<bool, 3> present{};
    std::string text;
    try {
        text = readFileBytes(list);
    } catch (const RunError&) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        std::string line = std::string(kWorkingNames[i]) + "\r\n";
        present[i] = text.find(line) != std::string::npos;
    }
    return present;
}

bool recoverWith(const fs::path& appFolder, const TransactionNames& names) {
    fs::path list = appFolder / names.list;
    removeParts(appFolder, names);
    if (::access(list.c_str(), F_OK) != 0) {
        removeBackups(appFolder, names);  // a finished replacement's last step cut short
        return false;
    }
    bool restored = false;
    if (auto present = readBackupList(list)) {
        // A rollback that fails keeps the list and the backups for the next start.
        if (!rollBack(appFolder, *present, names).empty()) return false;
        restored = true;
    }
    if (diskUnlink(list) != 0 && errno != ENOENT) return restored;
    removeBackups(appFolder, names);
    return restored;
}

}  // namespace

bool recoverInterruptedGeneration(const fs::path& appFolder, RecoveryReport* report) {
    // A folder this program cannot write holds nothing it could put right (a read-only copy of
    // a set is run as it is).
    if (::access(appFolder.c_str(), W_OK) != 0) return false;
    FolderLock lock(appFolder);
    // Settings, waypoint and set saves cut short by a kill leave their own leftovers too.
    RecoveryReport writes = recoverInterruptedWrites(appFolder);
    if (report) *report = std::move(writes);
    return recoverWith(appFolder, kCurrent);
}

CutSetTransaction::CutSetTransaction(fs::path appFolder)
    : folder_(std::move(appFolder)), working_(workingSetPaths(folder_)) {}

CutSetTransaction::~CutSetTransaction() {
    if (state_ != State::Idle) {
        try {
            abandon();
        } catch (...) {
            // A destructor cannot report; the next start recovers from the backups.
        }
    }
}

void CutSetTransaction::release() {
    if (state_ != State::Idle || lock_) {
        std::lock_guard guard(gOpenMutex);
        gOpen.erase(fs::absolute(folder_).lexically_normal().string());
    }
    state_ = State::Idle;
    lock_.reset();
}

void CutSetTransaction::begin() {
    if (state_ != State::Idle) abandon();
    lock_ = std::make_unique<FolderLock>(folder_);
    {
        std::lock_guard guard(gOpenMutex);
        if (!gOpen.insert(fs::absolute(folder_).lexically_normal().string()).second) {
            lock_.reset();
            throw RunError(ErrorNumber::PathFileAccessError,
                           working_.step.string() +
                               ": the working cut-file set is being replaced already; " +
                               std::string(kNotChanged));
        }
    }
    try {
        // Another program's cut from this folder: its set stays as it began (the windows and
        // the command line say so first, with the holder, under "Machine Busy").
        if (const std::string cut = runningCutHolder(folder_); !cut.empty()) {
            throw RunError(ErrorNumber::PathFileAccessError,
                           working_.step.string() + ": a cut from this folder runs in " + cut +
                               "; " + std::string(kNotChanged));
        }
        recoverInterruptedGeneration(folder_);
        std::string list;
        for (std::size_t i = 0; i < 3; ++i) {
            fs::path working = folder_ / kWorkingNames[i];
            fs::path backup = folder_ / kBackupNames[i];
            std::error_code ec;
            if (!fs::exists(working, ec)) continue;
            // A second name for the same bytes: the new file arrives by rename, so the old
            // bytes stay intact under the backup name. Copy where links are not possible.
            fs::create_hard_link(working, backup, ec);
            if (ec) {
                fs::copy_file(working, backup, fs::copy_options::overwrite_existing, ec);
                if (ec) {
                    throw RunError(ErrorNumber::PathFileAccessError,
                                   working.string() + ": cannot keep the previous file: " +
                                       ec.message() + "; " + std::string(kNotChanged));
                }
            }
            list += kWorkingNames[i];
            list += "\r\n";
        }
        // The list appears whole (synced temporary + rename), and the backups and the list are
        // on the disk before any working file is replaced.
        const fs::path listPath = folder_ / kBackupListName;
        const std::string temporary =
            detail::writeTemporary(listPath, list, working_.step, kNotChanged);
        if (diskRename(temporary, listPath) != 0) {
            const int err = errno;
            removeQuietly(temporary);
            throw RunError(ErrorNumber::PathFileAccessError,
                           working_.step.string() + ": cannot write: " + std::strerror(err) + "; " +
                               std::string(kNotChanged));
        }
        if (syncFolder(folder_) != 0) {
            throw RunError(ErrorNumber::PathFileAccessError,
                           working_.step.string() + ": cannot write: " + std::strerror(errno) +
                               "; " + std::string(kNotChanged));
        }
        state_ = State::Open;
        step_.open(folder_ / kPartNames[0], working_.step, kNotChanged, true);
        count_.open(folder_ / kPartNames[1], working_.count, kNotChanged, true);
        datInfo_.open(folder_ / kPartNames[2], working_.datInfo, kNotChanged, true);
    } catch (...) {
        step_.discard();
        count_.discard();
        datInfo_.discard();
        removeParts(folder_, kCurrent);
        removeQuietly(folder_ / kBackupListName);
        removeBackups(folder_, kCurrent);
        release();
        throw;
    }
}

void CutSetTransaction::resetFromTemplates() {
    auto read = [this](const char* name) {
        try {
            return readFileBytes(folder_ / name);
        } catch (const RunError& e) {
            if (e.number() != static_cast<int>(ErrorNumber::FileNotFound)) throw;
            throw RunError(ErrorNumber::FileNotFound, (folder_ / name).string());
        }
    };
    std::string step = read(kStepTemplateName);
    std::string count = read(kCountTemplateName);
    std::string datInfo = read(kDatInfoTemplateName);
    step_.append(step);
    count_.append(count);
    // The DAT-information file is rewritten with its one line, so its template is only checked.
    (void)datInfo;
}

void CutSetTransaction::copyInto(LineFileWriter& target, const fs::path& source) {
    target.append(readFileBytes(source));
}

void CutSetTransaction::finish() {
    if (state_ == State::Idle) return;
    const std::array<fs::path, 3> shown = {working_.step, working_.count, working_.datInfo};
    // Puts the previous set back after a failure at `i` and says truly where things are.
    auto failAt = [&](const fs::path& shownAs, std::string_view what, int err) {
        step_.discard();
        count_.discard();
        datInfo_.discard();
        removeParts(folder_, kCurrent);
        const fs::path list = folder_ / kBackupListName;
        std::string undone;
        if (auto present = readBackupList(list)) undone = rollBack(folder_, *present, kCurrent);
        if (undone.empty() && (diskUnlink(list) == 0 || errno == ENOENT))
            removeBackups(folder_, kCurrent);
        // Already failing: the outcome below names the failure the operator needs.
        (void)syncFolder(folder_);
        release();
        std::string outcome = std::string(kNotChanged);
        if (!undone.empty()) {
            outcome = "putting the previous set back failed as well (" + undone +
                      "); it is kept in " + folder_.string() + " and the next start puts it back";
        }
        throw RunError(ErrorNumber::PathFileAccessError, shownAs.string() + ": " +
                                                             std::string(what) + ": " +
                                                             std::strerror(err) + "; " + outcome);
    };
    try {
        step_.close();
        count_.close();
        datInfo_.close();
    } catch (const RunError&) {
        abandon();
        throw;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (diskRename(folder_ / kPartNames[i], shown[i]) != 0)
            failAt(shown[i], "cannot replace the file", errno);
    }
    if (syncFolder(folder_) != 0) failAt(working_.step, "cannot write", errno);
    // The commit point: once the list is gone a start keeps the new set.
    if (diskUnlink(folder_ / kBackupListName) != 0)
        failAt(working_.step, "cannot finish replacing the set", errno);
    removeBackups(folder_, kCurrent);
    const int confirmed = syncFolder(folder_);
    const int err = errno;
    release();
    if (confirmed != 0) {
        throw RunError(ErrorNumber::PathFileAccessError,
                       working_.step.string() +
                           ": cannot confirm the new set on the disk: " + std::strerror(err) +
                           "; the new set is in place but may not survive a power loss");
    }
}

void CutSetTransaction::abandon() {
    if (state_ == State::Idle) return;
    step_.discard();
    count_.discard();
    datInfo_.discard();
    removeParts(folder_, kCurrent);
    fs::path list = folder_ / kBackupListName;
    std::string undone;
    if (auto present = readBackupList(list)) undone = rollBack(folder_, *present, kCurrent);
    if (undone.empty()) {
        removeQuietly(list);
        removeBackups(folder_, kCurrent);
    }
    release();
    if (!undone.empty()) {
        throw RunError(ErrorNumber::PathFileAccessError,
                       working_.step.string() + ": cannot put the previous set back (" + undone +
                           "); it is kept in " + folder_.string() +
                           " and the next start puts it back");
    }
}

}  // namespace corvane
