#include "troubleshoot/port_troubleshooter.h"

#include <string_view>
#include <utility>

#include "common/scoped_flag.h"
#include "machine/motion_priority.h"
#include "machine/motion_stamp.h"
#include "machine/step_output.h"
#include "machine/workspace.h"
#include "platform/port_io.h"
#include "troubleshoot/rtf_reader.h"

namespace corvane {

const std::array<PinSource, 17>& indicatorPins() {
    static const std::array<PinSource, 17> pins = {{
        {2, PortRegister::Data, 0},
        {3, PortRegister::Data, 1},
        {4, PortRegister::Data, 2},
        {5, PortRegister::Data, 3},
        {6, PortRegister::Data, 4},
        {7, PortRegister::Data, 5},
        {8, PortRegister::Data, 6},
        {9, PortRegister::Data, 7},
        {1, PortRegister::Control, 0},
        {14, PortRegister::Control, 1},
        {16, PortRegister::Control, 2},
        {17, PortRegister::Control, 3},
        {10, PortRegister::Status, 6},
        {11, PortRegister::Status, 7},
        {12, PortRegister::Status, 5},
        {13, PortRegister::Status, 4},
        {15, PortRegister::Status, 3},
    }};
    return pins;
}

PinLevels readPinLevels(PortIo& port, uint16_t dataPort) {
    PinLevels levels{};
    levels.fill(PinLevel::Uncoloured);
    for (const PinSource& source : indicatorPins()) {
        const uint16_t offset = source.reg == PortRegister::Data     ? 0
                                : source.reg == PortRegister::Status ? 1
                                                                     : 2;
        const bool set = port.getPortBit(static_cast<uint16_t>(dataPort + offset),
                                         static_cast<uint8_t>(source.bit));
        levels[static_cast<size_t>(source.pin)] = set ? PinLevel::One : PinLevel::Zero;
    }
    return levels;
}

uint8_t pairByte(const Workspace& ws, StepPair pair) {
    const DerivedSettings& d = ws.settings.derived;
    int sum = 0;
    switch (pair) {
        case StepPair::XForward:
            sum = d.X1Forward + d.X2Forward;
            break;
        case StepPair::XBack:
            sum = d.X1Back + d.X2Back;
            break;
        case StepPair::YUp:
            sum = d.Y1Up + d.Y2Up;
            break;
        case StepPair::YDown:
            sum = d.Y1Down + d.Y2Down;
            break;
    }
    return static_cast<uint8_t>(sum);
}

const char* pairPage(StepPair pair) {
    switch (pair) {
        case StepPair::XForward:
            return "xforwardppt.rtf";
        case StepPair::XBack:
            return "xbackppt.rtf";
        case StepPair::YUp:
            return "yupppt.rtf";
        case StepPair::YDown:
            return "ydownppt.rtf";
    }
    return kStartPage;
}

void fillPinNames(RtfDocument& page, const SettingsFields& f) {
    const std::pair<std::string_view, const std::string*> names[] = {
        {"%x1_dir%", &f.x1_dir},   {"%x1_step%", &f.x1_step}, {"%y1_dir%", &f.y1_dir},
        {"%y1_step%", &f.y1_step}, {"%x2_dir%", &f.x2_dir},   {"%x2_step%", &f.x2_step},
        {"%y2_dir%", &f.y2_dir},   {"%y2_step%", &f.y2_step}};
    for (RtfParagraph& paragraph : page.paragraphs) {
        for (RtfRun& run : paragraph.runs) {
            for (const auto& [name, value] : names) {
                for (size_t at = run.text.find(name); at != std::string::npos;
                     at = run.text.find(name, at + value->size()))
                    run.text.replace(at, name.size(), *value);
            }
        }
    }
}

namespace {

// Clears the step bits however the loop is left.
struct StepBitsClearedAtEnd {
    Workspace& ws;
    ~StepBitsClearedAtEnd() {
        try {
            ClearStepBits(ws);
        } catch (...) {
            // The port already failed; the caller reports that error.
        }
    }
};

}  // namespace

void PortStepper::run(Workspace& ws, uint8_t portByte, const std::function<void()>& refresh) {
    loop(
        ws, [portByte] { return portByte; }, refresh);
}

void PortStepper::run(Workspace& ws, StepPair pair, const std::function<void()>& refresh) {
    loop(
        ws, [&ws, pair] { return pairByte(ws, pair); }, refresh);
}

void PortStepper::loop(Workspace& ws, const std::function<uint8_t()>& portByte,
                       const std::function<void()>& refresh) {
    // Without a known port nothing may be written; the window says why before calling.
    if (stepping_ || !ws.portKnown()) return;
    stopFlag_ = 0;
    stepsSent_ = 0;
    ClearStepBits(ws);
    const StepBitsClearedAtEnd clearBits{ws};
    const ScopedFlag stepping(stepping_);          // cleared before the bits, as the loop ends
    markMotion(ws, "the troubleshooter's steps");  // a stopped cut learns the carriages moved
    const MotionPriority priority(ws);
    const Fixed4 halfPeriod = Fixed4::fromInt(kHalfPeriodMs);
    while (true) {
        ws.yield();
        // Tested right after the yield, so a stop pressed there sends no further step.
        if (stopFlag_ != 0 || !ws.portKnown()) break;
        // Read on every pass: a step written with an earlier pass's pins would pulse pins the
        // settings no longer name and leave them high.
        const uint8_t byte = portByte();
        ++stepsSent_;
        PacedTick(ws, byte, halfPeriod, halfPeriod, refresh, {}, refresh);
    }
}

}  // namespace corvane
