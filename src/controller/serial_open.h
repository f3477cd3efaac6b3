// Opens the line an address names: libserialport for the ports the system lists, termios for
// a terminal it cannot describe (a pty). SerialLost with the reason when neither can.
#pragma once

#include <memory>

#include "controller/controller_address.h"
#include "controller/serial_line.h"

namespace corvane {

std::unique_ptr<SerialLine> openSerialLine(const ControllerAddress& address);

}  // namespace corvane
