// A mark set for the length of a scope and cleared however the scope is left (a return, a stop,
// a port write that throws): the moving, stepping and running marks of the movers and runners,
// which their windows read to refuse a second start.
#pragma once

namespace corvane {

class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace corvane
