// Fuzz target: a set's step file (.ct1, one port byte a line) beside a sound count file.
#include <cstddef>
#include <cstdint>

#include "cut_files.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    corvane::fuzz::readCutFiles(corvane::fuzz::bytesOf(data, size), "3\r\n0\r\n6\r\n9\r\n0\r\n");
    return 0;
}
