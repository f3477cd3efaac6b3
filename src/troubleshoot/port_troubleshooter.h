// What the port troubleshooter does without its window: which register bit each connector pin
// shows, the byte of each step button, and the slow stepping loop (two steps a second) that
// lets the operator follow the pins on the indicators and the motors.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace corvane {

class PortIo;
class Workspace;
struct RtfDocument;
struct SettingsFields;

enum class PortRegister { Data, Status, Control };

// A connector pin that carries a register bit.
struct PinSource {
    int pin;
    PortRegister reg;
    int bit;
};

// The 17 pins the indicators show: 2-9 data bits 0-7; 1, 14, 16, 17 control bits 0-3; 10, 11,
// 12, 13, 15 status bits 6, 7, 5, 4, 3. Pins 18-25 (ground) carry none.
const std::array<PinSource, 17>& indicatorPins();

// The register bit each pin reads now, as the indicators show it (raw bits: a line the port
// inverts shows its bit, not its voltage). Index = pin 1..25; 0 and the ground pins stay
// Uncoloured.
enum class PinLevel { Uncoloured, One, Zero };
using PinLevels = std::array<PinLevel, 26>;
PinLevels readPinLevels(PortIo& port, uint16_t dataPort);

// The four step buttons and what each writes: both carriages of the pair together.
enum class StepPair { XForward, XBack, YUp, YDown };
uint8_t pairByte(const Workspace& ws, StepPair pair);
// The explanation page of a button ("xforwardppt.rtf" ...) and of the window ("startppt.rtf").
const char* pairPage(StepPair pair);
inline constexpr const char* kStartPage = "startppt.rtf";
// A page names this machine's pins as %x1_dir%, %x1_step% ... %y2_step%: each becomes the
// settings' text for that signal ("Pin 3"). Other text between % signs stays as it is.
void fillPinNames(RtfDocument& page, const SettingsFields& fields);

// The stepping loop with the window's stop flag. Each step: yield once, leave if stopped, write
// the pair's byte, refresh, wait 250 ms, clear the step bits, refresh, wait 250 ms.
class PortStepper {
public:
    static constexpr int kHalfPeriodMs = 250;

    void requestStop() { stopFlag_ = 1; }
    int16_t stopFlag() const { return stopFlag_; }
    bool stepping() const { return stepping_; }
    int32_t stepsSent() const { return stepsSent_; }

    // Steps until the stop flag is set; a call while stepping or without a known port does
    // nothing. Every step is
    // counted in the position like any tick. The step bits are clear when it returns, also
    // when a port write throws.
    void run(Workspace& ws, uint8_t portByte, const std::function<void()>& refresh);
    // The same for a step button: the pair's byte and the port are read again on every pass,
    // so the pins the loop drives are always those of the settings in force.
    void run(Workspace& ws, StepPair pair, const std::function<void()>& refresh);

private:
    void loop(Workspace& ws, const std::function<uint8_t()>& portByte,
              const std::function<void()>& refresh);

    int16_t stopFlag_ = 0;
    bool stepping_ = false;
    int32_t stepsSent_ = 0;
};

}  // namespace corvane
