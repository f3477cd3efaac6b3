// One output tick and its timing. The waits sleep on the monotonic clock until shortly before
// their deadline and spin the rest, so they are never shorter than asked and leave the core to
// others for most of a long high time.
#include "machine/step_output.h"

#include <sys/prctl.h>

#include <algorithm>

#include "common/run_error.h"
#include "machine/tick_timing.h"
#include "machine/wire_guard.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/port_io.h"

namespace corvane {

namespace {

__extension__ typedef __int128 Int128;

// How long before the deadline a wait stops sleeping and starts spinning. At normal priority an
// idle core can take milliseconds to wake (a virtual machine, deep sleep states), so on a quiet
// machine spinning the last millisecond is the steadier; but beside busy programs a spinning
// loop is shared like one of them. At real-time priority nothing of normal priority runs before
// the wake-up, but the wake-up itself may still come hundreds of microseconds late on some PCs:
// the margin is learned from the wake-ups the waits see (SpinMargin).
constexpr int64_t kSpinMicros = 1000;

// Nothing moves or heats without a known port: the refusal names the cause and the fix.
void requirePort(const Workspace& ws) {
    if (!ws.portKnown()) throw RunError(ErrorNumber::PermissionDenied, ws.portRefusal());
}

uint16_t dataPort(Workspace& ws) {
    return static_cast<uint16_t>(ws.settings.derived.DataPort);
}

// counts per millisecond (rounded) x ms, rounded half to even.
int64_t waitCounts(int64_t frequency, Fixed4 ms) {
    int64_t perMs = toInt64(static_cast<double>(frequency) / 1000.0);
    Int128 scaled = static_cast<Int128>(perMs) * ms.raw();
    Int128 q = scaled / Fixed4::kScale;
    Int128 r = scaled % Fixed4::kScale;
    if (r < 0) {
        r += Fixed4::kScale;
        q -= 1;
    }
    if (2 * r > Fixed4::kScale || (2 * r == Fixed4::kScale && (q & 1) != 0)) q += 1;
    return static_cast<int64_t>(q);
}

}  // namespace

Fixed4 stepHighTimeMs(int32_t stepsPerMm, Fixed4 speed) {
    Fixed4 ticksPerSecond = Fixed4::fromInt(stepsPerMm) * speed;
    if (ticksPerSecond.raw() == 0) throw RunError(ErrorNumber::DivisionByZero);
    return Fixed4::fromDouble(1.0 / (ticksPerSecond.toDouble() / 1000.0) - 1.0);
}

void PositionUpdate(Workspace& ws) {
    applyStepByte(ws.position, ws.settings.derived, ws.motion.LastPortByte);
    // Cleared also while no home is set: the not-set text needs showing only once per tick.
    ws.motion.PositionUpdatePending = false;
    positionStatusText(ws.position, ws.motion.positionText);
    ws.setStatus(1, ws.motion.positionText);
}

namespace {

// The wait after its first reading `start`: a target already reached returns at once and the
// pending position update waits for the next wait.
void waitFrom(Workspace& ws, int64_t start, int64_t target, bool tight) {
    if (start >= target) return;
    // Without this a sleep may end up to 50 us late (the default timer slack of a thread).
    static thread_local const bool slack = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)slack;
    MonotonicClock& clock = ws.clock();
    MotionState& m = ws.motion;
    const int64_t perMicro = std::max<int64_t>(1, clock.frequency() / 1'000'000);
    const int64_t spin =
        perMicro * (m.realtime ? m.margin.micros((target - start) / perMicro, tight) : kSpinMicros);
    while (true) {
        if (m.PositionUpdatePending) PositionUpdate(ws);
        int64_t reading = clock.now();
        if (reading >= target) break;
        if (target - reading > spin) {
            const int64_t wake = target - spin;
            clock.sleepUntil(wake);
            // What the margin learns from: how late this PC wakes a real-time thread.
            if (m.realtime) {
                reading = clock.now();
                m.margin.observe((reading - wake) / perMicro);
                if (reading >= target) break;
            }
        }
    }
}

}  // namespace

void PreciseWait(Workspace& ws, Fixed4 ms) {
    MonotonicClock& clock = ws.clock();
    const int64_t wait = waitCounts(clock.frequency(), ms);
    const int64_t start = clock.now();
    waitFrom(ws, start, start + wait, false);
}

void PreciseWaitUntil(Workspace& ws, int64_t target, bool tight) {
    waitFrom(ws, ws.clock().now(), target, tight);
}

namespace {

void clearStepBits(Workspace& ws) {
    requirePort(ws);
    const DerivedSettings& d = ws.settings.derived;
    PortIo& port = ws.port();
    port.clrPortBit(dataPort(ws), d.X1.StepBit);
    port.clrPortBit(dataPort(ws), d.X2.StepBit);
    port.clrPortBit(dataPort(ws), d.Y1.StepBit);
    port.clrPortBit(dataPort(ws), d.Y2.StepBit);
}

}  // namespace

// Every move begins with a ClearStepBits: its ticks then keep a schedule of their own.
void ClearStepBits(Workspace& ws) {
    clearStepBits(ws);
    restartTickSchedule(ws.motion);
}

