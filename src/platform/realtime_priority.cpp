#include "platform/realtime_priority.h"

#include <pthread.h>
#include <sched.h>

#include <cerrno>
#include <cstring>

namespace corvane {

int SystemScheduling::get(int& policy, int& priority) {
    sched_param param{};
    const int error = ::pthread_getschedparam(::pthread_self(), &policy, &param);
    priority = param.sched_priority;
    return error;
}

int SystemScheduling::set(int policy, int priority) {
    sched_param param{};
    param.sched_priority = priority;
    return ::pthread_setschedparam(::pthread_self(), policy, &param);
}

namespace {

std::string policyText(int policy, int priority) {
    switch (policy) {
        case SCHED_FIFO:
            return "SCHED_FIFO " + std::to_string(priority);
        case SCHED_RR:
            return "SCHED_RR " + std::to_string(priority);
        case SCHED_OTHER:
            return "SCHED_OTHER";
        case SCHED_BATCH:
            return "SCHED_BATCH";
        case SCHED_IDLE:
            return "SCHED_IDLE";
        default:
            return "policy " + std::to_string(policy);
    }
}

}  // namespace

RealtimeScope::RealtimeScope(ThreadScheduling* scheduling) : scheduling_(scheduling) {
    if (scheduling_ == nullptr) return;
    if (scheduling_->get(oldPolicy_, oldPriority_) != 0) {
        oldPolicy_ = SCHED_OTHER;
        oldPriority_ = 0;
    }
    policy_ = oldPolicy_;
    priority_ = oldPriority_;
    // Already real-time (a motion inside a motion, or started so): keep what the thread has.
    if (oldPolicy_ == SCHED_FIFO || oldPolicy_ == SCHED_RR) {
        granted_ = true;
        return;
    }
    const int error = scheduling_->set(SCHED_FIFO, kRealtimePriority);
    if (error == 0) {
        granted_ = true;
        restore_ = true;
        policy_ = SCHED_FIFO;
        priority_ = kRealtimePriority;
        return;
    }
    const std::string cause = error == EPERM ? "no permission" : std::strerror(error);
    refusal_ = "Real-time priority not granted (" + cause +
               "): the ticks run at normal priority and may run slow while other programs are "
               "busy; " +
               kRealtimeStep + ".";
}

RealtimeScope::~RealtimeScope() {
    if (restore_) scheduling_->set(oldPolicy_, oldPriority_);
}

std::string RealtimeScope::description() const {
    if (scheduling_ == nullptr) return "not asked";
    return (granted_ ? "real-time (" : "normal (") + policyText(policy_, priority_) + ")";
}

std::string schedulingText(ThreadScheduling& scheduling) {
    int policy = 0, priority = 0;
    if (scheduling.get(policy, priority) != 0) return "unknown";
    return policyText(policy, priority);
}

}  // namespace corvane
