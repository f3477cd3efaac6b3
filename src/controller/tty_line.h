// A terminal device opened with termios: what libserialport 0.1.1 refuses because sysfs does
// not list it (a pty, such as socat's in front of the firmware's simulator, or a board behind a
// network serial server). Raw 8N1, no flow control, at the address's baud rate.
#pragma once

#include <string>

#include "controller/serial_line.h"

namespace corvane {

class TtyLine : public SerialLine {
public:
    // SerialLost when the device cannot be opened or is no terminal.
    TtyLine(const std::string& device, int baud);
    ~TtyLine() override;
    TtyLine(const TtyLine&) = delete;
    TtyLine& operator=(const TtyLine&) = delete;

    void write(std::string_view bytes) override;
    std::string read(int timeoutMs) override;
    int handle() const override { return fd_; }
    std::string describe() const override;

private:
    int fd_ = -1;
    std::string device_;
    int baud_;
};

}  // namespace corvane
