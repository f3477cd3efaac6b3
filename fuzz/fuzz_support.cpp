// The scratch folder and workspace of the fuzz targets.
#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "common/file_io.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane::fuzz {

namespace {

struct Scratch {
    std::filesystem::path path;
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corvane-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("corvane fuzz: no scratch folder");
            std::abort();
        }
        path = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

struct ScratchMachine {
    SimulatedPort port;
    FakeClock clock{1000};
    Workspace ws{scratchFolder(), port, clock};
};

}  // namespace

const std::filesystem::path& scratchFolder() {
    static Scratch scratch;
    return scratch.path;
}

std::filesystem::path scratchFile(std::string_view name, std::string_view bytes) {
    std::filesystem::path path = scratchFolder() / name;
    // Straight through stdio: the fuzzed bytes are the test, not the program's own write path.
    std::FILE* f = std::fopen(path.c_str(), "wb");
    // An empty input has no data pointer to hand to fwrite.
    const bool written =
        f && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    if (!f || std::fclose(f) != 0 || !written) {
        std::perror("corvane fuzz: cannot write the scratch file");
        std::abort();
    }
    return path;
}

Workspace& scratchWorkspace(bool fresh) {
    static std::unique_ptr<ScratchMachine> machine;
    if (!machine || fresh) {
        machine.reset();  // the old one first: one workspace at a time
        machine = std::make_unique<ScratchMachine>();
        machine->ws.settings.fields.resetDefaults();
        machine->ws.settings.derive();
    }
    return machine->ws;
}

void finding(const std::string& what) {
    std::fprintf(stderr, "corvane fuzz finding: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace corvane::fuzz
