// Port access through the kernel's ppdev driver (/dev/parportN; the lp group is enough).
// The settings' data, status and control addresses map to its three registers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/port_io.h"

namespace corvane {

class PpdevPort : public PortIo {
public:
    // Opens and claims the device; RunError with a clear message when it cannot.
    // `dataPort` is the settings' data address (status = +1, control = +2).
    PpdevPort(const std::string& device, uint16_t dataPort);
    ~PpdevPort() override;

    void setDataPort(uint16_t dataPort) override { dataPort_ = dataPort; }
    void portOut(uint16_t port, uint8_t value) override;
    void setPortBit(uint16_t port, uint8_t bit) override;
    void clrPortBit(uint16_t port, uint8_t bit) override;
    void notPortBit(uint16_t port, uint8_t bit) override;
    bool getPortBit(uint16_t port, uint8_t bit) override;
    uint8_t portIn(uint16_t port) override;
    std::string describe() const override { return "ppdev " + device_; }
    bool isHardware() const override { return true; }

private:
    enum class Reg { Data, Status, Control, None };
    Reg regOf(uint16_t port) const;
    uint8_t read(Reg reg);
    void write(Reg reg, uint8_t value);
    std::string device_;
    uint16_t dataPort_;
    int fd_ = -1;
};

}  // namespace corvane
