// Port access through the kernel's ppdev driver (/dev/parportN; the lp group is enough).
// The settings' data, status and control addresses map to its three registers. The port is
// claimed exclusively with its data lines driven; control bits change in one call each, and
// data bits change from a kept copy of the last byte written (we are the only writer).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/port_io.h"

namespace corvane {

// The system calls of the ppdev interface (a fake in tests). Each returns 0 or an errno value.
class PpdevCalls {
public:
    virtual ~PpdevCalls() = default;
    virtual int open(const std::string& device, int& fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual void close(int fd) = 0;
};
std::unique_ptr<PpdevCalls> realPpdevCalls();

class PpdevPort : public PortIo {
public:
    // Opens the device, claims it exclusively (PPEXCL, PPCLAIM), drives the wire pin to `rest`
    // at once (the claim has just reset the control lines), sets the data lines to drive
    // (PPDATADIR forward) and reads the data register once for the kept copy. RunError with a
    // clear message when any step fails; a failure after the claim drives `rest` again before
    // the release. `dataPort` is the settings' data address (status = +1, control = +2).
    PpdevPort(const std::string& device, uint16_t dataPort, WireRest rest = {},
              std::unique_ptr<PpdevCalls> calls = realPpdevCalls());
    PpdevPort(const std::string& device, uint16_t dataPort, std::unique_ptr<PpdevCalls> calls)
        : PpdevPort(device, dataPort, WireRest{}, std::move(calls)) {}
    // Drives the wire pin to its rest, releases and closes.
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
    int deviceHandle() const override { return fd_; }

private:
    enum class Reg { Data, Status, Control };
    Reg regOf(uint16_t port) const;
    uint8_t read(Reg reg);
    void writeData(uint8_t value);
    // Changes the control bits in `mask` to those of `value` in one call.
    void frobControl(uint8_t mask, uint8_t value);
    void call(unsigned long request, void* arg);
    // The wire pin's rest, by one PPFCONTROL; 0 or the call's errno value.
    int driveRest() noexcept;
    std::string device_;
    WireRest rest_;
    uint16_t dataPort_;
    std::unique_ptr<PpdevCalls> calls_;
    int fd_ = -1;
    uint8_t data_ = 0;  // the data register as last written
};

}  // namespace corvane
