#include "machine/wire_guard.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/ppdev.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "machine/machine_settings.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define CORVANE_GUARD_PORT_IO 1
#else
#define CORVANE_GUARD_PORT_IO 0
#endif

namespace corvane {

namespace {

// Read by the signal handler: plain values written only outside it, before it can run with
// them (the armed flag is set last and cleared first).
struct GuardState {
    volatile sig_atomic_t kind = 0;  // 0 simulated, 1 direct, 2 ppdev
    volatile sig_atomic_t armed = 0;
    volatile sig_atomic_t port = 0;
    volatile sig_atomic_t mask = 0;
    volatile sig_atomic_t set = 0;
    volatile sig_atomic_t ppdevFd = -1;
    volatile sig_atomic_t requested = 0;
    volatile sig_atomic_t halts = 0;
    const PortIo* livePort = nullptr;  // read outside the handler only
    volatile sig_atomic_t traceFd = -1;
    volatile sig_atomic_t controllerFd = -1;
    int64_t traceStart = 0;  // written only while no trace is set
    int pipe[2] = {-1, -1};
    std::string device;
    bool installed = false;
};
GuardState g;

// Every catchable signal whose default action ends the process without a core (the real-time
// signals are added at install).
const int kTerminationSignals[] = {SIGINT,    SIGTERM, SIGHUP,  SIGUSR1, SIGUSR2,  SIGALRM,
                                   SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSTKFLT};
// Those whose default ends it with a core: the process ends as it would have.
const int kCrashSignals[] = {SIGSEGV, SIGBUS,  SIGFPE, SIGILL, SIGABRT,
                             SIGQUIT, SIGTRAP, SIGSYS, SIGXCPU};
// Those whose default stops it.
const int kStopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};
// Ignored: the write that raised them fails with EPIPE or EFBIG instead, and stops the motion.
const int kIgnoredSignals[] = {SIGPIPE, SIGXFSZ};

void writeStderr(const char* text) {
    size_t n = 0;
    while (text[n] != '\0') ++n;
    ssize_t ignored = ::write(STDERR_FILENO, text, n);
    (void)ignored;
}

// Digits of v into `out` (at least `width` of them, zero-padded), async-signal-safe.
char* putNumber(char* out, uint64_t v, int width) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 || n < width);
    while (n > 0) *out++ = digits[--n];
    return out;
}

