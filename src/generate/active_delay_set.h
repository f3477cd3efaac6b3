// The active delay-point set: the segments after which a running cut pauses. Rebuilt from the
// working count file (each 0 entry is a pause after the segments counted before it) and
// reported in the main window's status bar.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "machine/workspace.h"

namespace corvane {

inline constexpr const char* kDelayRebuildLabel = "Module 0, GDP";
inline constexpr const char* kDelayStatusSuffix = " Delay Points are currently active";

// "<count> Delay Points are currently active"
std::string delayStatusText(int count);

// Puts the status text of the workspace's set into panel 3.
void showDelayStatus(Workspace& ws);

// The entries of a count file, one whole number a line (blanks around it allowed, the last
// line may lack its CR LF, blank lines at the end are ignored). RunError TypeMismatch naming
// the line for anything else, Overflow past 32 bits; `validPrefix` then holds the entries read
// before the bad line.
std::vector<int32_t> readCountEntries(std::string_view bytes,
                                      std::vector<int32_t>* validPrefix = nullptr);

// The set that count entries record: a 0 entry is a pause after the number of non-zero
// entries before it (5, 7, 0, 9, 0, 0, 12 gives 2, 3, 3).
ActiveDelaySet delaySetFromCountEntries(const std::vector<int32_t>& entries);

// Rebuild from `cut_cnt.ct2` in the application folder and show the status text. On an error
// (missing file, an entry that is not a number) the set keeps the points read before the bad
// entry, the status shows that count, and the RunError is rethrown for the caller to report
// with kDelayRebuildLabel.
void rebuildActiveDelayPoints(Workspace& ws);

// The same, reporting instead of throwing: the error report text, or empty when it worked.
[[nodiscard]] std::string rebuildActiveDelayPointsReported(Workspace& ws);

}  // namespace corvane
