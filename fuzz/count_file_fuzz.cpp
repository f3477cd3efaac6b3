// Fuzz target: a set's count file (_cnt.ct2, running tick totals and 0 pauses) beside a sound
// step file of sixteen ticks.
#include <cstddef>
#include <cstdint>

#include "cut_files.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const char* kSteps =
        "1\r\n3\r\n4\r\n12\r\n16\r\n48\r\n64\r\n192\r\n1\r\n3\r\n5\r\n7\r\n0\r\n255\r\n2\r\n8\r\n";
    corvane::fuzz::readCutFiles(kSteps, corvane::fuzz::bytesOf(data, size));
    return 0;
}
