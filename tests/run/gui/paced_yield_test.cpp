// The cut window's yield: the window system runs at every tick, the status texts and labels
// reach the screen at most 30 times a second, and the last texts are shown when the cut ends.
#include "run/gui/paced_yield.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/run_fixture.h"

namespace corvane {
namespace {

TEST(PacedYield, InputEveryTickTextsAtMostThirtyASecond) {
    test::RunnerBench b;
    std::vector<std::string> shown;
    b.ws.showStatus = [&](int panel, const std::string& text) {
        if (panel == 1) shown.push_back(text);
    };
    PacedYield paced(b.ws);
    int passes = 0, paints = 0;
    paced.processEvents = [&] { ++passes; };
    paced.onPaint = [&] { ++paints; };
    paced.begin();
    // Two seconds of 1 ms ticks, each with a new position text.
    for (int k = 0; k < 2000; ++k) {
        b.ws.setStatus(1, "tick " + std::to_string(k));
        paced.yield();
        b.clock.advance(1'000'000);
    }
    EXPECT_EQ(passes, 2000);
    EXPECT_LE(paints, 2 * PacedYield::kPaintsPerSecond + 1);
    EXPECT_GE(paints, 2 * PacedYield::kPaintsPerSecond - 2);
    paced.end();
    ASSERT_FALSE(shown.empty());
    EXPECT_LE(shown.size(), static_cast<size_t>(paints) + 1);
    EXPECT_EQ(shown.back(), "tick 1999") << "the last position must be on screen after the cut";
    // Restored: texts go straight to the status bar again.
    b.ws.setStatus(1, "after");
    EXPECT_EQ(shown.back(), "after");
    EXPECT_EQ(paced.cost().count, 2000);
}

}  // namespace
}  // namespace corvane
