// The backup-and-rename replacement of the working cut-file set, and its start-up recovery.
#include "generate/cut_set_transaction.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>

#include "common/file_io.h"
#include "common/run_error.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 3> kWorkingNames = {kStepFileName, kCountFileName,
                                                      kDatInfoFileName};
constexpr std::array<const char*, 3> kBackupNames = {"hold1", "hold2", "hold3"};
constexpr std::array<const char*, 3> kPartNames = {"cut.ct1.part", "cut_cnt.ct2.part",
                                                   "datinfo.ct3.part"};

void removeQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

void removeParts(const fs::path& folder) {
    for (const char* name : kPartNames) removeQuietly(folder / name);
    removeQuietly(folder / (std::string(kBackupListName) + ".tmp"));
}

void removeBackups(const fs::path& folder) {
    for (const char* name : kBackupNames) removeQuietly(folder / name);
}

// Puts each backed-up file back and removes files that did not exist before. A backup that is
// gone was put back already (the list is removed only after every backup is back).
void rollBack(const fs::path& folder, const std::array<bool, 3>& present) {
    for (std::size_t i = 0; i < 3; ++i) {
        fs::path working = folder / kWorkingNames[i];
        fs::path backup = folder / kBackupNames[i];
        std::error_code ec;
        if (!present[i]) {
            fs::remove(working, ec);
            continue;
        }
        if (!fs::exists(backup, ec)) continue;
        fs::rename(backup, working, ec);
        if (ec) {
            fs::copy_file(backup, working, fs::copy_options::overwrite_existing, ec);
            if (ec)
                throw RunError(ErrorNumber::PathFileAccessError,
                               working.string() + ": " + ec.message());
        }
    }
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

// The list appears whole or not at all (temporary file + rename). It guards against a killed
// process, like the renames of the set itself, so it is not forced to the disk.
void writeListAtomic(const fs::path& list, const std::string& text) {
    fs::path tmp = list;
    tmp += ".tmp";
    LineFileWriter out;
    out.open(tmp);
    out.append(text);
    out.close();
    if (diskRename(tmp, list) != 0) {
        int err = errno;
        removeQuietly(tmp);
        throw RunError(ErrorNumber::PathFileAccessError,
                       list.string() + ": cannot replace the file: " + std::strerror(err));
    }
}

}  // namespace

bool recoverInterruptedGeneration(const fs::path& appFolder) {
    // Settings, waypoint and set saves cut short by a kill leave their own leftovers too.
    recoverInterruptedWrites(appFolder);
    removeParts(appFolder);
    fs::path list = appFolder / kBackupListName;
    std::error_code ec;
    bool restored = false;
    if (fs::exists(list, ec)) {
        if (auto present = readBackupList(list)) {
            rollBack(appFolder, *present);
            restored = true;
        }
        removeQuietly(list);
    }
    removeBackups(appFolder);
    return restored;
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

void CutSetTransaction::begin() {
    if (state_ != State::Idle) abandon();
    recoverInterruptedGeneration(folder_);
    try {
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
                                   backup.string() + ": " + ec.message());
                }
            }
            list += kWorkingNames[i];
            list += "\r\n";
        }
        writeListAtomic(folder_ / kBackupListName, list);
        state_ = State::Open;
        step_.open(folder_ / kPartNames[0]);
        count_.open(folder_ / kPartNames[1]);
        datInfo_.open(folder_ / kPartNames[2]);
    } catch (...) {
        state_ = State::Idle;
        step_.discard();
        count_.discard();
        datInfo_.discard();
        removeParts(folder_);
        removeQuietly(folder_ / kBackupListName);
        removeBackups(folder_);
        throw;
    }
}

void CutSetTransaction::resetFromTemplates() {
    auto read = [this](const char* name) {
        try {
            return readFileBytes(folder_ / name);
        } catch (const RunError& e) {
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
    try {
        step_.close();
        count_.close();
        datInfo_.close();
        for (std::size_t i = 0; i < 3; ++i) {
            if (diskRename(folder_ / kPartNames[i], folder_ / kWorkingNames[i]) != 0) {
                throw RunError(ErrorNumber::PathFileAccessError,
                               (folder_ / kWorkingNames[i]).string() +
                                   ": cannot replace the file: " + std::strerror(errno));
            }
        }
    } catch (...) {
        abandon();
        throw;
    }
    // The new set is complete: from here a start keeps it.
    removeQuietly(folder_ / kBackupListName);
    removeBackups(folder_);
    state_ = State::Idle;
}

void CutSetTransaction::abandon() {
    if (state_ == State::Idle) return;
    state_ = State::Idle;
    step_.discard();
    count_.discard();
    datInfo_.discard();
    removeParts(folder_);
    fs::path list = folder_ / kBackupListName;
    if (auto present = readBackupList(list)) rollBack(folder_, *present);
    removeQuietly(list);
    removeBackups(folder_);
}

}  // namespace corvane
