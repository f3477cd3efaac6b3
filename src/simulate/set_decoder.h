// What a cut-file set does to the wire, from its bytes alone: each port byte through the current
// settings' pins and reversal into steps of the four axes, tick by tick, with Begin Cut's lead
// moves and pauses. It never asks how the generator spread the steps, so it checks any set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/fixed_point.h"
#include "generate/cut_set_layout.h"
#include "run/cut_runner.h"

namespace corvane {

struct DerivedSettings;

enum AxisIndex : int { kX1 = 0, kY1 = 1, kX2 = 2, kY2 = 3 };
inline constexpr const char* kAxisNames[4] = {"X1", "Y1", "X2", "Y2"};

// Step positions of X1, Y1, X2, Y2 from the start of the cut; back and up count positive, as the
// generator turns positive profile differences into Back and Up patterns.
using AxisSteps = std::array<int64_t, 4>;

// One port byte as the machine takes it: an axis steps when its step pin is high, back (X) or up
// (Y) when its direction pin is high on a normal axis or low on a reversed one.
class StepDecoder {
public:
    explicit StepDecoder(const DerivedSettings& settings);
    // -1, 0 or +1 per axis.
    const std::array<int8_t, 4>& operator()(uint8_t byte) const { return table_[byte]; }
    // False for an axis whose step pin the settings do not name: it never steps.
    bool wired(int axis) const { return wired_[static_cast<std::size_t>(axis)]; }

private:
    std::array<std::array<int8_t, 4>, 256> table_{};
    std::array<bool, 4> wired_{};
};

// A set's step and count files in memory, read by the runner's own reader.
struct LoadedSet {
    std::vector<uint8_t> steps;   // one port byte a tick
    std::vector<int32_t> counts;  // running tick totals, 0 for a delay point
};
// RunError as the runner meets it (FileNotFound, TypeMismatch, Overflow), the file named in the
// detail.
LoadedSet loadSet(const CutSetPaths& paths);

enum class SegmentKind { LeadIn, Profile, LeadOut };

struct DecodedSegment {
    SegmentKind kind = SegmentKind::Profile;
    int number = 0;             // profile segment 1, 2, ... (the count file's order); 0 for leads
    std::size_t firstLine = 0;  // index of its first byte in the step file (profile segments)
    int64_t firstTick = 0;      // ticks output before it, lead-in included
    int64_t ticks = 0;
    AxisSteps start{}, end{};
    int pausesAfter = 0;  // delay points waited at once it is cut

    // The end in mm from the start (steps / StepsPerMm), X1, Y1, X2, Y2.
    std::array<double, 4> endMm(int32_t stepsPerMm) const {
        std::array<double, 4> mm{};
        for (std::size_t a = 0; a < 4; ++a) mm[a] = static_cast<double>(end[a]) / stepsPerMm;
        return mm;
    }
    // How long its ticks take at `tickMs` a tick.
    double durationMs(double tickMs) const { return static_cast<double>(ticks) * tickMs; }
};

struct DecodedSet {
    std::vector<DecodedSegment> segments;  // in output order
    int pausesAtStart = 0;  // zero entries before any movement (no lead-in, first entries 0)
    int64_t ticks = 0;      // every tick, lead moves included
    int64_t setTicks = 0;   // ticks taken from the step file
    int64_t leadTicks = 0;  // lead-in plus lead-out
    int profileSegments = 0;
    int pauses = 0;
    std::size_t stepLines = 0;  // lines of the step file; more than setTicks: never output
    AxisSteps min{}, max{};     // travel range of each axis (the start is 0)
    AxisSteps end{};

    const DecodedSegment* lastProfileSegment() const;
};

// Called for every tick with its segment (complete: its end is known) and the position after it.
using TickVisitor = std::function<void(const DecodedSegment&, const AxisSteps&)>;

// Plays the set as Begin Cut does: the lead-in; then, per count entry, a pause for each 0 and a
// segment for each other value, taking the step file's bytes up to that running total (a total
// not above the one before takes none); the lead-out. RunError InputPastEndOfFile when the step
// file is shorter than the totals ask. With `visit`, a second pass hands it every tick.
DecodedSet decodeSet(const LoadedSet& set, const StepDecoder& decoder,
                     const std::optional<LeadMoves>& lead, const TickVisitor& visit = {});

// Hands every tick of an already decoded set to `visit` (same order and positions).
void visitTicks(const LoadedSet& set, const StepDecoder& decoder,
                const std::optional<LeadMoves>& lead, const DecodedSet& decoded,
                const TickVisitor& visit);

// One tick at `speed` on the parallel port: the step's high time (not below 0) plus the 1 ms low.
// RunError DivisionByZero for a speed or StepsPerMm of 0.
double tickMs(int32_t stepsPerMm, Fixed4 speed);

}  // namespace corvane