// The handler's write in the trace's own line format.
void traceInactiveWrite() {
    if (g.traceFd < 0) return;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const int64_t now = static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
    const int64_t elapsed = now > g.traceStart ? now - g.traceStart : 0;
    char line[64];
    char* p = putNumber(line, static_cast<uint64_t>(elapsed / 1'000'000'000), 1);
    *p++ = '.';
    p = putNumber(p, static_cast<uint64_t>(elapsed % 1'000'000'000 / 1000), 6);
    const char* op = g.set != 0 ? " SET " : " CLR ";
    for (int i = 0; op[i] != '\0'; ++i) *p++ = op[i];
    p = putNumber(p, static_cast<uint64_t>(g.port), 1);
    *p++ = ' ';
    int bit = 0;
    while (bit < 7 && g.mask != (1 << bit)) ++bit;
    p = putNumber(p, static_cast<uint64_t>(bit), 1);
    *p++ = '\n';
    ssize_t ignored = ::write(g.traceFd, line, static_cast<size_t>(p - line));
    (void)ignored;
}

// The controller's soft reset, async-signal-safe.
void resetController() {
    if (g.controllerFd < 0) return;
    const char reset = 0x18;
    ssize_t ignored = ::write(g.controllerFd, &reset, 1);
    (void)ignored;
}

void onTermination(int sig) {
    const int saved = errno;
    resetController();
    WireGuard::driveInactive();
    if (g.requested != 0) {
        // A second request while the shut-down is under way: end now.
        signal(sig, SIG_DFL);
        raise(sig);
    }
    g.requested = sig;
    const char byte = 1;
    ssize_t ignored = ::write(g.pipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

// Wire off, motion told to stop, then the stop the signal asked for. After SIGCONT the
// handler returns and the motion sees the halt at its next tick.
void onStop(int sig) {
    const int saved = errno;
    (void)sig;
    resetController();
    WireGuard::driveInactive();
    g.halts = g.halts + 1;
    raise(SIGSTOP);
    errno = saved;
}

void onCrash(int sig) {
    resetController();
    WireGuard::driveInactive();
    writeStderr("corvane: fatal signal; the wire pin was driven to its inactive level\n");
    signal(sig, SIG_DFL);
    raise(sig);
}

// The descriptor of the open ppdev device (it belongs to the port backend).
int findOpenDevice(const std::string& device) {
    std::error_code ec;
    const auto wanted = std::filesystem::canonical(device, ec);
    if (ec) return -1;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int found = -1;
    while (dirent* entry = readdir(dir)) {
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9' || fd == dirfd(dir)) continue;
        std::error_code linkEc;
        const auto target =
            std::filesystem::read_symlink(std::string("/proc/self/fd/") + entry->d_name, linkEc);
        if (!linkEc && target == wanted) found = fd;
    }
    closedir(dir);
    return found;
}

}  // namespace

WireLevel inactiveWireLevel(const MachineSettings& settings) {
    SimulatedPort scratch;
    scratch.setRecording(true);
    FakeClock clock;
    Workspace ws({}, scratch, clock);
    ws.settings = settings;
    WireLevel level;
    try {
        WireOff(ws);
    } catch (...) {
        return level;
    }
    for (const PortOperation& op : scratch.operations()) {
        if (op.kind == PortOperation::Kind::Set || op.kind == PortOperation::Kind::Clr) {
            level.valid = true;
            level.port = op.port;
            level.bit = op.value;
            level.set = op.kind == PortOperation::Kind::Set;
        }
    }
    return level;
}

WireRest wireRestOf(const MachineSettings& settings) {
    const WireLevel level = inactiveWireLevel(settings);
    WireRest rest;
    if (level.valid && level.port == settings.derived.ControlPort && level.bit < 4) {
        rest.mask = static_cast<uint8_t>(1u << level.bit);
        rest.set = level.set;
    }
    return rest;
}

void WireGuard::install(PortChoice::Kind kind, const std::string& device) {
    g.kind = kind == PortChoice::Kind::Direct ? 1 : (kind == PortChoice::Kind::Ppdev ? 2 : 0);
    g.device = device;
    if (g.installed) return;
    if (::pipe2(g.pipe, O_CLOEXEC | O_NONBLOCK) != 0) g.pipe[0] = g.pipe[1] = -1;
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (int sig : kTerminationSignals) sigaddset(&action.sa_mask, sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) sigaddset(&action.sa_mask, sig);
    action.sa_flags = SA_RESTART;
    action.sa_handler = onTermination;
    for (int sig : kTerminationSignals) sigaction(sig, &action, nullptr);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) sigaction(sig, &action, nullptr);
    watchStops();
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    action.sa_handler = onCrash;
    for (int sig : kCrashSignals) sigaction(sig, &action, nullptr);
    action.sa_flags = 0;
    action.sa_handler = SIG_IGN;
    for (int sig : kIgnoredSignals) sigaction(sig, &action, nullptr);
    g.installed = true;
}

void WireGuard::watchStops() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (int sig : kStopSignals) sigaddset(&action.sa_mask, sig);
    action.sa_flags = SA_RESTART;
    action.sa_handler = onStop;
    for (int sig : kStopSignals) sigaction(sig, &action, nullptr);
}

void WireGuard::watch(const PortIo* port) {
    g.livePort = port;
}

int WireGuard::halts() {
    return g.halts;
}

void WireGuard::arm(const MachineSettings& settings) {
    g.armed = 0;
    const WireLevel level = inactiveWireLevel(settings);
    if (!level.valid) return;
    if (g.kind == 1) {
#if CORVANE_GUARD_PORT_IO
        // Made sure here: an outb without permission inside the handler would be a crash.
        if (ioperm(level.port, 1, 1) != 0) return;
#else
        return;
#endif
    }
    if (g.kind == 2) {
        g.ppdevFd = g.livePort != nullptr ? g.livePort->deviceHandle()
                    : g.device.empty()    ? -1
                                          : findOpenDevice(g.device);
        if (g.ppdevFd < 0) return;
    }
    g.port = level.port;
    g.mask = 1 << level.bit;
    g.set = level.set ? 1 : 0;
    g.armed = 1;
}

void WireGuard::disarm() {
    g.armed = 0;
}

void WireGuard::release() {
    disarm();
    traceTo(-1, 0);
    watch(nullptr);
}

int WireGuard::shutdownRequestFd() {
    return g.pipe[0];
}

int WireGuard::requestedBy() {
    return g.requested;
}

WireLevel WireGuard::armedLevel() {
    WireLevel level;
    level.valid = g.armed != 0;
    level.port = static_cast<uint16_t>(g.port);
    for (int b = 0; b < 8; ++b)
        if (g.mask == (1 << b)) level.bit = static_cast<uint8_t>(b);
    level.set = g.set != 0;
    return level;
}

void WireGuard::resetControllerOn(int fd) {
    g.controllerFd = fd;
}

void WireGuard::traceTo(int fd, int64_t startCount) {
    g.traceFd = -1;
    g.traceStart = startCount;
    g.traceFd = fd;
}

bool WireGuard::driveInactive() noexcept {
    if (g.armed == 0) return false;
    traceInactiveWrite();
    const unsigned mask = static_cast<unsigned>(g.mask);
    if (g.kind == 1) {
#if CORVANE_GUARD_PORT_IO
        const auto port = static_cast<unsigned short>(g.port);
        unsigned value = inb(port);
        value = g.set != 0 ? (value | mask) : (value & ~mask);
        outb(static_cast<unsigned char>(value), port);
        return true;
#endif
    } else if (g.kind == 2) {
        // The settings' control address is the ppdev control register: one call changes the
        // wire bit alone, with no read in between that a tick could overtake.
        ppdev_frob_struct frob{static_cast<unsigned char>(mask),
                               static_cast<unsigned char>(g.set != 0 ? mask : 0)};
        return ioctl(g.ppdevFd, PPFCONTROL, &frob) == 0;
    }
    return false;
}

}  // namespace corvane
