// The disk-fault walk: an operation is run once to count its writes, fsyncs, renames and
// removals, then
// once more for every one of them with that call failing (ENOSPC, EIO, EACCES in turn), and a
// check runs after each failure.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace corvane::test {

struct FaultWalkFigures {
    long callsFailed = 0;   // runs with one call failing
    long filesChecked = 0;  // files compared byte for byte after those runs
};

// `setUp` brings the folder to its starting state, `run` does the operation (it may throw; the
// walk catches nothing), `check` gets a text saying which call failed.
FaultWalkFigures walkDiskFaults(const std::function<void()>& setUp,
                                const std::function<void()>& run,
                                const std::function<void(const std::string& which)>& check);

// The same with two calls failing, for every pair of the operation's calls counted over all
// kinds together (the second one past the end: only the first fails); the failures come from
// the rollback as well as from the write, so the rollback's own failures are walked too.
FaultWalkFigures walkDiskFaultPairs(const std::function<void()>& setUp,
                                    const std::function<void()>& run,
                                    const std::function<void(const std::string& which)>& check);

// Every file under `folder` (relative name -> bytes): equal snapshots mean nothing changed
// and nothing was left behind.
std::map<std::string, std::string> folderSnapshot(const std::filesystem::path& folder);

// Expects the folder to hold exactly `before` (counted in the walk's totals).
void expectFolderUnchanged(const std::map<std::string, std::string>& before,
                           const std::filesystem::path& folder, const std::string& which);

// The walk's totals over the whole test program, printed at its end.
FaultWalkFigures& faultWalkTotals();

}  // namespace corvane::test
