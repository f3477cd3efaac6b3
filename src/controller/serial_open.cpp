// libserialport first, then termios, whose reason is the one given.
#include "controller/serial_open.h"

#include "controller/libserialport_line.h"
#include "controller/tty_line.h"

namespace corvane {

std::unique_ptr<SerialLine> openSerialLine(const ControllerAddress& address) {
    try {
        return std::make_unique<LibSerialPortLine>(address.device, address.baud);
    } catch (const SerialLost&) {
        // termios says why in words a person understands (not a serial port, no such file,
        // no permission, a baud rate it cannot set) where the library only says "invalid".
        return std::make_unique<TtyLine>(address.device, address.baud);
    }
}

}  // namespace corvane
