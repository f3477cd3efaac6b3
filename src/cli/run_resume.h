// The resume options of corvane-cli run (--resume, --from-segment, --from-delay-point, --heat-s)
// and of simulate (--from-segment): the plan checked and said before anything moves, with the
// same messages as the cut windows.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <ostream>

#include "machine/workspace.h"
#include "run/resume_plan.h"

namespace corvane::cli {

struct ResumeOptions {
    bool resume = false;
    std::optional<int> fromSegment;
    std::optional<int> fromDelayPoint;
    double heatSeconds = 5;
    std::optional<int64_t> stopAfter;  // a rehearsal: Stop after this many ticks

    bool asked() const { return resume || fromSegment || fromDelayPoint; }
};

void addResumeOptions(CLI::App& cmd, ResumeOptions& options);

// The plan when a resume was asked for, printed to stderr; nullopt for Begin Cut. A refusal is
// printed and thrown as ReportedError(1). `foam`: the runner is the foam one (--foam).
[[nodiscard]] std::optional<ResumePlan> resumePlanFor(Workspace& ws, const ResumeOptions& options,
                                                      bool foam);

// simulate --from-segment: the path a resume from `segment` takes, from the record where there
// is one (else from the end of the cut), without moving anything. ReportedError on a refusal.
void printResumePath(Workspace& ws, int segment, std::ostream& out);

}  // namespace corvane::cli
