// Load and Save of cut-file sets.
#include "generate/cut_set_commands.h"

#include <optional>
#include <system_error>

#include "common/file_io.h"
#include "common/folder_lock.h"
#include "common/run_error.h"
#include "generate/active_delay_set.h"
#include "generate/cut_set_layout.h"
#include "generate/cut_set_transaction.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

LoadOutcome refused(const char* text) {
    LoadOutcome out;
    out.messages.push_back({paddedLoadMessage(text), ""});
    return out;
}

}  // namespace

std::string setBusyRefusal(const Workspace& ws) {
    std::string holder = ws.lease.held() ? ws.lease.holderName() : runningCutHolder(ws.appFolder());
    if (holder.empty()) return {};
    return "The working cut-file set cannot be replaced while " + holder +
           " holds the machine: the cut under way goes on with the set it began with. Stop it "
           "there or let it finish, then try again.";
}

std::string paddedLoadMessage(const std::string& text) {
    return "     " + text + "     ";
}

LoadOutcome loadCutSet(Workspace& ws, const fs::path& chosenStepFile) {
    if (chosenStepFile.empty()) return {};
    const CutSetPaths saved = savedSetPaths(chosenStepFile);
    LoadOutcome out;
    if (const std::string busy = setBusyRefusal(ws); !busy.empty()) {
        out.messages.push_back({busy, kMachineBusyTitle});
        return out;
    }
    std::optional<FolderLock> lock;
    try {
        // The working set changes hands as a whole: no other program writes it meanwhile.
        lock.emplace(ws.appFolder());
    } catch (const RunError& e) {
        out.messages.push_back({errorReportText(e, kLoadCutFileLabel), "", e.detail()});
        return out;
    }
    // A save of this set that was cut short is undone first: the set loads whole or not at all.
    // What recovery could not settle stays as it is, and so does the working set.
    const RecoveryReport report = recoverInterruptedWrites(saved.step.parent_path());
    if (!report.clean()) {
        out.messages.push_back({paddedLoadMessage(kLoadFolderUnsettled), "", report.text()});
        return out;
    }
    if (!isFile(saved.step)) return refused(kCutFileNotFound);
    if (!isFile(saved.count)) return refused(kCountFileNotFound);
    if (!isFile(saved.datInfo)) return refused(kDatInfoFileNotFound);

    try {
        const std::vector<std::string> fields = readDatInfoFields(readFileBytes(saved.datInfo), 2);
        if (fields.size() < 2) return refused(kDatInfoFileIncomplete);
        if (!isFile(fs::path(fields[0])) || !isFile(fs::path(fields[1]))) {
            return refused(kLoadDatFileNotFound);
        }
        if (firstNonNumberLine(readFileBytes(saved.step))) return refused(kCutFileDamaged);
        if (firstNonNumberLine(readFileBytes(saved.count))) return refused(kCountFileDamaged);

        CutSetTransaction tx(ws.appFolder());
        tx.begin();
        tx.copyInto(tx.stepFile(), saved.step);
        tx.copyInto(tx.countFile(), saved.count);
        tx.copyInto(tx.datInfoFile(), saved.datInfo);
        tx.finish();
        out.loaded = true;
    } catch (const RunError& e) {
        // The detail names the file and the reason (a full disk, say).
        out.messages.push_back({errorReportText(e, kLoadCutFileLabel), "", e.detail()});
        return out;
    }

    std::string rebuildError = rebuildActiveDelayPointsReported(ws);
    if (!rebuildError.empty()) out.messages.push_back({rebuildError, ""});
    out.messages.push_back({paddedLoadMessage(kCutFilesLoaded), ""});
    return out;
}

bool namesProgramFile(const fs::path& appFolder, const fs::path& chosenStepFile) {
    const CutSetPaths target = savedSetPaths(chosenStepFile);
    const CutSetPaths working = workingSetPaths(appFolder);
    std::vector<fs::path> own = {working.step, working.count, working.datInfo};
    for (const char* name : {kStepTemplateName, kCountTemplateName, kDatInfoTemplateName,
                             kBackupListName, kFolderLockName})
        own.push_back(appFolder / name);
    for (const char* name : kBackupNames) own.push_back(appFolder / name);
    auto same = [](const fs::path& a, const fs::path& b) {
        std::error_code ec;
        if (fs::equivalent(a, b, ec)) return true;
        return fs::weakly_canonical(fs::absolute(a), ec) ==
               fs::weakly_canonical(fs::absolute(b), ec);
    };
    for (const fs::path& t : {target.step, target.count, target.datInfo}) {
        for (const fs::path& o : own) {
            if (same(t, o)) return true;
        }
    }
    return false;
}

void saveCutSet(const fs::path& appFolder, const fs::path& chosenStepFile) {
    if (chosenStepFile.empty()) return;
    if (namesProgramFile(appFolder, chosenStepFile)) throw SaveRefused();
    const CutSetPaths working = workingSetPaths(appFolder);
    const CutSetPaths target = savedSetPaths(chosenStepFile);
    // The working set is read whole: no generation or Load replaces it meanwhile.
    FolderLock lock(appFolder);
    const RecoveryReport report = recoverInterruptedWrites(target.step.parent_path());
    if (!report.clean()) {
        throw RunError(
            ErrorNumber::PathFileAccessError,
            target.step.string() + ": not saved, the file was not changed: " + report.text());
    }
    // All three or none: a full disk halfway must not leave a saved set of mixed files.
    writeFilesAtomic({{target.step, readFileBytes(working.step)},
                      {target.count, readFileBytes(working.count)},
                      {target.datInfo, readFileBytes(working.datInfo)}});
}

}  // namespace corvane
