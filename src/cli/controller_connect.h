// What `run --controller` and `controller info` share: the line opened, the guard told where
// to send its soft reset, the controller connected and its identity printed.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "controller/controller_address.h"
#include "controller/grbl_session.h"
#include "controller/serial_line.h"
#include "platform/monotonic_clock.h"

namespace corvane::cli {

struct ControllerLink {
    std::unique_ptr<SerialLine> line;
    std::unique_ptr<GrblSession> session;
    ControllerIdentity identity;
    ControllerLink() = default;
    ControllerLink(ControllerLink&&) = default;
    ControllerLink& operator=(ControllerLink&&) = default;
    ~ControllerLink();  // the guard forgets the line before it closes
};

// The message is printed and nullopt returned when the address is wrong, the line cannot be
// opened or no controller answers.
[[nodiscard]] std::optional<ControllerLink> connectController(const std::string& address,
                                                              MonotonicClock& clock);

// banner, version, options, firmware, RX buffer, state.
void printIdentity(const ControllerIdentity& identity);

}  // namespace corvane::cli
