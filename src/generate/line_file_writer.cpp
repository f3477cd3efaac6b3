// Buffered line output through a plain file descriptor.
#include "generate/line_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/file_io.h"
#include "common/owned_file.h"
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

void LineFileWriter::open(const std::filesystem::path& path, const std::filesystem::path& shownAs,
                          std::string_view outcome, bool ownName) {
    discard();
    path_ = path;
    shownAs_ = shownAs.empty() ? path : shownAs;
    outcome_ = outcome.empty() ? std::string() : "; " + std::string(outcome);
    if (ownName) {
        try {
            fd_ = openOwnFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        } catch (const RunError& e) {
            throw RunError(ErrorNumber::PathFileAccessError, e.detail() + outcome_);
        }
    } else {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0) fail(errno);
    }
    if (!buf_) buf_ = std::make_unique_for_overwrite<char[]>(capacity_);
    used_ = 0;
    error_ = 0;
}

void LineFileWriter::fail(int error) {
    throw RunError(ErrorNumber::PathFileAccessError,
                   shownAs_.string() + ": cannot write: " + std::strerror(error) + outcome_);
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

void LineFileWriter::waitIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return !busy_; });
}

void LineFileWriter::writerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stop_; });
        if (!busy_) return;
        const char* data = spare_.get();
        std::size_t length = pendingLength_;
        int error = 0;
        lock.unlock();
        std::size_t done = 0;
        while (done < length) {
            ssize_t n = diskWrite(fd_, data + done, length - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                error = errno;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        lock.lock();
        if (error && !error_) error_ = error;
        busy_ = false;
        changed_.notify_all();
    }
}

void LineFileWriter::flush() {
    if (used_ == 0) return;
    if (!spare_) spare_ = std::make_unique_for_overwrite<char[]>(capacity_);
    if (!thread_.joinable()) {
        stop_ = false;
        thread_ = std::thread([this] { writerLoop(); });
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
        waitIdle(lock);
        if (error_) fail(error_);
        std::swap(buf_, spare_);
        pendingLength_ = used_;
        busy_ = true;
    }
    changed_.notify_all();
    used_ = 0;
}

void LineFileWriter::writeNow() {
    std::size_t done = 0;
    while (done < used_) {
        ssize_t n = diskWrite(fd_, buf_.get() + done, used_ - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    used_ = 0;
}

void LineFileWriter::stopThread() {
    if (!thread_.joinable()) return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        waitIdle(lock);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void LineFileWriter::close() {
    if (fd_ < 0) return;
    try {
        if (thread_.joinable()) {
            flush();
        } else {
            // A file that fits one buffer is written here, without starting the helper.
            writeNow();
        }
    } catch (...) {
        discard();
        throw;
    }
    stopThread();
    int fd = fd_;
    fd_ = -1;
    int error = error_;
    // A file that is renamed into place next must be on the disk before its name is.
    if (!error && diskSync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (error) fail(error);
}

void LineFileWriter::discard() {
    stopThread();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    used_ = 0;
}

}  // namespace corvane
