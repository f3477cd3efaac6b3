// termios underneath, as libserialport would set it.
#include "controller/tty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane {

namespace {

// 0 for a rate termios cannot set.
speed_t speedOf(int baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 115200:
            return B115200;
        case 921600:
            return B921600;
        default:
            return 0;
    }
}

}  // namespace

TtyLine::TtyLine(const std::string& device, int baud) : device_(device), baud_(baud) {
    const speed_t speed = speedOf(baud);
    if (speed == 0)
        throw SerialLost("The baud rate " + std::to_string(baud) + " cannot be set on " + device +
                         ": use 9600, 19200, 38400, 57600, 115200, 230400, 460800 or 921600");
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw SerialLost("The serial port " + device +
                         " cannot be opened: " + std::strerror(errno));
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        ::close(fd_);
        fd_ = -1;
        throw SerialLost(device +
                         " is not a serial port (it is a file or a device of another "
                         "kind): choose the controller's port, e.g. /dev/ttyUSB0 or /dev/ttyACM0");
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    // TCSANOW: a flush would throw away what the controller already said.
    ::tcsetattr(fd_, TCSANOW, &t);
}

TtyLine::~TtyLine() {
    if (fd_ >= 0) ::close(fd_);
}

void TtyLine::write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 2000) <= 0 || (p.revents & (POLLHUP | POLLERR)) != 0)
                throw SerialLost("The serial line " + device_ + " was lost (no write possible)");
        } else {
            throw SerialLost("The serial line " + device_ + " was lost: " + std::strerror(errno));
        }
    }
}

std::string TtyLine::read(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready < 0 && errno != EINTR)
        throw SerialLost("The serial line " + device_ + " was lost: " + std::strerror(errno));
    if (ready <= 0) return {};
    char buffer[512];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return {};
    // 0 bytes on a readable line, or EIO: the other end hung up (a pulled cable, a closed pty).
    throw SerialLost("The serial line " + device_ + " was lost (the device hung up)");
}

std::string TtyLine::describe() const {
    return device_ + " at " + std::to_string(baud_) + " baud";
}

}  // namespace corvane
