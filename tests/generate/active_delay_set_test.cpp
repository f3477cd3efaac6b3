// The active delay-point set rebuilt from the working count file, and its status text.
#include "generate/active_delay_set.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "support/test_support.h"

namespace corvane::test {
namespace {

struct DelayMachine : TestMachine {
    std::vector<std::pair<int, std::string>> status;
    DelayMachine() {
        ws.showStatus = [this](int panel, const std::string& text) {
            status.emplace_back(panel, text);
        };
    }
};

TEST(DelayRebuild, ZeroEntriesBecomeTheSegmentsBeforeThem) {
    DelayMachine m;
    writeFile(m.dir / "cut_cnt.ct2", "5\r\n7\r\n0\r\n9\r\n0\r\n0\r\n12\r\n");
    rebuildActiveDelayPoints(m.ws);
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 3);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, (std::vector<int>{2, 3, 3}));
    ASSERT_EQ(m.status.size(), 1u);
    EXPECT_EQ(m.status[0].first, 3);
    EXPECT_EQ(m.status[0].second, "3 Delay Points are currently active");

    writeFile(m.dir / "cut_cnt.ct2", "5\r\n7\r\n12");  // no zero, no final line end
    rebuildActiveDelayPoints(m.ws);
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 0);
    EXPECT_TRUE(m.ws.delays.ActiveDelayPoints.empty());
    EXPECT_EQ(m.status.back().second, "0 Delay Points are currently active");

    writeFile(m.dir / "cut_cnt.ct2", "0\n 4 \n0\n\n\n");  // a pause before anything, blank tail
    rebuildActiveDelayPoints(m.ws);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, (std::vector<int>{0, 1}));
}

TEST(DelayRebuild, FaultsAreReportedWithTheGdpLabelAndKeepWhatWasRead) {
    DelayMachine m;
    m.ws.delays.ActiveDelayPoints = {7};
    m.ws.delays.ActiveDelayPointCount = 1;
    EXPECT_EQ(rebuildActiveDelayPointsReported(m.ws),
              "Error encountered, Error Number 53, File not found\rModule 0, GDP");
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 0);

    writeFile(m.dir / "cut_cnt.ct2", "5\r\n0\r\n9\r\nlots\r\n0\r\n");
    EXPECT_EQ(rebuildActiveDelayPointsReported(m.ws),
              "Error encountered, Error Number 13, Type mismatch\rModule 0, GDP");
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 1);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, (std::vector<int>{1}));
    EXPECT_EQ(m.status.back().second, "1 Delay Points are currently active");

    writeFile(m.dir / "cut_cnt.ct2", "99999999999\r\n");
    try {
        rebuildActiveDelayPoints(m.ws);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

TEST(DelayStatus, TextFollowsTheCount) {
    EXPECT_EQ(delayStatusText(0), "0 Delay Points are currently active");
    EXPECT_EQ(delayStatusText(12), "12 Delay Points are currently active");
    EXPECT_EQ(delaySetFromCountEntries({5, 7, 0, 9, 0, 0, 12}).ActiveDelayPoints,
              (std::vector<int>{2, 3, 3}));
}

}  // namespace
}  // namespace corvane::test
