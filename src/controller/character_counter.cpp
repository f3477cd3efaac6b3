// The count of bytes the controller holds.
#include "controller/character_counter.h"

namespace corvane {

void CharacterCounter::sent(std::size_t bytes) {
    inFlight_.push_back(bytes);
    outstanding_ += bytes;
}

bool CharacterCounter::answered() {
    if (inFlight_.empty()) return false;
    outstanding_ -= inFlight_.front();
    inFlight_.pop_front();
    return true;
}

void CharacterCounter::clear() {
    inFlight_.clear();
    outstanding_ = 0;
}

}  // namespace corvane
