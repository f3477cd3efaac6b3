// The planning commands and the return windows: home check, the statuses of panel 2, the
// error report of a failed plan, running the latest plan from tick 1, Stop/Clear/Done.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "machine/controller_connection.h"
#include "machine/position.h"
#include "machine/workspace.h"
#include "manual/gui/key_capture_box.h"
#include "manual/gui/return_move_commands.h"
#include "manual/gui/return_move_window.h"
#include "manual/manual_mover.h"
#include "manual/manual_test_rig.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"

namespace corvane {
namespace {

using testing::ManualRig;

struct ReturnWindowsTest : ::testing::Test {
    ManualRig rig;
    ScriptedDialogs dialogs;
    QWidget mainWindow;
    ReturnMoveCommands commands{rig.ws, dialogs, &mainWindow};

    void clickStart(PlanTarget target) {
        QTest::mouseClick(commands.window(target).findChild<QPushButton*>("Command1"),
                          Qt::LeftButton);
    }
};

TEST_F(ReturnWindowsTest, WithoutHomeNothingIsPlannedOrOpened) {
    dialogs.answerMessage().answerMessage().answerMessage();
    EXPECT_FALSE(commands.returnHome());
    EXPECT_FALSE(commands.moveWayPoint1());
    EXPECT_FALSE(commands.moveWayPoint2());
    EXPECT_EQ(dialogs.messageTexts(), QStringList(3, "A Home Position has not been Selected."));
    EXPECT_EQ(commands.existingWindow(PlanTarget::Home), nullptr);
    EXPECT_TRUE(rig.panel2.empty());
}

TEST_F(ReturnWindowsTest, ReturnHomePlansShowsForm16AndRunsBackToHome) {
    rig.setHome();
    rig.ws.position.Position = AxisPosition{1, 0.5f, -0.25f, 0};
    ASSERT_TRUE(commands.returnHome());
    EXPECT_EQ(rig.panel2,
              (std::vector<std::string>{"Calculating Return to Home Move .....",
                                        "Return to Home Move Calculations Complete ..."}));
    ReturnMoveWindow& w = commands.window(PlanTarget::Home);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.objectName(), "Form16");
    EXPECT_EQ(w.windowTitle(), "返回起点坐标");
    EXPECT_EQ(w.findChild<QPushButton*>("Command1")->text(), "返回起点");
    EXPECT_EQ(w.findChild<QPushButton*>("Command5")->text(), "停止");
    EXPECT_EQ(w.toolbar()->button(1).toolTip, "Done and Close");
    EXPECT_EQ(rig.ws.movePlan.bytes.size(), 158u);

    rig.panel2.clear();
    clickStart(PlanTarget::Home);
    EXPECT_EQ(rig.panel2, (std::vector<std::string>{"返回起点坐标", "成功返回起点"}));
    EXPECT_EQ(rig.decode().bytes.size(), 158u);
    const AxisPosition& p = rig.ws.position.Position;
    for (float v : {p.X1, p.Y1, p.X2, p.Y2}) EXPECT_NEAR(v, 0, 0.5 / 158 + 1e-5);
    // -0.25 mm is 39.5 steps, rounded to 40: X2 ends half a step past home.
    EXPECT_EQ(rig.panel1.back().substr(rig.panel1.back().size() - 20), "00000.003, 00000.000");

