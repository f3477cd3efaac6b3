// The wire state's bookkeeping and the one way settings come into force.
#include "machine/wire_state.h"

#include <exception>
#include <vector>

#include "common/run_error.h"
#include "machine/step_output.h"
#include "machine/workspace.h"
#include "platform/port_io.h"

namespace corvane {

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
