// Fuzz target: settings.txt as "Load settings" reads it, the derived values after it, and the
// line "Done" would write back.
#include <cstddef>
#include <cstdint>

#include "common/run_error.h"
#include "fuzz_support.h"
#include "machine/machine_settings.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto path = fuzz::scratchFile("settings.txt", fuzz::bytesOf(data, size));
    MachineSettings settings;
    try {
        settings.load(path);
    } catch (const RunError&) {
        // Refused: whatever was read before the failure stays in the fields, and must still
        // derive and write without a crash.
        try {
            settings.derive();
        } catch (const RunError&) {
        }
    }
    (void)settings.fileLine();
    (void)settings.wireBit();
    return 0;
}
