// Writes each port operation with its time since the trace began.
#include "platform/tracing_port.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/run_error.h"

namespace corvane {

int TracingPort::createFile(const std::string& tracePath) {
    const int fd =
        ::open(tracePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw RunError(ErrorNumber::PathFileAccessError,
                       tracePath + ": cannot create the trace file: " + std::strerror(errno));
    }
    return fd;
}

TracingPort::TracingPort(PortIo& inner, MonotonicClock& clock, const std::string& tracePath)
    : TracingPort(inner, clock, createFile(tracePath), tracePath) {}

TracingPort::TracingPort(PortIo& inner, MonotonicClock& clock, int fd, std::string tracePath)
    : inner_(inner), path_(std::move(tracePath)), clock_(clock), fd_(fd) {
    start_ = clock_.now();
}

void TracingPort::checkWritten() const {
    if (writeError_ == 0) return;
    throw RunError(ErrorNumber::PathFileAccessError,
                   path_ + ": the port trace cannot be written (" + std::strerror(writeError_) +
                       "), so the motion was stopped");
}

TracingPort::~TracingPort() {
    if (fd_ >= 0) ::close(fd_);
}

void TracingPort::line(const char* op, uint16_t port, unsigned value) {
    int64_t elapsed = clock_.now() - start_;
    int64_t freq = clock_.frequency();
    int64_t whole = elapsed / freq;
    int64_t micros = (elapsed % freq) * 1'000'000 / freq;
    char text[64];
    const int n =
        std::snprintf(text, sizeof text, "%lld.%06lld %s %u %u\n", static_cast<long long>(whole),
                      static_cast<long long>(micros), op, static_cast<unsigned>(port), value);
    if (::write(fd_, text, static_cast<size_t>(n)) != n && writeError_ == 0)
        writeError_ = errno != 0 ? errno : EIO;
}

void TracingPort::portOut(uint16_t port, uint8_t value) {
    checkWritten();
    inner_.portOut(port, value);
    line("OUT", port, value);
    checkWritten();
}

void TracingPort::setPortBit(uint16_t port, uint8_t bit) {
    inner_.setPortBit(port, bit);
    line("SET", port, bit);
}

void TracingPort::clrPortBit(uint16_t port, uint8_t bit) {
    inner_.clrPortBit(port, bit);
    line("CLR", port, bit);
}

void TracingPort::notPortBit(uint16_t port, uint8_t bit) {
    inner_.notPortBit(port, bit);
    line("NOT", port, bit);
}

bool TracingPort::getPortBit(uint16_t port, uint8_t bit) {
    bool value = inner_.getPortBit(port, bit);
    line("GET", port, bit);
    return value;
}

uint8_t TracingPort::portIn(uint16_t port) {
    uint8_t value = inner_.portIn(port);
    line("IN", port, value);
    return value;
}

}  // namespace corvane
