// A large-buffer writer for the step and count files: one number and CR LF per line, copied
// from a ready-made table so a generation runs close to the speed of the disk. A full buffer
// goes to the disk from a helper thread while the next one fills, so computing the ticks and
// writing them overlap.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace corvane {

class LineFileWriter {
public:
    // The buffer's size: large enough that the disk sees few, large writes.
    explicit LineFileWriter(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}
    ~LineFileWriter();
    LineFileWriter(const LineFileWriter&) = delete;
    LineFileWriter& operator=(const LineFileWriter&) = delete;

    // Creates (truncates) the file. RunError PathFileAccessError with the reason on failure,
    // naming `shownAs` (the file the operator knows; the path itself when empty) and ending in
    // `outcome` (what the failure leaves, when the caller knows it).
    // `ownName`: the file is one of the program's own names in a folder others may write to: a
    // link or a file of another owner there is refused, never followed or truncated.
    void open(const std::filesystem::path& path, const std::filesystem::path& shownAs = {},
              std::string_view outcome = {}, bool ownName = false);
    bool isOpen() const { return fd_ >= 0; }

    // "<value>\r\n" for a port byte; values up to 1023 take the table (four patterns of at
    // most 255 each never sum past 1020).
    void byteLine(unsigned value) {
        if (value >= kTableSize) return numberLine(static_cast<int64_t>(value));
        if (used_ + kSlot > capacity_) flush();
        std::memcpy(buf_.get() + used_, kTable.text[value], kSlot);
        used_ += kTable.length[value];
    }
    void numberLine(int64_t value);
    void append(std::string_view bytes);

    // Hot loops write through a local cursor, so the compiler keeps it in a register:
    // cursorBegin() gives the write position, cursorStop() the end of the room,
    // cursorFlush(p) writes out and gives the fresh position, cursorEnd(p) hands the position
    // back. A port byte's line is copied with putByteLine.
    char* cursorBegin() { return buf_.get() + used_; }
    // One past the buffer: a loop may write `count` lines while p + count * kSlot <= it.
    // The buffer changes at every flush: take the stop again after cursorFlush.
    char* cursorStop() const { return buf_.get() + capacity_; }
    std::size_t capacity() const { return capacity_; }
    char* cursorFlush(char* p) {
        used_ = static_cast<std::size_t>(p - buf_.get());
        flush();
        return buf_.get();
    }
    void cursorEnd(char* p) { used_ = static_cast<std::size_t>(p - buf_.get()); }
    static char* putByteLine(char* p, unsigned value) {
        std::memcpy(p, kTable.text[value], kSlot);
        return p + kTable.length[value];
    }
    static constexpr unsigned kTableSize = 1024;
    static constexpr std::size_t kSlot = 8;  // bytes copied per line (the line is shorter)

    // Writes out what is buffered, syncs it to the disk and closes; RunError
    // PathFileAccessError on failure.
    void close();
    // Closes without caring about errors (the file is being thrown away).
    void discard();

private:
    static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 18;
    struct Table {
        char text[kTableSize][kSlot];
        uint8_t length[kTableSize];
        Table();
    };
    static const Table kTable;

    void flush();
    void writeNow();
    void waitIdle(std::unique_lock<std::mutex>& lock);
    void stopThread();
    void writerLoop();
    [[noreturn]] void fail(int error);

    int fd_ = -1;
    // The buffer being written out by the helper thread, and its hand-over state.
    std::unique_ptr<char[]> spare_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t pendingLength_ = 0;
    bool busy_ = false;
    bool stop_ = false;
    int error_ = 0;
    std::filesystem::path path_;
    std::filesystem::path shownAs_;
    std::string outcome_;
    std::unique_ptr<char[]> buf_;
    std::size_t used_ = 0;
    std::size_t capacity_;
};

}  // namespace corvane
