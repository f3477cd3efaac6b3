// The program-wide state in one place: machine settings and derived values, motion state,
// position and waypoints, the current job, the active delay points and the move plan, plus the
// port and clock they act on. The application makes one and hands it to every window.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine_lease.h"
#include "machine/machine_settings.h"
#include "machine/position.h"
#include "machine/step_output.h"
#include "machine/wire_state.h"

namespace corvane {

class PortIo;
class MonotonicClock;
class ControllerConnection;
class ThreadScheduling;

// The tower chords and airfoil paths of the current job.
struct JobValues {
    double LeftTowerChord = 0;
    double RightTowerChord = 0;
    std::string leftAirfoilPath;
    std::string rightAirfoilPath;
    // The CutSpeed the working set was generated at here, mm/s (0: not known), and the
    // DAT-information file it was generated with: a set that has no room to record its speed
    // (a foam set) is known by it while it stays the working set.
    double madeForSpeedMmS = 0;
    std::string madeForDatInfo;
};

// The pause points the next generation writes as zero count entries (segment numbers).
struct ActiveDelaySet {
    int ActiveDelayPointCount = 0;
    std::vector<int> ActiveDelayPoints;  // [0] is point 1
};

// The tick bytes the return-home and waypoint windows play.
struct MovePlan {
    std::vector<uint8_t> bytes;
};

class Workspace {
public:
    Workspace(std::filesystem::path appFolder, PortIo& port, MonotonicClock& clock)
        : appFolder_(std::move(appFolder)), port_(&port), clock_(&clock) {}

    const std::filesystem::path& appFolder() const { return appFolder_; }
    std::filesystem::path file(std::string_view name) const { return appFolder_ / name; }

    PortIo& port() { return *port_; }
    const PortIo& port() const { return *port_; }
    void setPort(PortIo& port) { port_ = &port; }
    MonotonicClock& clock() { return *clock_; }

    MachineSettings settings;
    MotionState motion;
    PositionState position;
    JobValues job;
    ActiveDelaySet delays;
    MovePlan movePlan;
    WireState wire;      // the hot wire as last driven
    MachineLease lease;  // who drives the machine and the wire now (nobody when free)
    // The controller the machine is reached through; nullptr: the port.
    ControllerConnection* controller = nullptr;
    // Where motions ask for real-time priority (the programs pass the system's); nullptr keeps
    // the thread's priority (tests, scratch workspaces).
    ThreadScheduling* scheduling = nullptr;

    // The main window's status bar, panels 1 to 3 (no-op without a window).
    std::function<void(int panel, const std::string& text)> showStatus = [](int,
                                                                            const std::string&) {};
    // Let the window system process pending events once (no-op headless).
    std::function<void()> yield = [] {};

    void setStatus(int panel, const std::string& text) { showStatus(panel, text); }
    // The status bar has said that a cut could not lock the memory: it says so once a session,
    // not at every cut.
    bool memoryRefusalShown = false;

    // True when the settings name one of the known port addresses. Without one nothing may be
    // written to any port: no step, no wire.
    bool portKnown() const { return settings.derived.DataPort != 0; }
    // Empty with a known port; otherwise the one message that says why nothing can move or heat
    // and how to fix it (every refusing command shows it, titled kNoPortTitle).
    std::string portRefusal() const {
        if (portKnown()) return {};
        const std::string& text = settings.fields.port_address;
        const std::string cause =
            !settings.loadFailure.empty()
                ? "settings.txt could not be read in full (" + settings.loadFailure + ")"
            : text.empty() || text == "Combo1"
                ? "no port address is set in 设备设置 (端口地址)"
                : "the port address \"" + text +
                      "\" in 设备设置 (端口地址) is not one of 378h, "
                      "278h or 3BCh";
        return "No parallel port is set: " + cause +
               ", so nothing is written to the port. Open 设备设置, choose the port address "
               "and press Done.";
    }
    static constexpr const char* kNoPortTitle = "No Port";

private:
    std::filesystem::path appFolder_;
    PortIo* port_;
    MonotonicClock* clock_;
};

}  // namespace corvane
