// Buffered line output through a plain file descriptor.
#include "generate/line_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/run_error.h"

namespace corvane {

const LineFileWriter::Table LineFileWriter::kTable;

LineFileWriter::Table::Table() {
    for (unsigned v = 0; v < kTableSize; ++v) {
        std::string s = std::to_string(v) + "\r\n";
        std::memset(text[v], 0, kSlot);
        std::memcpy(text[v], s.data(), s.size());
        length[v] = static_cast<uint8_t>(s.size());
    }
}

LineFileWriter::~LineFileWriter() {
    discard();
}

void LineFileWriter::open(const std::filesystem::path& path) {
    discard();
    path_ = path;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        throw RunError(ErrorNumber::PathFileAccessError,
                       path.string() + ": " + std::strerror(errno));
    }
    if (!buf_) buf_ = std::make_unique_for_overwrite<char[]>(capacity_);
    used_ = 0;
}

void LineFileWriter::numberLine(int64_t value) {
    std::string s = std::to_string(value);
    s += "\r\n";
    append(s);
}

void LineFileWriter::append(std::string_view bytes) {
    while (!bytes.empty()) {
        if (used_ == capacity_) flush();
        std::size_t n = std::min(bytes.size(), capacity_ - used_);
        std::memcpy(buf_.get() + used_, bytes.data(), n);
        used_ += n;
        bytes.remove_prefix(n);
    }
}

void LineFileWriter::flush() {
    std::size_t done = 0;
    while (done < used_) {
        ssize_t n = ::write(fd_, buf_.get() + done, used_ - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw RunError(ErrorNumber::PathFileAccessError,
                           path_.string() + ": " + std::strerror(errno));
        }
        done += static_cast<std::size_t>(n);
    }
    used_ = 0;
}

void LineFileWriter::close() {
    if (fd_ < 0) return;
    flush();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        throw RunError(ErrorNumber::PathFileAccessError,
                       path_.string() + ": " + std::strerror(errno));
    }
}

void LineFileWriter::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    used_ = 0;
}

}  // namespace corvane
