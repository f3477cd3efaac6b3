// GRBL's character-counting flow control: the controller's RX buffer holds at most `rxBuffer`
// bytes of lines not yet answered; a line may go out only when it fits beside them, and every
// ok or error:N frees the oldest line's bytes. Two bytes are kept back: the firmware's ring
// buffer holds one byte less than its size, and grblHAL reports one less again as free when
// empty (Bf:..,1022 of its 1024).
#pragma once

#include <cstddef>
#include <deque>

namespace corvane {

class CharacterCounter {
public:
    explicit CharacterCounter(std::size_t rxBuffer) : capacity_(rxBuffer > 2 ? rxBuffer - 2 : 0) {}

    // `bytes`: the line with its LF.
    bool fits(std::size_t bytes) const { return outstanding_ + bytes <= capacity_; }
    // A line longer than the buffer can never be sent.
    bool everFits(std::size_t bytes) const { return bytes <= capacity_; }
    void sent(std::size_t bytes);
    // The oldest line was answered; false when no line was outstanding (a stray reply).
    [[nodiscard]] bool answered();
    std::size_t outstanding() const { return outstanding_; }
    std::size_t linesOutstanding() const { return inFlight_.size(); }
    void clear();

private:
    std::size_t capacity_;
    std::size_t outstanding_ = 0;
    std::deque<std::size_t> inFlight_;
};

}  // namespace corvane
