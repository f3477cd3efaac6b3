// The byte line to a controller: a serial port, or in tests a scripted peer. Writes go out in
// full or fail; reads give what arrives within a timeout. A line that goes away (the USB cable
// pulled, the pty closed) throws SerialLost from either, so every caller ends its work there.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace corvane {

struct SerialLost : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class SerialLine {
public:
    virtual ~SerialLine() = default;
    virtual void write(std::string_view bytes) = 0;
    // What arrived within `timeoutMs` (possibly nothing).
    virtual std::string read(int timeoutMs) = 0;
    // The descriptor a signal handler may write the soft reset to; -1 when there is none.
    virtual int handle() const { return -1; }
    virtual std::string describe() const = 0;
};

}  // namespace corvane
