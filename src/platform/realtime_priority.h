// Real-time scheduling for the thread that times the ticks, only while the machine moves: under
// SCHED_FIFO a busy browser or build beside the cut can no longer stretch the ticks. The system
// calls sit behind a seam (ThreadScheduling) so tests can grant or refuse; the scope restores
// what the thread had however the motion ends. A refusal is never an error: the ticks run on at
// normal priority and the refusal says how an ordinary user gets the permission.
#pragma once

#include <string>

namespace corvane {

// The calling thread's scheduling, as the system sees it. Both return 0 or an errno value.
class ThreadScheduling {
public:
    virtual ~ThreadScheduling() = default;
    virtual int get(int& policy, int& priority) = 0;
    virtual int set(int policy, int priority) = 0;
};

// pthread_getschedparam / pthread_setschedparam on the calling thread.
class SystemScheduling : public ThreadScheduling {
public:
    int get(int& policy, int& priority) override;
    int set(int policy, int priority) override;
};

// Moderate: under the kernel's interrupt threads (50), so a tick loop gone wrong cannot hold off
// the disk or the keyboard, above every normal program.
constexpr int kRealtimePriority = 40;
// The group the package's limits.d entry lets use it, and the one step that joins it.
constexpr const char* kRealtimeGroup = "corvane";
constexpr const char* kRealtimeStep =
    "to allow it, add yourself to the corvane group (sudo adduser $USER corvane) and log in "
    "again";

class RealtimeScope {
public:
    // Asks `scheduling` for SCHED_FIFO at kRealtimePriority; nullptr asks nothing (tests, scratch
    // workspaces) and reports "not asked".
    explicit RealtimeScope(ThreadScheduling* scheduling);
    ~RealtimeScope();  // puts back the policy and priority the thread had
    RealtimeScope(const RealtimeScope&) = delete;
    RealtimeScope& operator=(const RealtimeScope&) = delete;

    bool granted() const { return granted_; }
    // "real-time (SCHED_FIFO 40)" or "normal (SCHED_OTHER)", as it runs inside the scope.
    std::string description() const;
    // Empty when granted or not asked; otherwise one sentence with the cause and the step.
    const std::string& refusal() const { return refusal_; }

private:
    ThreadScheduling* scheduling_;
    bool restore_ = false;
    bool granted_ = false;
    int oldPolicy_ = 0;
    int oldPriority_ = 0;
    int policy_ = 0;
    int priority_ = 0;
    std::string refusal_;
};

// The calling thread's scheduling as text, e.g. "SCHED_FIFO 40" (the CLI prints it after a run).
std::string schedulingText(ThreadScheduling& scheduling);

}  // namespace corvane
