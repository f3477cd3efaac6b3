// run --controller: the set streamed to a GRBL-family controller with the character-counting
// protocol, progress on stderr and the port run's summary on stdout. Any signal sends the soft
// reset at once (the guard) and then the stop path runs; an error:N, an ALARM and a lost line
// end the cut with their message.
#include "cli/controller_run.h"

#include <cstdio>
#include <iostream>

#include "cli/controller_connect.h"
#include "cli/simulated_set.h"
#include "common/number_format.h"
#include "controller/controller_program.h"
#include "controller/grbl_connection.h"
#include "controller/settings_comparison.h"
#include "machine/wire_guard.h"

namespace corvane::cli {

namespace {

// X1 Y1 X2 Y2 under the board's letters for them (X Y Z A, or X Y U V).
std::string positionText(const grbl::StatusReport& s, const std::string& letters) {
    char text[160];
    std::snprintf(text, sizeof text, "%c%.3f %c%.3f %c%.3f %c%.3f", letters[0], s.position[0],
                  letters[1], s.position[1], letters[2], s.position[2], letters[3], s.position[3]);
    return text;
}

std::string wireText(const grbl::StatusReport& s) {
    return !s.accessoriesKnown ? "not reported yet" : s.spindleOn || s.coolantOn ? "on" : "off";
}

std::string statusText(const grbl::StatusReport& s, const std::string& letters) {
    return s.state + " at " + positionText(s, letters) + ", feed " + formatDouble(s.feed) +
           " mm/min, override " + std::to_string(s.overrides[0]) + "%, wire " + wireText(s);
}

std::string elapsedText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
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
    std::optional<ControllerLink> link = connectController(o.controller, ws.clock());
    if (!link) return 1;
    GrblSession& session = *link->session;
    if (link->identity.inAlarm()) {
        printIdentity(link->identity);
        return 1;
    }
    const Fixed4 speed = decoded.speed.speed;
    const SettingsComparison cmp =
        compareSettings(link->identity.settings, ws.settings.derived.StepsPerMm,
                        fastestAxisFeeds(decoded.sim, speed), link->identity.axisMap);
    for (const std::string& w : cmp.warnings) printMessage("Warning: " + w);
    if (!link->identity.axesRefusal.empty()) {
        printMessage(link->identity.axesRefusal + ".");
        return 1;
    }
    if (o.wire && o.wireOutput != "coolant")
        for (const std::string& w : spindleWireWarnings(link->identity.settings, o.wirePower,
                                                        decoded.sim.decoded.pauses > 0))
            printMessage("Warning: " + w);
    if (!cmp.accepted()) {
        for (const std::string& r : cmp.refusals) printMessage(r);
        printMessage("Corvane will not cut on this controller.");
        return 1;
    }
    ControllerCutOptions cut;
    cut.speed = speed;
    cut.pauseMs = o.pauseMs;
    cut.wire = o.wire;
    cut.output = o.wireOutput == "coolant" ? WireOutput::Coolant : WireOutput::Spindle;
    cut.power = o.wirePower;
    cut.letters = link->identity.axisMap.letters;
    const std::string& letters = cut.letters;
    const std::vector<ProgramLine> lines = controllerCut(decoded.sim, cut);
    std::cerr << "Streaming " << lines.size() << " lines at " << formatDouble(speed.toDouble())
              << " mm/s (RX buffer " << link->identity.rxBuffer << " bytes)\n";

    StreamControl control;
    control.yield = [&control] {
        if (WireGuard::requestedBy() != 0) control.stop = true;
    };
    int lastTenth = -1;
    std::string lastState;
    control.progress = [&](const StreamProgress& p) {
        const int tenth = static_cast<int>(p.executed * 10 / std::max<std::size_t>(p.total, 1));
        const std::string state = p.status ? p.status->state : "";
        if (tenth == lastTenth && state == lastState) return;
        lastTenth = tenth;
        lastState = state;
        std::cerr << "Line " << p.executing << ": " << p.executed << " of " << p.total << " done, "
                  << p.acknowledged << " acknowledged"
                  << (p.status ? ", " + statusText(*p.status, letters) : "") << "\n";
    };
    const int64_t start = ws.clock().now();
    const StreamOutcome outcome = session.stream(lines, control);
    const double seconds =
        static_cast<double>(ws.clock().now() - start) / static_cast<double>(ws.clock().frequency());
    const int signal = WireGuard::requestedBy();

    if (outcome.end != StreamEnd::Completed) printMessage(outcome.message);
    if (outcome.endDifference) printMessage(endDifferenceText(*outcome.endDifference));
    if (outcome.end == StreamEnd::Lost)
        printMessage("The cut ended: the controller cannot be reached.");
    const char* ended = outcome.end == StreamEnd::Completed ? "Cut complete"
                        : outcome.end == StreamEnd::Stopped ? "Cut stopped"
                                                            : "Cut failed";
    const std::string elapsed = elapsedText(seconds);
    const DecodedSet& d = decoded.sim.decoded;
    std::cout << ended << ": " << outcome.acknowledged << " of " << lines.size()
              << " lines acknowledged (" << d.ticks << " ticks, " << d.segments.size()
              << " segments, " << d.pauses << " pauses in the set), " << elapsed << " s elapsed ("
              << outcome.acknowledged * 100 / std::max<std::size_t>(lines.size(), 1)
              << "% of the program)\n"
              << "Controller: " << outcome.statusReports << " status reports, at most "
              << outcome.mostOutstanding << " of " << link->identity.rxBuffer
              << " buffer bytes outstanding, at most " << elapsedText(outcome.mostQueuedSeconds)
              << " s of motion queued\n";
    if (outcome.finalStatus)
        std::cout << "Final state: " << statusText(*outcome.finalStatus, letters) << "\n";
    // Where the cut left the machine, counted from where it began, as the controller says.
    const auto moved = outcome.end == StreamEnd::Lost || !outcome.finalStatus
                           ? std::nullopt
                           : movedBetween(outcome.startPosition, *outcome.finalStatus);
    if (moved) {
        char text[160];
        std::snprintf(text, sizeof text, "X1 %.3f Y1 %.3f X2 %.3f Y2 %.3f", (*moved)[0],
                      (*moved)[1], (*moved)[2], (*moved)[3]);
        std::cout << "Counted position: " << text << " mm from where the cut began\n";
    } else {
        std::cout << "Counted position: not known (the controller was lost while the machine "
                     "moved): set Home again\n";
    }
    const auto& last = session.lastStatus();
    std::cout << "Wire: " << (last ? wireText(*last) : std::string("not reported yet"))
              << ", as the controller last reported it\n";
    std::cout.flush();
    if (signal != 0) return 128 + signal;
    return outcome.end == StreamEnd::Completed ? 0 : outcome.end == StreamEnd::Stopped ? 130 : 1;
}

}  // namespace corvane::cli