    // Done hides the window, clears panel 2 and keeps the plan.
    w.toolbar()->click(1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(rig.panel2.back(), "");
    EXPECT_EQ(rig.ws.movePlan.bytes.size(), 158u);
    EXPECT_TRUE(dialogs.calls().empty());
}

// On a controller, return home is its homing cycle ($H) when it has switches, else the planned
// move as one jog; nothing goes to the port either way.
struct HomingController : ControllerConnection {
    bool switches = true;
    std::string homingError;
    int cycles = 0;
    std::vector<std::array<double, 4>> jogs;
    std::string describe() const override { return "grbl:/dev/ttyUSB0"; }
    ControllerCutResult runCut(Fixed4, double, bool, ControllerControls&,
                               const std::function<void()>&,
                               const std::function<void(const ControllerProgress&)>&) override {
        return {};
    }
    std::string switchWire(bool) override { return {}; }
    ControllerJog jog(const std::array<double, 4>& mm, double, const std::function<bool()>&,
                      const std::function<void()>&) override {
        jogs.push_back(mm);
        ControllerJog j;
        j.moved = mm;
        return j;
    }
    std::optional<ControllerJog> homingCycle(
        const std::function<bool()>& stop, const std::function<void()>& yield,
        const std::function<void(const ControllerProgress&)>& progress) override {
        if (!switches) return std::nullopt;
        ++cycles;
        ControllerJog j;
        for (int turn = 0; turn < homingTurns; ++turn) {
            yield();
            if (atTurn) atTurn(turn);
            if (stop()) {
                j.cancelled = j.positionLost = true;
                j.error = "The homing cycle was stopped";
                return j;
            }
            ControllerProgress p;
            p.state = "Home";
            p.position = {2.0 * turn, 0, 0, 0};
            progress(p);
        }
        j.error = homingError;
        return j;
    }
    int homingTurns = 0;
    std::function<void(int)> atTurn;
    void hold(bool) override {}
    void softReset() noexcept override {}
};

TEST_F(ReturnWindowsTest, OnAControllerHomeIsItsHomingCycleOrThePlannedJog) {
    HomingController controller;
    rig.ws.controller = &controller;
    rig.setHome();
    rig.ws.position.Position = AxisPosition{1, 0.5f, -0.25f, 0};
    ASSERT_TRUE(commands.returnHome());
    rig.panel2.clear();
    clickStart(PlanTarget::Home);
    EXPECT_EQ(controller.cycles, 1);
    EXPECT_TRUE(controller.jogs.empty());
    EXPECT_EQ(rig.panel2, (std::vector<std::string>{"返回起点坐标", "成功返回起点"}));
    const AxisPosition& p = rig.ws.position.Position;
    for (float v : {p.X1, p.Y1, p.X2, p.Y2}) EXPECT_EQ(v, 0);
    EXPECT_TRUE(rig.decode().bytes.empty()) << "nothing on the port";

    // A failed cycle says why and leaves the counted position alone.
    controller.homingError = "ALARM:9 Homing fail";
    rig.ws.position.Position = AxisPosition{2, 0, 0, 0};
    clickStart(PlanTarget::Home);
    EXPECT_EQ(rig.panel2.back(), "ALARM:9 Homing fail");
    EXPECT_EQ(rig.ws.position.Position.X1, 2);

    // The cycle shows where it is while it runs, and the window's Stop ends it: not homed.
    controller.homingError.clear();
    controller.homingTurns = 6;
    controller.atTurn = [&](int turn) {
        if (turn == 3)
            QTest::mouseClick(commands.window(PlanTarget::Home).findChild<QPushButton*>("Command5"),
                              Qt::LeftButton);
    };
    rig.panel2.clear();
    clickStart(PlanTarget::Home);
    ASSERT_GE(rig.panel2.size(), 3u);
    EXPECT_EQ(rig.panel2[1], "Homing ($H): Home, X1 0.000 Y1 0.000 X2 0.000 Y2 0.000");
    EXPECT_EQ(rig.panel2[3], "Homing ($H): Home, X1 4.000 Y1 0.000 X2 0.000 Y2 0.000");
    EXPECT_EQ(rig.panel2.back(), "The homing cycle was stopped");
    EXPECT_FALSE(rig.ws.position.HomeSet);
    rig.setHome();
    controller.homingTurns = 0;

    // Without switches: the planned move, as one jog of the same distance.
    controller.switches = false;
    rig.ws.position.Position = AxisPosition{1, 0.5f, -0.25f, 0};
    ASSERT_TRUE(commands.returnHome());
    clickStart(PlanTarget::Home);
    ASSERT_EQ(controller.jogs.size(), 1u);
    EXPECT_NEAR(controller.jogs[0][0], -1.0, 1.0 / 158);
    EXPECT_NEAR(controller.jogs[0][2], 0.25, 1.0 / 158);
    rig.ws.controller = nullptr;
    dialogs.takeUnscripted();
}

TEST_F(ReturnWindowsTest, EveryWindowRunsTheLatestPlanAndEachRunStartsAtTickOne) {
    rig.setHome();
    rig.ws.position.Position = AxisPosition{1, 0, 0, 0};
    rig.ws.position.WayPoint1 = AxisPosition{1, 0.5f, 0, 0};
    ASSERT_TRUE(commands.returnHome());
    ASSERT_TRUE(commands.moveWayPoint1());
    ReturnMoveWindow& form17 = commands.window(PlanTarget::WayPoint1);
    EXPECT_EQ(form17.objectName(), "Form17");
    EXPECT_EQ(form17.findChild<QPushButton*>("Command1")->text(), "Move  WayPoint #1");

    // Command1 in Form16 now plays the waypoint-1 plan: 79 ticks of Y1 up.
    rig.panel2.clear();
    int ticks = 0;
    rig.ws.yield = [&] {
        if (++ticks == 30)
            QTest::mouseClick(commands.window(PlanTarget::Home).findChild<QPushButton*>("Command5"),
                              Qt::LeftButton);
    };
    clickStart(PlanTarget::Home);
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(30, 0x0C));
    EXPECT_EQ(rig.panel2, (std::vector<std::string>{"返回起点坐标", "成功返回起点"}));

    // Started again after Stop: the whole plan from tick 1, from an arrow key on Picture1.
    rig.port.clearOperations();
    rig.ws.yield = [] {};
    QTest::keyClick(form17.findChild<KeyCaptureBox*>("Picture1"), Qt::Key_Right);
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(79, 0x0C));
    EXPECT_NEAR(rig.ws.position.Position.Y1, 0.5 + 30.0 / 158, 1e-5);
}

