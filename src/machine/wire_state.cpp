// The wire switch, the wire state's bookkeeping and the one way settings come into force.
#include "machine/wire_state.h"

#include <exception>
#include <vector>

#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/port_io.h"

namespace corvane {

namespace {

// The bit operation that drives the wire pin active (on) or inactive (off), from the settings'
// one derivation of the pin; None when no pin or no level is chosen.
enum class BitOp { None, Set, Clear };
BitOp wireOperation(const WirePin& wire, bool on) {
    if (!wire.chosen) return BitOp::None;
    return (on == wire.setForActive) ? BitOp::Set : BitOp::Clear;
}

void driveWire(Workspace& ws, bool on) {
    const SettingsFields& f = ws.settings.fields;
    const WireDrive drive{f.enable, f.active_low, f.active_high, ws.settings.wireBit(),
                          static_cast<uint16_t>(ws.settings.derived.ControlPort)};
    switch (wireOperation(ws.settings.derived.wire, on)) {
        case BitOp::Set:
            ws.port().setPortBit(drive.controlPort, drive.bit);
            break;
        case BitOp::Clear:
            ws.port().clrPortBit(drive.controlPort, drive.bit);
            break;
        case BitOp::None:
            // No wire pin chosen: nothing is written and nothing can be on.
            on = false;
            break;
    }
    ws.wire.record(on, drive);
}

}  // namespace

void WireOn(Workspace& ws) {
    // Nothing heats without a known port: the refusal names the cause and the fix.
    if (!ws.portKnown()) throw RunError(ErrorNumber::PermissionDenied, ws.portRefusal());
    driveWire(ws, true);
}

void WireOff(Workspace& ws) {
    // Without a known port nothing was switched on through it and nothing may be written.
    if (!ws.portKnown()) {
        ws.wire.record(false, ws.wire.drivenBy());
        return;
    }
    driveWire(ws, false);
}

void WireState::record(bool on, WireDrive drive) {
    on_ = on;
    drivenBy_ = std::move(drive);
    // A copy: a listener may unregister (a window closing) while we call.
    std::vector<std::function<void()>> calls;
    for (auto& [id, listener] : listeners_) calls.push_back(listener);
    for (auto& call : calls) call();
}

int WireState::listen(std::function<void()> listener) {
    const int id = nextId_++;
    listeners_[id] = std::move(listener);
    return id;
}

void WireState::unlisten(int id) {
    listeners_.erase(id);
}

void applyMachineSettings(Workspace& ws, const MachineSettings& next) {
    // Under a lease the running motion keeps the pins and port it started with.
    if (ws.lease.held()) throw RunError(ErrorNumber::PermissionDenied, ws.lease.settingsRefusal());
    std::exception_ptr failure;
    auto attempt = [&failure](auto&& step) {
        try {
            step();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    attempt([&] { WireOff(ws); });
    ws.settings = next;
    attempt([&] {
        ws.port().setDataPort(ws.portKnown() ? static_cast<uint16_t>(ws.settings.derived.DataPort)
                                             : 0);
    });
    attempt([&] { WireOff(ws); });
    if (failure) std::rethrow_exception(failure);
}

}  // namespace corvane
