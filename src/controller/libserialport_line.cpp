// libserialport underneath; a pty (socat) opens the same way as a USB serial adapter.
#include "controller/libserialport_line.h"

#include <libserialport.h>
#include <poll.h>

#include <cerrno>
#include <cstring>

namespace corvane {

namespace {

std::string lastError(const std::string& what) {
    char* message = sp_last_error_message();
    std::string text = what + ": " + (message != nullptr ? message : std::strerror(errno));
    sp_free_error_message(message);
    return text;
}

}  // namespace

LibSerialPortLine::LibSerialPortLine(const std::string& device, int baud)
    : device_(device), baud_(baud) {
    if (sp_get_port_by_name(device.c_str(), &port_) != SP_OK)
        throw SerialLost(lastError("No serial port " + device));
    if (sp_open(port_, SP_MODE_READ_WRITE) != SP_OK) {
        const std::string why = lastError("The serial port " + device + " cannot be opened");
        sp_free_port(port_);
        port_ = nullptr;
        throw SerialLost(why);
    }
    // A rate the port cannot run at is refused, not left at whatever the port had (termios
    // then gets its turn, and says which rates it knows).
    if (sp_set_baudrate(port_, baud) != SP_OK) {
        const std::string why =
            lastError("The baud rate " + std::to_string(baud) + " cannot be set on " + device);
        sp_close(port_);
        sp_free_port(port_);
        port_ = nullptr;
        throw SerialLost(why);
    }
    // A pty refuses some of these (no line settings of its own): it carries bytes all the same.
    sp_set_bits(port_, 8);
    sp_set_parity(port_, SP_PARITY_NONE);
    sp_set_stopbits(port_, 1);
    sp_set_flowcontrol(port_, SP_FLOWCONTROL_NONE);
}

LibSerialPortLine::~LibSerialPortLine() {
    if (port_ == nullptr) return;
    sp_close(port_);
    sp_free_port(port_);
}

void LibSerialPortLine::write(std::string_view bytes) {
    const sp_return n = sp_blocking_write(port_, bytes.data(), bytes.size(), 2000);
    if (n < 0 || static_cast<std::size_t>(n) != bytes.size())
        throw SerialLost(lastError("The serial line " + device_ + " was lost"));
}

std::string LibSerialPortLine::read(int timeoutMs) {
    // poll() tells a hung-up line (POLLHUP, POLLERR) from a quiet one; the library's read
    // would report both as nothing received.
    pollfd p{handle(), POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready < 0 && errno != EINTR) throw SerialLost(lastError("The serial line was lost"));
    if (ready <= 0) return {};
    char buffer[512];
    const sp_return n = sp_nonblocking_read(port_, buffer, sizeof buffer);
    if (n < 0 || (n == 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0))
        throw SerialLost("The serial line " + device_ + " was lost (the device hung up)");
    return std::string(buffer, static_cast<std::size_t>(n));
}

int LibSerialPortLine::handle() const {
    int fd = -1;
    if (port_ != nullptr && sp_get_port_handle(port_, &fd) == SP_OK) return fd;
    return -1;
}

std::string LibSerialPortLine::describe() const {
    return device_ + " at " + std::to_string(baud_) + " baud";
}

std::vector<SerialPortInfo> listSerialPorts() {
    std::vector<SerialPortInfo> found;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK) return found;
    for (sp_port** p = ports; *p != nullptr; ++p) {
        const char* description = sp_get_port_description(*p);
        found.push_back({sp_get_port_name(*p), description != nullptr ? description : ""});
    }
    sp_free_port_list(ports);
    return found;
}

}  // namespace corvane
