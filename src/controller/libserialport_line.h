// A controller's serial port through libserialport (Debian libserialport-dev): 8N1, no flow
// control, at the address's baud rate. Also the list of ports for the settings window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controller/serial_line.h"

struct sp_port;

namespace corvane {

class LibSerialPortLine : public SerialLine {
public:
    // SerialLost (with libserialport's reason) when the port cannot be opened.
    LibSerialPortLine(const std::string& device, int baud);
    ~LibSerialPortLine() override;
    LibSerialPortLine(const LibSerialPortLine&) = delete;
    LibSerialPortLine& operator=(const LibSerialPortLine&) = delete;

    void write(std::string_view bytes) override;
    std::string read(int timeoutMs) override;
    int handle() const override;
    std::string describe() const override;

private:
    sp_port* port_ = nullptr;
    std::string device_;
    int baud_;
};

// The serial ports the system lists, by device path, with the library's description.
struct SerialPortInfo {
    std::string device;
    std::string description;
};
std::vector<SerialPortInfo> listSerialPorts();

}  // namespace corvane
