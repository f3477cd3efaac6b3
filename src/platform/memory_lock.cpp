#include "platform/memory_lock.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane {

namespace {

// Future mappings are locked only where no lock limit can make a later allocation fail
// mid-cut: a finite limit locks what is mapped now (the tick loop allocates nothing).
bool mayLockFuture() {
    rlimit limit{};
    if (::geteuid() == 0) return true;
    return ::getrlimit(RLIMIT_MEMLOCK, &limit) == 0 && limit.rlim_cur == RLIM_INFINITY;
}

}  // namespace

MemoryLock::MemoryLock() {
    const int flags = MCL_CURRENT | (mayLockFuture() ? MCL_FUTURE : 0);
    if (::mlockall(flags) == 0) {
        locked_ = true;
        return;
    }
    const int error = errno;
    refusal_ = error == EPERM || error == ENOMEM
                   ? "Memory not locked (no privilege or the lock limit is too small): the cut "
                     "runs on, a page fault may delay a tick."
                   : std::string("Memory not locked (") + std::strerror(error) +
                         "): the cut runs on, a page fault may delay a tick.";
}

MemoryLock::~MemoryLock() {
    if (locked_) ::munlockall();
}

}  // namespace corvane
