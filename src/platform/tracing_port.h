// Wraps any backend and writes every operation with its time to a trace file, one line each:
// "<seconds, 6 decimals> <OUT|SET|CLR|NOT|GET|IN> <port> <value or bit>". Each line goes out
// in one write, so a trace ended by a signal holds only whole lines, in order. A trace that
// cannot be written (a reader that quit: EPIPE; a file-size limit: EFBIG) stops the motion:
// the next data-register write fails with the reason, while the wire pin stays drivable.
#pragma once

#include <memory>
#include <string>

#include "platform/monotonic_clock.h"
#include "platform/port_io.h"

namespace corvane {

class TracingPort : public PortIo {
public:
    // RunError PathFileAccessError when the trace file cannot be created.
    TracingPort(PortIo& inner, MonotonicClock& clock, const std::string& tracePath);
    // Takes over a trace file made beforehand by createFile (so that it exists before any
    // port is claimed).
    TracingPort(PortIo& inner, MonotonicClock& clock, int fd, std::string tracePath);
    // Creates (truncates) the trace file: its descriptor, or RunError PathFileAccessError.
    static int createFile(const std::string& tracePath);
    ~TracingPort() override;
    TracingPort(const TracingPort&) = delete;
    TracingPort& operator=(const TracingPort&) = delete;

    void portOut(uint16_t port, uint8_t value) override;
    void setPortBit(uint16_t port, uint8_t bit) override;
    void clrPortBit(uint16_t port, uint8_t bit) override;
    void notPortBit(uint16_t port, uint8_t bit) override;
    bool getPortBit(uint16_t port, uint8_t bit) override;
    uint8_t portIn(uint16_t port) override;
    void setDataPort(uint16_t base) override { inner_.setDataPort(base); }
    std::string describe() const override { return inner_.describe(); }
    bool isHardware() const override { return inner_.isHardware(); }
    int deviceHandle() const override { return inner_.deviceHandle(); }
    // Each line is written whole as it happens: nothing waits in a buffer.
    void flush() {}
    // The trace file's descriptor and the clock reading at its start (the wire guard writes
    // its own line from a signal handler).
    int fd() const { return fd_; }
    int64_t startCount() const { return start_; }

private:
    void line(const char* op, uint16_t port, unsigned value);
    // RunError when the trace could not be written: a motion must not go on untraced.
    void checkWritten() const;
    PortIo& inner_;
    std::string path_;
    int writeError_ = 0;
    MonotonicClock& clock_;
    int fd_ = -1;
    int64_t start_ = 0;
};

}  // namespace corvane
