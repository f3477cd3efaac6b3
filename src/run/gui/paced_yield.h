// The cut window's yield within the tick's low millisecond: input (Stop, Pause, the slider) is
// handled at every tick, while the texts that change at every tick (the status panels and the
// labels) reach the screen at most 30 times a second, so repaints do not eat the tick's time.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace corvane {

class Workspace;

class PacedYield {
public:
    static constexpr int kPaintsPerSecond = 30;

    explicit PacedYield(Workspace& ws) : ws_(ws) {}
    ~PacedYield() { end(); }
    PacedYield(const PacedYield&) = delete;
    PacedYield& operator=(const PacedYield&) = delete;

    // From begin() to end() the workspace's status texts are kept and shown at paint slots.
    void begin();
    void end();  // restores the status bar and shows the texts kept last
    // One yield: pending events, and at a paint slot the kept texts and onPaint first.
    void yield();

    // What the yields of the current cut cost (for the benches): count, total and longest.
    struct Cost {
        double count = 0, totalUs = 0, maxUs = 0;
    };
    const Cost& cost() const { return cost_; }

    std::function<void()> onPaint;        // the labels to refresh at a paint slot
    std::function<void()> processEvents;  // the window system's pass (Qt's by default)

private:
    void paint();

    Workspace& ws_;
    bool active_ = false;
    std::function<void(int, const std::string&)> shown_;  // the status bar itself
    std::array<std::string, 4> texts_;
    std::array<bool, 4> changed_{};
    int64_t nextPaint_ = 0;
    Cost cost_;
};

}  // namespace corvane
