// What `run --controller` and `controller info|unlock` share: the workspace's kind of
// controller connection (GrblConnection, the one the windows stream through) opened, the guard
// installed first so that every signal sends the soft reset, and the identity printed.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "controller/controller_choice.h"
#include "controller/grbl_connection.h"
#include "controller/grbl_session.h"
#include "machine/workspace.h"

namespace corvane::cli {

struct ControllerLink {
    std::unique_ptr<GrblConnection> connection;
    ControllerIdentity identity;
    ControllerLink() = default;
    ControllerLink(ControllerLink&&) = default;
    ControllerLink& operator=(ControllerLink&&) = default;
    // Closes the line without a soft reset: the command's end leaves the controller as it is.
    ~ControllerLink();
};

// The message is printed and nullopt returned when the address is wrong, the line cannot be
// opened or no controller answers. CORVANE_CONTROLLER_LOG=FILE logs the whole conversation.
[[nodiscard]] std::optional<ControllerLink> connectController(Workspace& ws,
                                                              const ControllerChoice& choice);

// banner, version, options, firmware, RX buffer, state.
void printIdentity(const ControllerIdentity& identity);

}  // namespace corvane::cli
