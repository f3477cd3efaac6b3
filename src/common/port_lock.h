// One program per real parallel port: an advisory flock on a lock file named after the port's
// address, held for the life of the port. corvane, corvane-cli and a writing portscope all take
// it, so a second program is refused with the name and process id of the one that holds it.
// The simulated port takes none.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvane {

class PortLock {
public:
    // Locks the port at `base` for this process; RunError PermissionDenied naming the holder
    // ("corvane (process 1234)") when another process has it, or saying why no lock file could
    // be made. `directory` empty: lockDirectory().
    explicit PortLock(uint16_t base, const std::filesystem::path& directory = {});
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // CORVANE_LOCK_DIR when set (tests keep their locks apart with it), else /run/lock when
    // it is writable, else $XDG_RUNTIME_DIR; empty when none is usable.
    static std::filesystem::path lockDirectory();
    // "corvane-parport-0x378.lock"
    static std::string fileName(uint16_t base);
    // The holder the lock file records ("corvane (process 1234)"), or empty.
    static std::string holderOf(const std::filesystem::path& lockFile);

private:
    std::filesystem::path path_;
    int fd_ = -1;
};

}  // namespace corvane
