// The tests' hook on the disk calls of common/file_io.h: counts every call by kind and over
// all kinds together, and fails the ones a test names, as a full or failing disk would. It is
// set from the start of every test program that uses it, so counts run from there.
#pragma once

#include <vector>

#include "common/file_io.h"

namespace corvane {

// The n-th call (1-based, counted from now) of `call` fails with `error`; n = 0 fails none.
// Calls of every kind are counted from the moment it is set. Thread-safe.
// kKilledAtDiskCall as the error kills the process at that call instead (SIGKILL).
inline constexpr int kKilledAtDiskCall = -1;
void failDiskCall(DiskCall call, long n, int error);
// The calls with these numbers, counted over all kinds together (1-based, from now), fail with
// `error` (up to four).
void failDiskCallsInOrder(const std::vector<long>& numbers, int error);
long diskCalls(DiskCall call);
long diskCallsInAll();

}  // namespace corvane