// One tick on the data register (one line per bit group):
//
//            |<-- StepHighTimeMs -->|<------ 1 ms ------>|
//             ______________________                      ____
//  step bits |                      |X1 X2 Y1 Y2 cleared |  next tick's write
//  __________|                      |____________________|
//            ____________________________________________ ____
//  dir bits  X___________________________________________X____
//            ^ PortOut(byte)        ^ ClearStepBits       ^ next PortOut
//            position update runs inside the high wait (or the low wait when high <= 0)
//
// The period is StepHighTimeMs + 1 ms = 1000 / (StepsPerMm x speed) ms, kept on the schedule:
// the clear falls at origin + k x period + high whatever the write's lateness, so a late tick
// is shortened (down to the 20 us pulse) and the ticks after it come back onto the schedule.
void StepPulse(Workspace& ws, uint8_t portByte, Fixed4 speed, const std::function<void()>& yield,
               const std::function<void()>& writing, const std::function<void()>& written) {
    requirePort(ws);
    MotionState& m = ws.motion;
    m.StepHighTimeMs = stepHighTimeMs(ws.settings.derived.StepsPerMm, speed);
    PacedTick(ws, portByte, std::max(m.StepHighTimeMs, kMinPulseMs), Fixed4::fromInt(1), yield,
              writing, written);
}

void PacedTick(Workspace& ws, uint8_t portByte, Fixed4 highMs, Fixed4 lowMs,
               const std::function<void()>& yield, const std::function<void()>& writing,
               const std::function<void()>& written) {
    requirePort(ws);
    MotionState& m = ws.motion;
    MonotonicClock& clock = ws.clock();
    const int64_t frequency = clock.frequency();
    const Fixed4 high = std::max(highMs, kMinPulseMs);
    const Fixed4 low = std::max(lowMs, Fixed4::fromInt(1));
    const int64_t lowCounts = waitCounts(frequency, low);
    const int64_t highCounts = waitCounts(frequency, high);
    int64_t now = clock.now();
    const TickPacer::Slot slot =
        m.pacer.next(now, highCounts, highCounts + lowCounts, frequency / 1'000'000 * kHoldMicros);
    const int64_t minPulse = waitCounts(frequency, kMinPulseMs);
    // Lateness is made up only out of the high time beyond the shortest pulse.
    const bool tight = SpinMargin::tight(highCounts - minPulse, highCounts + lowCounts);
    // Never early: a tick that comes before its time waits for it.
    if (now < slot.due) {
        PreciseWaitUntil(ws, slot.due, tight);
        now = clock.now();
    }
    // A stop signal (Ctrl-Z) drove the wire pin inactive: this motion ends here, wire off, and
    // nothing goes on by itself after SIGCONT.
    if (const int halts = WireGuard::halts(); halts != m.haltsSeen) {
        m.haltsSeen = halts;
        WireOff(ws);
        throw RunError(ErrorNumber::CancelError,
                       "the program was stopped by a signal (Ctrl-Z): the wire was switched off "
                       "and the motion stopped; start it again when ready");
    }
    // A kill lands at the return from a system call, and the write is one (ppdev, the trace):
    // what is noted just before it is right whether the kill comes during the write or after.
    if (writing) writing();
    m.LastPortByte = portByte;
    ws.port().portOut(dataPort(ws), portByte);
    m.PositionUpdatePending = true;
    if (written) written();
    PreciseWaitUntil(ws, std::max(slot.clearAt, now + minPulse), tight);
    clearStepBits(ws);
    // The low time counts from the clearing of the step bits; the yield runs inside it.
    const int64_t lowEnd = clock.now() + lowCounts;
    if (yield) yield();
    PreciseWaitUntil(ws, lowEnd, tight);
    // A yield that outlasted the low time must not lose this tick's position update.
    if (m.PositionUpdatePending) PositionUpdate(ws);
    if (m.timing) m.timing->record(now, slot.due, m.pacer.periodCounts(), slot.restarted);
    m.pacer.advance();
}

bool StandStill(Workspace& ws, Fixed4 ms, const std::function<bool()>& go) {
    restartTickSchedule(ws.motion);
    MonotonicClock& clock = ws.clock();
    const int64_t frequency = clock.frequency();
    constexpr int64_t kSliceRaw = 20 * Fixed4::kScale;
    // Capped far beyond any real pause, so the count cannot overflow.
    const double counts = std::min(ms.toDouble() * static_cast<double>(frequency) / 1000.0, 1e18);
    const int64_t deadline = clock.now() + static_cast<int64_t>(counts);
    bool going = true;
    while (going) {
        const int64_t remaining = deadline - clock.now();
        if (remaining <= 0) break;
        const auto rawLeft = static_cast<int64_t>(static_cast<double>(remaining) * 1000.0 *
                                                  Fixed4::kScale / static_cast<double>(frequency));
        PreciseWait(ws, Fixed4::fromRaw(std::clamp<int64_t>(rawLeft, 1, kSliceRaw)));
        going = go ? go() : true;
    }
    // Also after it: whatever ran in the slices' turns, the next tick starts afresh.
    restartTickSchedule(ws.motion);
    return going;
}

}  // namespace corvane
