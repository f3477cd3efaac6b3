// Fuzz target: the journal a replacement of several files leaves when its writer is killed
// between the renames, as the next start reads it to put the old files back. The journal lies
// in the scratch folder (the working directory) under the name of a writer that no longer runs,
// beside a few files it may name; the harness takes only journals whose names stay inside that
// folder (no "/"), since a rollback renames and removes what the journal names.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "fuzz_support.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    if (bytes.find('/') != std::string_view::npos) return 0;
    const std::filesystem::path folder = fuzz::scratchFolder() / "journal";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    if (chdir(folder.c_str()) != 0) std::abort();
    // Beyond any pid the system hands out, so the writer is surely gone.
    fuzz::scratchFile("journal/.cut.ct1.99999999.replacing", bytes);
    fuzz::scratchFile("journal/cut.ct1", "new\r\n");
    fuzz::scratchFile("journal/.cut.ct1.99999999.AbC123", "temporary\r\n");
    fuzz::scratchFile("journal/.cut.ct1.99999999.XyZ789.old", "old\r\n");
    recoverInterruptedWrites(folder);
    recoverInterruptedWrites(folder);  // a second start finds nothing more to do
    return 0;
}
