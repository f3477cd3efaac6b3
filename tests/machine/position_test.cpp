// The counted position, home toggle, status and message texts, the waypoint store rule and
// waypoint.txt in all the number forms it may hold.
#include "machine/position.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "support/test_support.h"

namespace corvane {
namespace {

DerivedSettings pins158(bool reversed = false) {
    MachineSettings s;
    s.fields.resetDefaults();
    s.fields.steps_per_inch = "158";
    int r = reversed ? 1 : 0;
    s.fields.reverseX1 = s.fields.reverseY1 = s.fields.reverseX2 = s.fields.reverseY2 = r;
    s.derive();
    return s.derived;
}

TEST(Position, OneForwardStepAt158StepsPerMm) {
    PositionState p;
    toggleHome(p);
    DerivedSettings d = pins158();
    EXPECT_EQ(positionStatusText(p),
              "X1, Y1 = 00000.000, 00000.000   X2, Y2 = 00000.000, 00000.000");
    EXPECT_TRUE(applyStepByte(p, d, static_cast<uint8_t>(d.X1Forward)));
    EXPECT_EQ(positionStatusText(p),
              "X1, Y1 = -00000.006, 00000.000   X2, Y2 = 00000.000, 00000.000");
}

TEST(Position, SenseIsTheSameWithAndWithoutReversal) {
    for (bool reversed : {false, true}) {
        DerivedSettings d = pins158(reversed);
        PositionState p;
        toggleHome(p);
        auto step = [&](uint16_t byte, int times) {
            for (int i = 0; i < times; ++i) applyStepByte(p, d, static_cast<uint8_t>(byte));
        };
        step(d.X1Back, 3);
        step(d.X2Forward, 2);
        step(d.Y1Up, 5);
        step(d.Y2Down, 7);
        step(d.X1BackDir + d.Y1DownDir, 4);  // direction only: nobody moves
        const float mm = static_cast<float>(1.0 / 158);
        EXPECT_NEAR(p.Position.X1, 3 * mm, 1e-6) << reversed;
        EXPECT_NEAR(p.Position.X2, -2 * mm, 1e-6) << reversed;
        EXPECT_NEAR(p.Position.Y1, 5 * mm, 1e-6) << reversed;
        EXPECT_NEAR(p.Position.Y2, -7 * mm, 1e-6) << reversed;
    }
}

TEST(Position, SinglePrecisionStorageAccumulatesRounding) {
    DerivedSettings d = pins158();
    PositionState p;
    toggleHome(p);
    float expected = 0;
    for (int i = 0; i < 10000; ++i) {
        applyStepByte(p, d, static_cast<uint8_t>(d.Y1Up));
        expected = static_cast<float>(static_cast<double>(expected) + 1.0 / 158);
    }
    EXPECT_EQ(p.Position.Y1, expected);  // bit for bit the float-stored sum
    EXPECT_NE(static_cast<double>(p.Position.Y1), 10000.0 / 158);
}

TEST(Position, HomeToggles) {
    DerivedSettings d = pins158();
    PositionState p;
    toggleHome(p);
    applyStepByte(p, d, static_cast<uint8_t>(d.X1Back));
    toggleHome(p);  // cleared: frozen, not counted
    EXPECT_FALSE(p.HomeSet);
    EXPECT_EQ(positionStatusText(p), "起点位置尚未设置");
    EXPECT_FALSE(applyStepByte(p, d, static_cast<uint8_t>(d.X1Back)));
    EXPECT_NEAR(p.Position.X1, 1.0 / 158, 1e-7);
    toggleHome(p);  // set again: zero
    EXPECT_EQ(p.Position, AxisPosition{});
}

TEST(Position, TextsOfTwelveAndAHalf) {
    PositionState p;
    p.HomeSet = true;
    p.Position = {12.5f, -3.125f, 0, 0.5f};
    EXPECT_EQ(positionStatusText(p),
              "X1, Y1 = 00012.500, -00003.125   X2, Y2 = 00000.000, 00000.500");
    EXPECT_EQ(waypointDisplayText(1, p.Position),
              "Current WayPoint #1 Position \r\rX1, Y1 = 12.5, -3.125\r\rX2, Y2 = 0, 0.5");
    EXPECT_EQ(waypointDisplayText(2, AxisPosition{}),
              "Current WayPoint #2 Position \r\rX1, Y1 = 0, 0\r\rX2, Y2 = 0, 0");
}

TEST(Waypoints, TypedFieldsAreRoundedToFiveDecimals) {
    EXPECT_EQ(storedWaypointValue(1.234567), 1.23457f);
    EXPECT_EQ(storedWaypointValue(-0.000004), 0.0f);
    EXPECT_EQ(waypointFieldValue(" 12.5 mm").value(), 12.5f);
    EXPECT_EQ(waypointFieldValue("012.50000").value(), 12.5f);
    EXPECT_EQ(waypointFieldValue("0").value(), 0.0f);
    EXPECT_FALSE(waypointFieldValue("").has_value());
    EXPECT_FALSE(waypointFieldValue("abc").has_value());
    EXPECT_FALSE(waypointFieldValue("-").has_value());
    EXPECT_THROW((void)waypointFieldValue("1e300"), RunError);  // beyond single precision
}

TEST(Waypoints, FileFormsAreAllRead) {
    test::TempDir dir;
    test::writeFile(dir / "waypoint.txt", " 12.5,-.5, .25,1E-05\r\n-3.125,\n0\r\n7,8,9th,junk\r\n");
    PositionState p;
    loadWaypoints(dir / "waypoint.txt", p);
    EXPECT_EQ(p.WayPoint1, (AxisPosition{12.5f, -0.5f, 0.25f, 1e-5f}));
    EXPECT_EQ(p.WayPoint2, (AxisPosition{-3.125f, 0, 7, 8}));
}

TEST(Waypoints, ShortOrMissingFileKeepsWhatWasRead) {
    test::TempDir dir;
    PositionState p;
    p.WayPoint2.Y2 = 4;
    EXPECT_THROW(loadWaypoints(dir / "waypoint.txt", p), RunError);
    test::writeFile(dir / "waypoint.txt", "1,2,3,4,5\r\n");
    try {
        loadWaypoints(dir / "waypoint.txt", p);
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 62);
    }
    EXPECT_EQ(p.WayPoint1, (AxisPosition{1, 2, 3, 4}));
    EXPECT_EQ(p.WayPoint2.X1, 5);
    EXPECT_EQ(p.WayPoint2.Y2, 4);  // not reached: unchanged
    test::writeFile(dir / "waypoint.txt", "1,2,x,4,5,6,7,8\r\n");
    EXPECT_THROW(loadWaypoints(dir / "waypoint.txt", p), RunError);
}

TEST(Waypoints, SaveWritesBothAndReadsBack) {
    test::TempDir dir;
    test::copyResources(dir.path());
    PositionState p;
    loadWaypoints(dir / "waypoint.txt", p);  // the shipped file: all zeros
    EXPECT_EQ(p.WayPoint1, AxisPosition{});
    p.WayPoint1 = {1.5f, -2.25f, 0.5f, 1e-5f};
    saveWaypoints(dir / "waypoint.txt", p);
    // "Done" on waypoint 2: waypoint 1 stays as it was in values 1 to 4.
    p.WayPoint2 = {storedWaypointValue(1.234567), 0, -100, 12345.67f};
    saveWaypoints(dir / "waypoint.txt", p);
    EXPECT_EQ(test::readFile(dir / "waypoint.txt"),
              "1.5,-2.25,0.5,1E-05,1.23457,0,-100,12345.67\r\n");
    PositionState back;
    loadWaypoints(dir / "waypoint.txt", back);
    EXPECT_EQ(back.WayPoint1, p.WayPoint1);
    EXPECT_EQ(back.WayPoint2, p.WayPoint2);
}

}  // namespace
}  // namespace corvane
