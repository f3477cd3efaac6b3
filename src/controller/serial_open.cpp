// libserialport first, then termios.
#include "controller/serial_open.h"

#include "controller/libserialport_line.h"
#include "controller/tty_line.h"

namespace corvane {

std::unique_ptr<SerialLine> openSerialLine(const ControllerAddress& address) {
    try {
        return std::make_unique<LibSerialPortLine>(address.device, address.baud);
    } catch (const SerialLost& refused) {
        try {
            return std::make_unique<TtyLine>(address.device, address.baud);
        } catch (const SerialLost&) {
            throw refused;
        }
    }
}

}  // namespace corvane
