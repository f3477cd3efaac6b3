// Fuzz target: portscope's parport.ini as it is read on start; every value taken from the file
// must lie in the range its control accepts.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "portscope/parport_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    namespace fz = corvane::fuzz;
    const auto path = fz::scratchFile("parport.ini", fz::bytesOf(data, size));
    const portscope::ScopeSettings defaults;
    const portscope::ScopeSettings read = portscope::readSettings(path, defaults);
    fz::require(read.connector == 0 || read.connector == 1, "a connector neither female nor male");
    fz::require(read.sampleRate >= 0 &&
                    static_cast<std::size_t>(read.sampleRate) < portscope::sampleRates().size(),
                "a sample-rate index past the list");
    return 0;
}
