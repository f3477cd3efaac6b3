// Seeded random moves on random pin maps, checked by an independent decoder of the simulated
// port's writes: every tick steps each axis exactly as asked, the step bits fall before the
// next write, and the decoded step counts match the counted position.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "machine/step_output.h"
#include "machine/workspace.h"
#include "support/test_support.h"

namespace corvane {
namespace {

// Pin text -> data bit, read from the settings' texts, not from the derived values.
int bitOfPin(const std::string& text) {
    return std::stoi(text.substr(4)) - 2;
}

struct AxisWiring {
    int stepBit;
    int dirBit;
    bool reversed;
};

// Decodes the port operations of a run into per-axis step counts (+1 back/up, -1 forward/down).
class Decoder {
public:
    explicit Decoder(std::array<AxisWiring, 4> axes) : axes_(axes) {}

    void onOperation(const PortOperation& op) {
        if (op.port != 888) return;
        if (op.kind == PortOperation::Kind::Out) {
            EXPECT_EQ(reg_ & stepMask(), 0) << "a step bit was still high at the next write";
            reg_ = op.value;
            for (int a = 0; a < 4; ++a) {
                if (((reg_ >> axes_[a].stepBit) & 1) == 0) continue;
                bool high = ((reg_ >> axes_[a].dirBit) & 1) != 0;
                counts[a] += (high != axes_[a].reversed) ? 1 : -1;
            }
            ++ticks;
        } else if (op.kind == PortOperation::Kind::Clr) {
            reg_ = static_cast<uint8_t>(reg_ & ~(1u << op.value));
        }
    }

    std::array<long, 4> counts{};  // X1, Y1, X2, Y2
    long ticks = 0;

private:
    int stepMask() const {
        int m = 0;
        for (const auto& a : axes_) m |= 1 << a.stepBit;
        return m;
    }
    std::array<AxisWiring, 4> axes_;
    uint8_t reg_ = 0;
};

TEST(StepDecoder, RandomMovesDecodeToTheCountedPosition) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        test::TestMachine m;
        SettingsFields& f = m.ws.settings.fields;
        // A random assignment of the eight signals to the eight data pins.
        std::array<int, 8> pins{2, 3, 4, 5, 6, 7, 8, 9};
        std::shuffle(pins.begin(), pins.end(), rng);
        std::string* texts[] = {&f.x1_dir, &f.x1_step, &f.y1_dir, &f.y1_step,
                                &f.x2_dir, &f.x2_step, &f.y2_dir, &f.y2_step};
        for (int i = 0; i < 8; ++i) *texts[i] = "Pin " + std::to_string(pins[i]);
        f.reverseX1 = rng() % 2;
        f.reverseY1 = rng() % 2;
        f.reverseX2 = rng() % 2;
        f.reverseY2 = rng() % 2;
        f.steps_per_inch = std::to_string(100 + rng() % 400);
        m.ws.settings.derive();
        m.ws.position.HomeSet = true;
        const DerivedSettings& d = m.ws.settings.derived;

        Decoder decoder({AxisWiring{bitOfPin(f.x1_step), bitOfPin(f.x1_dir), f.reverseX1 == 1},
                         AxisWiring{bitOfPin(f.y1_step), bitOfPin(f.y1_dir), f.reverseY1 == 1},
                         AxisWiring{bitOfPin(f.x2_step), bitOfPin(f.x2_dir), f.reverseX2 == 1},
                         AxisWiring{bitOfPin(f.y2_step), bitOfPin(f.y2_dir), f.reverseY2 == 1}});
        m.port.setObserver([&](const PortOperation& op) { decoder.onOperation(op); });

        // Each axis: -1, 0 or +1 per tick (back/up = +1), as the byte sum of its patterns.
        std::array<long, 4> asked{};
        const uint16_t plus[4] = {d.X1Back, d.Y1Up, d.X2Back, d.Y2Up};
        const uint16_t minus[4] = {d.X1Forward, d.Y1Down, d.X2Forward, d.Y2Down};
        const int ticks = 800;
        for (int t = 0; t < ticks; ++t) {
            unsigned byte = 0;
            for (int a = 0; a < 4; ++a) {
                int move = static_cast<int>(rng() % 3) - 1;
                if (move > 0) byte += plus[a];
                if (move < 0) byte += minus[a];
                asked[a] += move;
            }
            StepPulse(m.ws, static_cast<uint8_t>(byte), Fixed4::fromDouble(0.2 * (1 + rng() % 30)));
        }

        EXPECT_EQ(decoder.ticks, ticks);
        const float counted[4] = {m.ws.position.Position.X1, m.ws.position.Position.Y1,
                                  m.ws.position.Position.X2, m.ws.position.Position.Y2};
        for (int a = 0; a < 4; ++a) {
            EXPECT_EQ(decoder.counts[a], asked[a]) << "seed " << seed << " axis " << a;
            EXPECT_NEAR(counted[a] / d.MmPerStep, static_cast<double>(asked[a]), 0.01)
                << "seed " << seed << " axis " << a;
        }
    }
}

}  // namespace
}  // namespace corvane
