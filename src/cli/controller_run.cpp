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
#include "controller/settings_comparison.h"
#include "machine/wire_guard.h"

namespace corvane::cli {

namespace {

std::string positionText(const grbl::StatusReport& s) {
    char text[160];
    std::snprintf(text, sizeof text, "X%.3f Y%.3f Z%.3f A%.3f", s.position[0], s.position[1],
                  s.position[2], s.position[3]);
    return text;
}

std::string statusText(const grbl::StatusReport& s) {
    return s.state + " at " + positionText(s) + ", feed " + formatDouble(s.feed) +
           " mm/min, override " + std::to_string(s.overrides[0]) + "%, wire " +
           (s.spindleOn || s.coolantOn ? "on" : "off");
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
                        fastestAxisFeeds(decoded.sim, speed));
    for (const std::string& w : cmp.warnings) printMessage("Warning: " + w);
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
    std::vector<ProgramLine> lines = controllerCut(decoded.sim, cut);
    // The program's positions count from the start of the cut: here.
    lines.insert(lines.begin(), ProgramLine{0, "G92 X0 Y0 Z0 A0"});
    std::cerr << "Streaming " << lines.size() << " lines at " << formatDouble(speed.toDouble())
              << " mm/s (RX buffer " << link->identity.rxBuffer << " bytes)\n";

    StreamControl control;
    control.yield = [&control] {
        if (WireGuard::requestedBy() != 0) control.stop = true;
    };
    int lastTenth = -1;
    std::string lastState;
    control.progress = [&](const StreamProgress& p) {
        const int tenth = static_cast<int>(p.acknowledged * 10 / std::max<std::size_t>(p.total, 1));
        const std::string state = p.status ? p.status->state : "";
        if (tenth == lastTenth && state == lastState) return;
        lastTenth = tenth;
        lastState = state;
        std::cerr << "Line " << p.lastAcknowledgedLine << ": " << p.acknowledged << " of "
                  << p.total << " acknowledged" << (p.status ? ", " + statusText(*p.status) : "")
                  << "\n";
    };
    const int64_t start = ws.clock().now();
    const StreamOutcome outcome = session.stream(lines, control);
    const double seconds =
        static_cast<double>(ws.clock().now() - start) / static_cast<double>(ws.clock().frequency());
    const int signal = WireGuard::requestedBy();

    if (outcome.end != StreamEnd::Completed) printMessage(outcome.message);
    if (outcome.end == StreamEnd::Lost)
        printMessage("The cut ended: the controller cannot be reached.");
    const char* ended = outcome.end == StreamEnd::Completed ? "Cut complete"
                        : outcome.end == StreamEnd::Stopped ? "Cut stopped"
                                                            : "Cut failed";
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.3f", seconds);
    const DecodedSet& d = decoded.sim.decoded;
    std::cout << ended << ": " << outcome.acknowledged << " of " << lines.size()
              << " lines acknowledged (" << d.ticks << " ticks, " << d.segments.size()
              << " segments, " << d.pauses << " pauses in the set), " << elapsed << " s elapsed ("
              << outcome.acknowledged * 100 / std::max<std::size_t>(lines.size(), 1)
              << "% of the program)\n"
              << "Controller: " << outcome.statusReports << " status reports, at most "
              << outcome.mostOutstanding << " of " << link->identity.rxBuffer
              << " buffer bytes outstanding\n";
    if (outcome.finalStatus)
        std::cout << "Final state: " << statusText(*outcome.finalStatus) << "\n";
    std::cout.flush();
    if (signal != 0) return 128 + signal;
    return outcome.end == StreamEnd::Completed ? 0 : outcome.end == StreamEnd::Stopped ? 130 : 1;
}

}  // namespace corvane::cli
