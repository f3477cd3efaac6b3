// One program per real parallel port, for every user of the PC: the lock is an abstract-namespace
// Unix socket named after the port's address ("@corvane-parport-0x378"), bound for the life of
// the port. It is no file, so no folder, umask or owner decides who may take it; the kernel lets
// it go when its holder dies, however it dies; and a second program learns the holder from the
// socket itself (SO_PEERCRED). corvane, corvane-cli and a writing portscope all take it. The
// simulated port takes none.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvane {

class PortLock {
public:
    // Locks the port at `base` for this process; RunError PermissionDenied naming the holder
    // ("corvane (process 1234) run by ann") when another process has it. `scope` keeps tests'
    // locks apart from the real ones (empty: lockScope()).
    explicit PortLock(uint16_t base, const std::filesystem::path& scope = {});
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // The socket's name without its leading zero byte.
    const std::string& name() const { return name_; }

    // CORVANE_LOCK_DIR when set (tests keep their locks apart with it), else empty: the one
    // system-wide name.
    static std::filesystem::path lockScope();
    // "corvane-parport-0x378", with the scope appended when there is one.
    static std::string socketName(uint16_t base, const std::filesystem::path& scope = {});
    // Who holds the port's lock ("corvane (process 1234) run by ann"), empty when nobody does.
    static std::string holderOf(uint16_t base, const std::filesystem::path& scope = {});

private:
    std::string name_;
    int fd_ = -1;
};

}  // namespace corvane
