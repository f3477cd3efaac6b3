// Keeps the process's pages in memory while a cut runs, so a page fault cannot stall a tick.
// Where the system refuses (no privilege, a small lock limit) the cut runs on unlocked and the
// refusal says why, for the one status-bar line that tells the operator.
#pragma once

#include <string>

namespace corvane {

class MemoryLock {
public:
    MemoryLock();   // locks what is mapped now (and what is mapped later where the limit allows)
    ~MemoryLock();  // unlocks when it had locked
    MemoryLock(const MemoryLock&) = delete;
    MemoryLock& operator=(const MemoryLock&) = delete;

    bool locked() const { return locked_; }
    // Empty when locked; otherwise the reason, one sentence.
    const std::string& refusal() const { return refusal_; }

private:
    bool locked_ = false;
    std::string refusal_;
};

}  // namespace corvane
