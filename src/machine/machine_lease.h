// One owner of the machine at a time: every source of motion or wire change (a cut, a jog, a
// return move, a script, the troubleshooter's stepping, a settings apply, a CLI command) takes
// the workspace's lease before it writes, and a second asker is refused with a message naming
// the holder. Nested event handling during a move is where two sources meet, so the lease is
// a plain member the handlers test, not a mutex.
#pragma once

#include <string>

namespace corvane {

// The name a command-line program holds the lease under.
inline constexpr const char* kCommandLineHolder = "a cut started from the command line";
// The title of the refusal box.
inline constexpr const char* kMachineBusyTitle = "Machine Busy";

class MachineLease;

// A taken lease, released when it goes out of scope (also when the owner window is gone by
// then). Move-only; an empty hold owns nothing.
class LeaseHold {
public:
    LeaseHold() = default;
    ~LeaseHold() { release(); }
    LeaseHold(LeaseHold&& other) noexcept : lease_(other.lease_) { other.lease_ = nullptr; }
    LeaseHold& operator=(LeaseHold&& other) noexcept;
    LeaseHold(const LeaseHold&) = delete;
    LeaseHold& operator=(const LeaseHold&) = delete;

    explicit operator bool() const { return lease_ != nullptr; }
    void release();

private:
    friend class MachineLease;
    explicit LeaseHold(MachineLease* lease) : lease_(lease) {}
    MachineLease* lease_ = nullptr;
};

class MachineLease {
public:
    MachineLease() = default;
    MachineLease(const MachineLease&) = delete;
    MachineLease& operator=(const MachineLease&) = delete;

    // Takes the lease for `owner` (any address that identifies the source, e.g. its window)
    // under `holderName` (the window's caption). Empty hold when another owner holds it, or
    // when the same owner already does (its first hold keeps it; no second hold is needed).
    LeaseHold take(const void* owner, std::string holderName);

    bool held() const { return owner_ != nullptr; }
    bool heldBy(const void* owner) const { return owner_ != nullptr && owner_ == owner; }
    const std::string& holderName() const { return holderName_; }

    // Whether `owner` may write now: the lease is free or it is the holder.
    bool mayWrite(const void* owner) const { return owner_ == nullptr || owner_ == owner; }

    // The refusal for a source that is not the holder: what holds the machine and what to do.
    // Empty while the lease is free.
    std::string refusal() const;
    // The refusal of a settings apply (Device Settings Done, a reload) while the lease is held.
    std::string settingsRefusal() const;

private:
    friend class LeaseHold;
    const void* owner_ = nullptr;
    std::string holderName_;
};

}  // namespace corvane
