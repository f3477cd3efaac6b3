// A workspace on the simulated port and the fake clock with the reset-default pins (X1 dir/step
// on pins 2/3, Y1 4/5, X2 6/7, Y2 8/9) at 158 steps/mm, plus a decoder that turns the recorded
// data-register writes back into steps per axis without using the settings' patterns.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane::testing {

constexpr uint16_t kDataPort = 0x378;

// Signed steps per axis (X back and Y up positive, as the position counts them).
struct DecodedSteps {
    std::array<int64_t, 4> net{};    // X1, Y1, X2, Y2
    std::array<int64_t, 4> count{};  // steps regardless of direction
    std::vector<uint8_t> bytes;      // every byte written to the data register, in order
};

struct ManualRig {
    SimulatedPort port;
    FakeClock clock{1'000'000};  // 1 ms a read: a tick takes a handful of reads
    Workspace ws{std::filesystem::temp_directory_path(), port, clock};
    std::array<bool, 4> reversed{};
    std::vector<std::string> panel1;
    std::vector<std::string> panel2;

    explicit ManualRig(std::array<bool, 4> reverse = {}, const char* steps = "158")
        : reversed(reverse) {
        SettingsFields& f = ws.settings.fields;
        f.resetDefaults();
        f.steps_per_inch = steps;
        f.reverseX1 = reverse[0];
        f.reverseY1 = reverse[1];
        f.reverseX2 = reverse[2];
        f.reverseY2 = reverse[3];
        ws.settings.derive();
        port.setRecording(true);
        ws.showStatus = [this](int panel, const std::string& text) {
            if (panel == 1) panel1.push_back(text);
            if (panel == 2) panel2.push_back(text);
        };
    }

    void setHome() {
        ws.position.HomeSet = true;
        ws.position.Position = AxisPosition{};
    }

    // Decodes the Out writes: axis k has its direction on bit 2k and its step on bit 2k+1.
    // Unreversed X steps back with the direction high, unreversed Y steps up with it high.
    DecodedSteps decode() const {
        DecodedSteps d;
        for (const PortOperation& op : port.operations()) {
            if (op.kind != PortOperation::Kind::Out || op.port != kDataPort) continue;
            d.bytes.push_back(op.value);
            for (int axis = 0; axis < 4; ++axis) {
                if (!(op.value >> (2 * axis + 1) & 1)) continue;
                const bool dirHigh = op.value >> (2 * axis) & 1;
                const bool positive = dirHigh != reversed[axis];
                d.net[axis] += positive ? 1 : -1;
                ++d.count[axis];
            }
        }
        return d;
    }

    int outCount() const {
        int n = 0;
        for (const PortOperation& op : port.operations())
            if (op.kind == PortOperation::Kind::Out) ++n;
        return n;
    }
};

}  // namespace corvane::testing
