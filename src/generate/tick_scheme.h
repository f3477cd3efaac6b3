// How one segment becomes ticks: each axis's step count from its profile difference, and the
// accumulator scheme that spreads every axis's steps evenly over the segment's ticks.
#pragma once

#include <cstdint>
#include <limits>

#include "generate/line_file_writer.h"

namespace corvane {

// Steps per unit of profile coordinate on one axis: c = (K / C + 1) * C * S, the tower chord
// enlarged by the kerf. RunError DivisionByZero for C = 0 (Overflow when K is 0 as well).
double stepsPerProfileUnit(double kerfMm, double chord, int32_t stepsPerMm);

// An axis's step position at a profile coordinate: round(c * (u - u1)), halves to even, counted
// from the profile's first point. Counting each segment as the difference of two such positions
// carries every rounding remainder on, so no point drifts by more than half a step and a closed
// profile closes. RunError Overflow past 32 bits.
int32_t stepPosition(double stepsPerUnit, double offsetFromFirst);

// One axis through one segment. An axis with no steps never steps (its accumulator is
// infinite) and carries only its direction level.
struct AxisRun {
    int32_t count = 0;
    double ratio = 0;
    double accumulator = std::numeric_limits<double>::infinity();
    unsigned stepPattern = 0;  // step bit plus direction level
    unsigned dirPattern = 0;   // direction level alone

    // Sets the ratio N / count and the starting accumulator for a segment of `ticks` ticks.
    void start(int32_t ticks) {
        if (count >= 1) {
            ratio = static_cast<double>(ticks) / count;
            accumulator = ratio;
        } else {
            accumulator = std::numeric_limits<double>::infinity();
        }
    }
};

// Writes the segment's ticks j = 1..N: an axis steps at tick j when its accumulator is at most
// j, and then advances it by its ratio (repeated addition, never a recomputed multiple); the
// byte is the sum of the four axes' patterns.
//
//   tick j:     1   2   3   4   5   6      (N = 6)
//   X1 n=6      S   S   S   S   S   S      ratio 1
//   Y1 n=3      .   S   .   S   .   S      ratio 2: first step on tick 2
//   X2 n=0      .   .   .   .   .   .      direction level only
//
// The accumulator only changes when its axis steps, so the tick of each step follows from the
// one before: the first tick j >= previous + 1 with accumulator <= j, i.e.
// max(previous + 1, ceil(accumulator)). Walking each axis from step to step (instead of
// testing four accumulators on every tick) gives the same ticks and keeps the four
// accumulations independent of each other, which the processor can overlap.
// Repeated addition can carry an axis's last accumulator a hair past N: the step it still owes
// goes to the latest tick on which that axis did not step, so every axis makes its full count
// and no axis steps twice in one tick.
void writeSegmentTicks(const AxisRun (&axes)[4], int32_t ticks, LineFileWriter& out);

}  // namespace corvane
