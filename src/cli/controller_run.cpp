// run --controller: the set streamed to a GRBL-family controller with the character-counting
// protocol, progress on stderr and the port run's summary on stdout. Any signal sends the soft
// reset at once (the guard) and then the stop path runs; an error:N, an ALARM and a lost line
// end the cut with their message.
#include "cli/controller_run.h"

#include <cstdio>
#include <iostream>

#include "cli/controller_connect.h"
#include "cli/run_summary.h"
#include "cli/simulated_set.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "controller/grbl_connection.h"
#include "machine/wire_guard.h"

namespace corvane::cli {

namespace {

// X1 Y1 X2 Y2 under the board's letters for them (X Y Z A, or X Y U V).
std::string positionText(const ControllerProgress& s, const std::string& letters) {
    char text[160];
    std::snprintf(text, sizeof text, "%c%.3f %c%.3f %c%.3f %c%.3f", letters[0], s.position[0],
                  letters[1], s.position[1], letters[2], s.position[2], letters[3], s.position[3]);
    return text;
}

std::string wireText(const ControllerProgress& s) {
    return !s.wireKnown ? "not reported yet" : s.wireOn ? "on" : "off";
}

std::string statusText(const ControllerProgress& s, const std::string& letters) {
    return s.state + " at " + positionText(s, letters) + ", feed " + formatDouble(s.feed) +
           " mm/min, override " + std::to_string(s.feedOverride) + "%, wire " + wireText(s);
}

}  // namespace

int runOnController(CliContext& ctx, const ControllerRunOptions& o) {
    Workspace& ws = ctx.workspace();
    const LeaseHold lease = ws.lease.take(&ctx, kCommandLineHolder);
    SimulatedSet decoded;
    try {
        decoded = simulateNamedSet(ws, o.set, o.speed);
    } catch (const RunError& e) {
        printError(e, "Module 10, BC");
        return 1;
    }
    ControllerChoice choice;
    choice.address = o.controller;
    choice.wireOutput = o.wireOutput == "coolant" ? WireOutput::Coolant : WireOutput::Spindle;
    choice.wirePower = o.wirePower;
    std::optional<ControllerLink> link = connectController(ws, choice);
    if (!link) return 1;
    GrblConnection& connection = *link->connection;
    if (link->identity.inAlarm()) {
        printIdentity(link->identity);
        return 1;
    }
    if (!link->identity.axesRefusal.empty()) {
        printMessage(link->identity.axesRefusal + ".");
        return 1;
    }
    const Fixed4 speed = decoded.speed.speed;
    for (const std::string& w : connection.warningsFor(decoded.sim, speed, o.wire))
        printMessage("Warning: " + w);
    PreparedCut prepared;
    try {
        prepared = connection.prepareCut(decoded.sim, speed, o.pauseMs, o.wire);
    } catch (const RunError& e) {
        printError(e, "Module 10, BC");
        return 1;
    }
    if (!prepared.refusal.empty()) {
        printMessage(prepared.refusal);
        return 1;
    }
    const std::vector<ProgramLine>& lines = prepared.lines;
    const std::string& letters = link->identity.axisMap.letters;
    std::cerr << "Streaming " << lines.size() << " lines at " << formatDouble(speed.toDouble())
              << " mm/s (RX buffer " << link->identity.rxBuffer << " bytes)\n";

    ControllerControls controls;
    // The guard has sent the soft reset already; the stream then takes its stop path.
    const auto yield = [&controls] {
        if (WireGuard::requestedBy() != 0) controls.stop = true;
    };
    int lastTenth = -1;
    std::string lastState;
    const auto progress = [&](const ControllerProgress& p) {
        const int tenth = static_cast<int>(p.executed * 10 / std::max<std::size_t>(p.total, 1));
        if (tenth == lastTenth && p.state == lastState) return;
        lastTenth = tenth;
        lastState = p.state;
        std::cerr << "Line " << p.line << ": " << p.executed << " of " << p.total << " done, "
                  << p.acknowledged << " acknowledged"
                  << (!p.state.empty() ? ", " + statusText(p, letters) : "") << "\n";
    };
    const int64_t start = ws.clock().now();
    const ControllerCutReport report =
        connection.streamCut(decoded.sim, lines, controls, yield, progress);
    const StreamOutcome& outcome = report.outcome;
    const double seconds = countsToSeconds(ws.clock().now() - start, ws.clock());
    const int signal = WireGuard::requestedBy();

    if (outcome.end != StreamEnd::Completed) printMessage(outcome.message);
    if (outcome.endDifference) printMessage(endDifferenceText(*outcome.endDifference));
    if (outcome.end == StreamEnd::Lost)
        printMessage("The cut ended: the controller cannot be reached.");
    const DecodedSet& d = decoded.sim.decoded;
    std::cout << summaryLine(cutEndedText(outcome.end == StreamEnd::Completed,
                                          outcome.end == StreamEnd::Stopped),
                             std::to_string(outcome.acknowledged) + " of " +
                                 std::to_string(lines.size()) + " lines acknowledged (" +
                                 std::to_string(d.ticks) + " ticks, " +
                                 std::to_string(d.segments.size()) + " segments, " +
                                 std::to_string(d.pauses) + " pauses in the set)",
                             seconds,
                             " (" +
                                 std::to_string(outcome.acknowledged * 100 /
                                                std::max<std::size_t>(lines.size(), 1)) +
                                 "% of the program)")
              << "\n"
              << "Controller: " << outcome.statusReports << " status reports, at most "
              << outcome.mostOutstanding << " of " << link->identity.rxBuffer
              << " buffer bytes outstanding, at most " << secondsText(outcome.mostQueuedSeconds)
              << " s of motion queued\n";
    if (outcome.finalStatus)
        std::cout << "Final state: " << statusText(progressOf(*outcome.finalStatus), letters)
                  << "\n";
    // Where the cut left the machine, counted from where it began, as the controller says.
    if (const auto& moved = report.result.moved) {
        char text[160];
        std::snprintf(text, sizeof text, "X1 %.3f Y1 %.3f X2 %.3f Y2 %.3f", (*moved)[0],
                      (*moved)[1], (*moved)[2], (*moved)[3]);
        std::cout << "Counted position: " << text << " mm from where the cut began\n";
    } else {
        std::cout << "Counted position: not known (the controller was lost while the machine "
                     "moved): set Home again\n";
    }
    const auto& last = report.lastStatus;
    std::cout << "Wire: " << (last ? wireText(progressOf(*last)) : std::string("not reported yet"))
              << ", as the controller last reported it\n";
    std::cout.flush();
    if (signal != 0) return 128 + signal;
    return outcome.end == StreamEnd::Completed ? 0 : outcome.end == StreamEnd::Stopped ? 130 : 1;
}

}  // namespace corvane::cli
