// The disk-fault walk over the seam in common/file_io.
#include "support/disk_faults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/file_io.h"
#include "support/disk_call_counts.h"
#include "support/test_support.h"

namespace corvane::test {

namespace {

struct TotalsPrinter {
    FaultWalkFigures figures;
    ~TotalsPrinter() {
        if (figures.callsFailed > 0)
            std::printf("disk-fault walk: %ld calls failed, %ld files checked\n",
                        figures.callsFailed, figures.filesChecked);
    }
};

TotalsPrinter& totals() {
    static TotalsPrinter t;
    return t;
}

}  // namespace

FaultWalkFigures& faultWalkTotals() {
    return totals().figures;
}

FaultWalkFigures walkDiskFaults(const std::function<void()>& setUp,
                                const std::function<void()>& run,
                                const std::function<void(const std::string& which)>& check) {
    struct Disarm {
        ~Disarm() { failDiskCall(DiskCall::Write, 0, 0); }
    } disarm;
    setUp();
    failDiskCall(DiskCall::Write, 0, 0);
    run();
    const long counts[4] = {diskCalls(DiskCall::Write), diskCalls(DiskCall::Sync),
                            diskCalls(DiskCall::Rename), diskCalls(DiskCall::Unlink)};
    const char* names[4] = {"write", "fsync", "rename", "unlink"};
    const int errors[3] = {ENOSPC, EIO, EACCES};
    FaultWalkFigures figures;
    int turn = 0;
    for (int kind = 0; kind < 4; ++kind) {
        for (long n = 1; n <= counts[kind]; ++n) {
            const int error = errors[turn++ % 3];
            setUp();
            failDiskCall(static_cast<DiskCall>(kind), n, error);
            run();
            failDiskCall(DiskCall::Write, 0, 0);
            check(std::string(names[kind]) + " " + std::to_string(n) + " of " +
                  std::to_string(counts[kind]) + " failing with " + std::strerror(error));
            ++figures.callsFailed;
        }
    }
    faultWalkTotals().callsFailed += figures.callsFailed;
    return figures;
}

FaultWalkFigures walkDiskFaultPairs(const std::function<void()>& setUp,
                                    const std::function<void()>& run,
                                    const std::function<void(const std::string& which)>& check) {
    struct Disarm {
        ~Disarm() { failDiskCall(DiskCall::Write, 0, 0); }
    } disarm;
    setUp();
    failDiskCall(DiskCall::Write, 0, 0);
    run();
    const long calls = diskCallsInAll();
    FaultWalkFigures figures;
    const int errors[3] = {EIO, ENOSPC, EACCES};
    int turn = 0;
    for (long first = 1; first <= calls; ++first) {
        for (long second = first + 1; second <= calls + 1; ++second) {
            const int error = errors[turn++ % 3];
            setUp();
            failDiskCallsInOrder({first, second}, error);
            run();
            failDiskCall(DiskCall::Write, 0, 0);
            check("calls " + std::to_string(first) + " and " + std::to_string(second) + " of " +
                  std::to_string(calls) + " failing with " + std::strerror(error));
            ++figures.callsFailed;
        }
    }
    faultWalkTotals().callsFailed += figures.callsFailed;
    return figures;
}

std::map<std::string, std::string> folderSnapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        // The folder's lock file stays once made (removing it would race its next taker).
        if (entry.path().filename() == ".corvane-lock") continue;
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).string()] =
                readFile(entry.path());
    }
    return files;
}

void expectFolderUnchanged(const std::map<std::string, std::string>& before,
                           const std::filesystem::path& folder, const std::string& which) {
    const auto after = folderSnapshot(folder);
    EXPECT_EQ(after.size(), before.size()) << which;
    for (const auto& [name, bytes] : after) {
        auto it = before.find(name);
        if (it == before.end()) {
            ADD_FAILURE() << which << ": left behind " << name;
        } else {
            EXPECT_TRUE(it->second == bytes) << which << ": changed " << name;
        }
    }
    faultWalkTotals().filesChecked += static_cast<long>(before.size());
}

}  // namespace corvane::test
