// Fuzz target: a set's DAT-information file (datinfo.ct3) as Load, the runners' drawing and the
// simulator read it, with the profiles it names. The scratch folder is the working directory
// and holds two small profiles, so the seeds name them as left.dat and right.dat.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "generate/cut_set_layout.h"
#include "machine/workspace.h"
#include "run/set_drawing_loader.h"
#include "simulate/simulation.h"

using namespace corvane;

namespace {

void setUpFolder() {
    static const bool done = [] {
        const char* profile = "1 0\r\n0.5 0.06\r\n0 0\r\n0.5 -0.04\r\n1 0\r\n";
        fuzz::scratchFile("left.dat", profile);
        fuzz::scratchFile("right.dat", profile);
        fuzz::scratchFile(kStepFileName, "1\r\n3\r\n4\r\n12\r\n16\r\n48\r\n");
        fuzz::scratchFile(kCountFileName, "2\r\n0\r\n4\r\n6\r\n");
        if (chdir(fuzz::scratchFolder().c_str()) != 0) std::abort();
        return true;
    }();
    (void)done;
}

// A path the file may name that the harness will not open: devices and system folders could
// block or never end, which is the operator's choice of file, not a reader's fault.
bool safeToOpen(const std::string& path) {
    return path.empty() ||
           (path[0] != '/' && path[0] != '~' && path.find("..") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    setUpFolder();
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::vector<std::string> all = readDatInfoFields(bytes, 8);
    fuzz::require(all.size() <= 8, "more fields than asked for");
    const std::vector<std::string> two = readDatInfoFields(bytes, 2);
    fuzz::require(two.size() == std::min<std::size_t>(all.size(), 2) &&
                      std::equal(two.begin(), two.end(), all.begin()),
                  "the first fields differ with the limit");
    for (std::size_t i = 0; i < std::min<std::size_t>(all.size(), 2); ++i) {
        if (!safeToOpen(all[i])) return 0;
    }

    fuzz::scratchFile(kDatInfoFileName, bytes);
    Workspace& ws = fuzz::scratchWorkspace();
    for (const CutSetKind kind : {CutSetKind::Wing, CutSetKind::Foam}) {
        (void)loadSetDrawing(ws, kind);
    }
    // The step and count files are sound: whatever the information line holds, the simulation
    // runs and at most leaves out the comparison with the profiles.
    (void)simulateSet(ws, workingSetPaths(ws.appFolder()));
    return 0;
}
