#include "run/working_set_reader.h"

#include "common/file_io.h"
#include "common/fixed_point.h"
#include "common/run_error.h"
#include "generate/active_delay_set.h"

namespace corvane {

// Both files hold one whole number a line, so both are read as count entries; a step value
// outside 0..255 is an Overflow like any byte conversion.
WorkingSetReader::WorkingSetReader(const std::filesystem::path& stepFile,
                                   const std::filesystem::path& countFile) {
    const std::vector<int32_t> steps = readCountEntries(readFileBytes(stepFile));
    steps_.reserve(steps.size());
    for (int32_t v : steps) steps_.push_back(toByte(v));
    counts_ = readCountEntries(readFileBytes(countFile));
}

std::optional<int32_t> WorkingSetReader::nextCount() {
    if (nextCount_ >= counts_.size()) return std::nullopt;
    return counts_[nextCount_++];
}

uint8_t WorkingSetReader::nextStep() {
    if (nextStep_ >= steps_.size()) throw RunError(ErrorNumber::InputPastEndOfFile);
    return steps_[nextStep_++];
}

}  // namespace corvane
