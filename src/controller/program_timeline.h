// What each streamed line asks of the machine, read from its words: where its move ends (program
// coordinates X Y Z A), whether it moves, and how long it takes (G93 inverse time: 1/F minutes;
// G94: length over F; G4 P: seconds). From it the stream tells which line the machine executes,
// by the line number it reports (Ln:) or else by its position on the program's path, and bounds
// the motion queued on the controller by time.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "controller/grbl_session.h"

namespace corvane {

struct LineMotion {
    std::array<double, 4> start{};  // where the machine stands when the line begins
    std::array<double, 4> end{};
    bool moves = false;
    double seconds = 0;
    int number = 0;
};

class ProgramTimeline {
public:
    explicit ProgramTimeline(const std::vector<ProgramLine>& lines);

    std::size_t size() const { return lines_.size(); }
    const LineMotion& at(std::size_t i) const { return lines_[i]; }
    // The program zeroes its coordinates (G92 X0 Y0 Z0 A0) before its first move: its
    // coordinates are then the machine's less where it stood at the start.
    bool zeroesAtStart() const { return zeroesAtStart_; }
    // Seconds of the lines [from, to).
    double seconds(std::size_t from, std::size_t to) const;
    // The last line numbered `number` or less (what a reported Ln: names); nullopt before the
    // first numbered line.
    std::optional<std::size_t> indexOfNumber(int number) const;
    // The first line in [from, to) whose path passes within `tolerance` mm of `position`.
    std::optional<std::size_t> locate(const std::array<double, 4>& position, std::size_t from,
                                      std::size_t to, double tolerance) const;
    // The fraction of line `i`'s move done at `position` (0 for a line that does not move).
    double fractionAt(std::size_t i, const std::array<double, 4>& position) const;

private:
    std::vector<LineMotion> lines_;
    bool zeroesAtStart_ = false;
};

// `text` with `N<number> ` in front when `number` is positive, so the controller's Ln: names it.
std::string numbered(int number, const std::string& text);

}  // namespace corvane
