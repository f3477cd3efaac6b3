// Fuzz target: the journal a replacement of several files leaves when its writer is killed
// between the renames, as the next start reads it to put the old files back. The journal lies
// in a folder of the scratch folder under the name of a writer that no longer runs, beside a
// few files it may name; a journal may name anything (absolute paths, "..", other writers'
// names): recovery must never act outside its folder, so a file beside the folder is checked
// to be untouched after every input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "fuzz_support.h"

using namespace corvane;

namespace {

std::string contentOf(const std::filesystem::path& p) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec)) return "(gone)";
    return readFileBytes(p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::filesystem::path base = fuzz::scratchFolder() / "journal_case";
    const std::filesystem::path folder = base / "journal";
    std::filesystem::remove_all(base);
    std::filesystem::create_directories(folder);
    // The working directory is elsewhere, so a relative name cannot reach the folder by chance.
    if (chdir(fuzz::scratchFolder().c_str()) != 0) std::abort();
    fuzz::scratchFile("journal_case/outside.txt", "outside\r\n");
    fuzz::scratchFile("journal_case/journal/cut.ct1", "new\r\n");
    fuzz::scratchFile("journal_case/journal/.corvane-cut.ct1.99999999.AbC123", "temporary\r\n");
    fuzz::scratchFile("journal_case/journal/.corvane-cut.ct1.99999999.AbC123.old", "old\r\n");
    // Beyond any pid the system hands out, so the writer is surely gone.
    fuzz::scratchFile("journal_case/journal/.corvane-cut.ct1.99999999.replacing", bytes);
    // The same bytes as a journal of the earlier format: it is reported, never applied.
    fuzz::scratchFile("journal_case/journal/.cut_cnt.ct2.99999998.replacing", bytes);
    fuzz::scratchFile("journal_case/journal/.notes.99999998.AbC123", "operator's own\r\n");

    const RecoveryReport first = recoverInterruptedWrites(folder);
    const RecoveryReport second = recoverInterruptedWrites(folder);
    fuzz::require(contentOf(base / "outside.txt") == "outside\r\n",
                  "recovery changed a file outside its folder");
    fuzz::require(contentOf(folder / ".notes.99999998.AbC123") == "operator's own\r\n",
                  "recovery touched a file without the program's prefix");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(base)) ++entries;
    fuzz::require(entries == 2, "recovery made a file outside its folder");
    // A journal that was applied is gone; what stays is reported again, never acted on twice.
    fuzz::require(first.problems.size() >= second.problems.size(),
                  "a second recovery found new problems");
    return 0;
}
