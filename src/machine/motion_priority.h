// Raises the ticking thread to real-time priority for the length of one motion (a cut, a script,
// a jog, a return move, a troubleshooter step run, a latency test) and puts it back however the
// motion ends: normal end, Stop, an error thrown through it, or a signal's stop. The waits read
// MotionState::realtime to sleep most of each tick when the priority was granted.
#pragma once

#include <string>

#include "platform/realtime_priority.h"

namespace corvane {

class Workspace;

class MotionPriority {
public:
    explicit MotionPriority(Workspace& ws);
    ~MotionPriority();
    MotionPriority(const MotionPriority&) = delete;
    MotionPriority& operator=(const MotionPriority&) = delete;

    bool granted() const { return scope_.granted(); }
    std::string description() const { return scope_.description(); }
    const std::string& refusal() const { return scope_.refusal(); }

private:
    Workspace& ws_;
    bool wasRealtime_;
    RealtimeScope scope_;
};

}  // namespace corvane
