// The hot wire: its switch (WireOn, WireOff) and its one state, on or off as last driven, with
// the pin, level and port that drove it. Every wire caption is drawn from the state, and windows
// listen for its changes instead of keeping a state of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace corvane {

class MachineSettings;
class Workspace;

// The wire pin and level a drive used (the `enable` text, the level option, the control bit).
struct WireDrive {
    std::string enable;
    bool active_low = false;
    bool active_high = false;
    uint8_t bit = 0;
    uint16_t controlPort = 0;
};

class WireState {
public:
    bool on() const { return on_; }
    const WireDrive& drivenBy() const { return drivenBy_; }

    // After every drive (WireOn, WireOff); tells every listener.
    void record(bool on, WireDrive drive);

    // Called after every recorded drive; the id unregisters it.
    int listen(std::function<void()> listener);
    void unlisten(int id);

private:
    bool on_ = false;
    WireDrive drivenBy_;
    std::map<int, std::function<void()>> listeners_;
    int nextId_ = 1;
};

// The hot wire's active and inactive level on ControlPort (nothing when no pin is chosen); both
// record the result in the workspace's wire state. Switching off always drives the inactive
// level, never inverts. WireOn refuses without a known port (RunError PermissionDenied with
// portRefusal()); WireOff then writes nothing.
void WireOn(Workspace& ws);
void WireOff(Workspace& ws);

// Puts new settings in force without ever leaving a pin active: the old wire pin is driven
// inactive with the old settings, the settings and the port's granted registers change, and the
// new wire pin is driven inactive. The settings are replaced even when a drive fails; the first
// failure is rethrown afterwards (RunError). Refused (RunError PermissionDenied, nothing
// changed) while a source holds the machine's lease.
void applyMachineSettings(Workspace& ws, const MachineSettings& next);

}  // namespace corvane
