// The step and count files of the working set as the cut loop consumes them: one port byte
// per tick, one running total (or a 0 delay marker) per entry, read front to back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace corvane {

class WorkingSetReader {
public:
    // Reads both files; RunError FileNotFound when one is missing, TypeMismatch for a line
    // that is not a number, Overflow for a step byte past 255 or a total past 32 bits.
    WorkingSetReader(const std::filesystem::path& stepFile, const std::filesystem::path& countFile);

    std::size_t stepCount() const { return steps_.size(); }
    const std::vector<uint8_t>& steps() const { return steps_; }
    // Every entry of the count file, front to back (running totals and 0 delay markers).
    const std::vector<int32_t>& countEntries() const { return counts_; }
    // The next count entry; nullopt at the end of the count file.
    std::optional<int32_t> nextCount();
    // The next port byte; RunError InputPastEndOfFile past the end of the step file.
    uint8_t nextStep();

private:
    std::vector<uint8_t> steps_;
    std::vector<int32_t> counts_;
    std::size_t nextStep_ = 0;
    std::size_t nextCount_ = 0;
};

}  // namespace corvane