TEST_F(ReturnWindowsTest, ClearKeyStopsAndAStartDuringARunIsIgnored) {
    rig.setHome();
    rig.ws.position.WayPoint2 = AxisPosition{-1, 0, -1, 0};
    ASSERT_TRUE(commands.moveWayPoint2());
    ReturnMoveWindow& w = commands.window(PlanTarget::WayPoint2);
    EXPECT_EQ(w.objectName(), "Form18");
    KeyCaptureBox* picture = w.findChild<KeyCaptureBox*>("Picture1");
    int ticks = 0;
    rig.panel2.clear();
    rig.ws.yield = [&] {
        ++ticks;
        if (ticks == 4) QTest::keyClick(picture, Qt::Key_Up);  // a second start: ignored
        if (ticks == 9) QTest::keyClick(picture, Qt::Key_Clear);
    };
    clickStart(PlanTarget::WayPoint2);
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(9, 0x02 | 0x20));
    EXPECT_EQ(rig.panel2, (std::vector<std::string>{"Moving to WayPoint #2 ...",
                                                    "Move to Waypoint #2 Complete..."}));
}

TEST_F(ReturnWindowsTest, EmptyPlanStillShowsBothStatusesAndFailedPlanOpensNothing) {
    rig.setHome();
    ASSERT_TRUE(commands.returnHome());  // at home already: no ticks
    EXPECT_TRUE(rig.ws.movePlan.bytes.empty());
    rig.panel2.clear();
    clickStart(PlanTarget::Home);
    EXPECT_EQ(rig.outCount(), 0);
    EXPECT_EQ(rig.panel2, (std::vector<std::string>{"返回起点坐标", "成功返回起点"}));

    // Y1 wired onto Y2's pins: the plan overflows, is reported under its label and dropped.
    rig.ws.settings.fields.y1_dir = "Pin 8";
    rig.ws.settings.fields.y1_step = "Pin 9";
    rig.ws.settings.derive();
    rig.ws.position.WayPoint1 = AxisPosition{0, 1, 0, 1};
    rig.panel2.clear();
    dialogs.answerMessage();
    EXPECT_FALSE(commands.moveWayPoint1());
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList("Error encountered, Error Number 6, Overflow\rModule Main, MWP1"));
    EXPECT_EQ(commands.existingWindow(PlanTarget::WayPoint1), nullptr);
    EXPECT_EQ(rig.panel2,
              (std::vector<std::string>{"Calculating WayPoint #1 Move .....",
                                        "Return to WayPoint #1 Calculations Complete ..."}));
    EXPECT_TRUE(rig.ws.movePlan.bytes.empty());
    clickStart(PlanTarget::Home);  // nothing left to run
    EXPECT_EQ(rig.outCount(), 0);
}

TEST_F(ReturnWindowsTest, PlanningDuringARunReplacesThePlanButNotTheRunningOne) {
    rig.setHome();
    rig.ws.position.Position = AxisPosition{1, 0, 0, 0};
    rig.ws.position.WayPoint1 = AxisPosition{0, 2, 0, 0};
    ASSERT_TRUE(commands.returnHome());
    int ticks = 0;
    rig.ws.yield = [&] {
        if (++ticks == 10) commands.moveWayPoint1();  // the menu used in the middle of the run
    };
    clickStart(PlanTarget::Home);
    const auto decoded = rig.decode();
    EXPECT_EQ(decoded.bytes, std::vector<uint8_t>(158, 0x02));  // the home run went on to its end
    EXPECT_TRUE(commands.window(PlanTarget::WayPoint1).isVisible());
    // Planned from where the wire was then: 9 ticks done, 149 X1 steps forward still to go.
    const auto& plan = rig.ws.movePlan.bytes;
    ASSERT_EQ(plan.size(), 316u);
    int x1 = 0;
    for (uint8_t b : plan) x1 += b >> 1 & 1;
    EXPECT_EQ(x1, 149);
}

TEST_F(ReturnWindowsTest, SpeedZeroRefusesBeforeTheRunStarts) {
    rig.setHome();
    rig.ws.position.Position = AxisPosition{1, 0, 0, 0};
    ASSERT_TRUE(commands.returnHome());
    rig.ws.motion.JogSpeed = Fixed4::fromInt(0);
    rig.panel2.clear();
    dialogs.answerMessage();
    clickStart(PlanTarget::Home);
    EXPECT_EQ(dialogs.messageTexts(), QStringList(QString::fromUtf8(kJogSpeedZeroMessage)));
    EXPECT_EQ(rig.outCount(), 0);
    EXPECT_TRUE(rig.panel2.empty());
}

}  // namespace
}  // namespace corvane
