#include "cli/run_resume.h"

#include <string>

#include "cli/cli_context.h"
#include "run/cut_record.h"

namespace corvane::cli {

namespace {

ResumeRequest requestOf(const ResumeOptions& o) {
    if (o.fromSegment) return {ResumeRequest::From::Segment, *o.fromSegment};
    if (o.fromDelayPoint) return {ResumeRequest::From::DelayPoint, *o.fromDelayPoint};
    return {};
}

// A count from 1: the range in words, not the largest double the default check would print.
CLI::Validator countFromOne(const std::string& what) {
    return CLI::Validator(
        [what](std::string& text) -> std::string {
            try {
                std::size_t used = 0;
                const long long n = std::stoll(text, &used);
                if (used == text.size() && n >= 1 && n <= 2147483647) return {};
            } catch (const std::exception&) {
            }
            return what + " counts from 1 (the first) up to the last of the set; " + text +
                   " is not one";
        },
        "N >= 1");
}

std::string stepsText(const CutPlace& p) {
    return "X1 " + std::to_string(p.steps[0]) + ", Y1 " + std::to_string(p.steps[1]) + ", X2 " +
           std::to_string(p.steps[2]) + ", Y2 " + std::to_string(p.steps[3]) + " steps";
}

}  // namespace

void addResumeOptions(CLI::App& cmd, ResumeOptions& o) {
    CLI::Option* resume =
        cmd.add_flag("--resume", o.resume, "go on with the stopped cut from where it stopped");
    CLI::Option* segment = cmd.add_option("--from-segment", o.fromSegment,
                                          "resume from the start of segment N (back along the "
                                          "path cut)")
                               ->check(countFromOne("--from-segment"));
    CLI::Option* delay = cmd.add_option("--from-delay-point", o.fromDelayPoint,
                                        "resume from delay point K (back along the path cut)")
                             ->check(countFromOne("--from-delay-point"));
    segment->excludes(delay);
    resume->excludes(segment)->excludes(delay);
    cmd.add_option("--heat-s", o.heatSeconds,
                   "on a resume, seconds the wire heats before the first tick (default 5)")
        ->check(CLI::Range(0.0, 600.0));
    cmd.add_option("--stop-after", o.stopAfter, "stop as Stop does after N ticks (a rehearsal)")
        ->check(positiveNumber());
}

std::optional<ResumePlan> resumePlanFor(Workspace& ws, const ResumeOptions& o, bool foam) {
    if (!o.asked()) return std::nullopt;
    try {
        ResumePlan plan = planResumeIn(ws, requestOf(o), o.heatSeconds, foam);
        printMessage(plan.what);
        return plan;
    } catch (const ResumeRefused& e) {
        printMessage(e.what());
    } catch (const RunError& e) {
        printError(e, "corvane-cli run");
    }
    throw ReportedError(1);
}

void printResumePath(Workspace& ws, int segment, std::ostream& out) {
    try {
        std::optional<CutRecord> record = readCutRecord(ws.appFolder());
        const bool recorded = record.has_value();
        if (!recorded) {
            // No stopped cut: the path from the segment to the end, as if the cut had finished.
            record = newCutRecord(ws, false);
            const CutTape bare = readCutTape(ws, *record);
            record->place = replayTo(*record, bare, ws.settings.derived, bare.size());
        }
        const CutTape tape = readCutTape(ws, *record);
        const ResumePlan plan =
            planResume(*record, tape, fingerprintSet(ws.appFolder()), ws.settings.derived,
                       {ResumeRequest::From::Segment, segment}, 0);
        const CutPlace start = replayTo(*record, tape, ws.settings.derived, plan.to);
        const CutPlace end = replayTo(*record, tape, ws.settings.derived, tape.size());
        out << "Resume from segment " << segment << ": "
            << (recorded ? "the record says the cut stopped at tick "
                         : "no stopped cut is recorded; from the end of the cut, tick ")
            << plan.from << " of " << tape.size() << " (" << stepsText(plan.stand) << ")\n";
        out << "Back along the cut path: " << plan.backTicks() << " ticks, to tick " << plan.to
            << " (" << stepsText(start) << ")\n";
        out << "Then on: " << tape.size() - plan.to << " ticks to the end (" << stepsText(end)
            << "), lead-out " << tape.leadTicks() << " ticks; the lead-in is not made again\n";
    } catch (const ResumeRefused& e) {
        printMessage(e.what());
        throw ReportedError(1);
    }
}

}  // namespace corvane::cli
