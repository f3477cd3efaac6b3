// The cut window on a controller (a scripted ControllerConnection): Begin Cut streams instead of
// ticking the port, the slider asks the feed override as its speed over the planned speed and
// says when the controller cannot follow, Pause holds until the box is confirmed, Stop and a
// closed window stop the stream, the wire button sends the wire code while idle and stops a
// stream it would switch off; Percent Complete and the red marks follow what the machine has
// done, the wire caption what the controller last reported, and the counted position where it
// says the machine went; the controller's warnings come before the cut, which Cancel leaves
// unstarted. With CORVANE_SCREENSHOT_DIR set it also writes the window while
// it streams (Form10_controller.png).
#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "machine/controller_connection.h"
#include "run/gui/cut_window.h"
#include "run/gui/cut_window_bench.h"

namespace corvane {
namespace {

using test::u;

struct ScriptedController : ControllerConnection {
    std::string describe() const override { return "grbl:/dev/ttyUSB0@115200"; }
    ControllerCutResult runCut(
        Fixed4 speed, double pauseMs, bool wire, ControllerControls& c,
        const std::function<void()>& yield,
        const std::function<void(const ControllerProgress&)>& progress) override {
        plannedSpeed = speed.toDouble();
        pause = pauseMs;
        wireAtBegin = wire;
        ControllerCutResult result;
        for (int turn = 0; turn < 20; ++turn) {
            yield();
            if (operatorAt) operatorAt(turn);
            feedAsked.push_back(c.feedPercent);
            if (c.stop) {
                result.stopped = true;
                result.finalState = "Idle";
                return result;
            }
            ControllerProgress p;
            p.acknowledged = static_cast<std::size_t>(turn + 1) * 5;
            // The controller takes lines in well before it does them.
            p.executed = static_cast<std::size_t>(turn) * 3;
            p.segmentsDone = turn / 6;
            p.total = 100;
            p.line = turn * 5 + 9;
            p.state = c.hold ? "Hold:0" : "Run";
            p.position = {-1.5 * turn, 0.25 * turn, -1.0 * turn, 0.125 * turn};
            p.feed = 372 * c.feedPercent / 100.0;
            p.feedOverride = c.feedPercent;
            p.wireKnown = turn >= wireReportedAt;
            p.wireOn = wire;
            progress(p);
            if (turn == 7) shown.push_back(percentLabel ? percentLabel->text().toStdString() : "");
        }
        result.completed = !lostAtEnd;
        result.finalState = "Idle";
        result.moved = moved;
        result.positionLost = lostAtEnd;
        if (lostAtEnd) result.message = "The serial line was lost";
        return result;
    }
    std::vector<std::string> cutWarnings(Fixed4, bool) override { return warnings; }
    std::string switchWire(bool on) override {
        wireCodes.push_back(on);
        return {};
    }
    ControllerJog jog(const std::array<double, 4>&, double, const std::function<bool()>&,
                      const std::function<void()>&) override {
        return {};
    }
    void hold(bool on) override { holds.push_back(on); }
    void softReset() noexcept override { ++resets; }

    std::function<void(int)> operatorAt;
    std::vector<std::string> warnings;
    QLabel* percentLabel = nullptr;
    std::vector<std::string> shown;  // Percent Complete at turn 7
    int wireReportedAt = 0;
    std::array<double, 4> moved{-230, 12.5, -230, 12.5};
    bool lostAtEnd = false;
    double plannedSpeed = 0, pause = 0;
    bool wireAtBegin = false;
    std::vector<int> feedAsked;
    std::vector<bool> holds, wireCodes;
    int resets = 0;
};

TEST(ControllerCutWindow, SliderPauseStopAndWireDriveTheController) {
    test::WindowBench b;
    ScriptedController controller;
    b.ws.controller = &controller;
    CutWindow& w = b.open();
    auto& slider = b.child<QSlider>("Slider1");
    slider.setValue(20);  // 4 mm/s
    b.child<QLineEdit>("Text1").setText("250");

    // The wire before the cut: its code, and the stream then starts with the wire on.
    b.clickButton(3);
    EXPECT_EQ(controller.wireCodes, std::vector<bool>{true});
    EXPECT_EQ(w.toolbar().buttonCaption(3), u("电热丝通电"));

    b.dialogs.answerMessage();  // the pause box
    controller.operatorAt = [&](int turn) {
        if (turn == 2) slider.setValue(30);  // 6 mm/s of 4: 150 %
        if (turn == 4) slider.setValue(1);   // 0.2 mm/s of 4: 5 %, below what it allows
        if (turn == 5) {
            EXPECT_TRUE(w.cutting());
            EXPECT_NE(b.child<QLabel>("speedErrorLabel").text().indexOf(u("allows 10-200%")), -1);
        }
        const char* dir = std::getenv("CORVANE_SCREENSHOT_DIR");
        if (turn == 8 && dir != nullptr) {
            slider.setValue(24);
        } else if (turn == 9 && dir != nullptr) {
            w.resize(1360, 640);
            w.grab().save(QString::fromLocal8Bit(dir) + u("/Form10_controller.png"));
        }
        if (turn == 6) b.clickButton(4);  // Pause: hold, the box, cycle start
    };
    b.clickButton(1);
    EXPECT_DOUBLE_EQ(controller.plannedSpeed, 4);
    EXPECT_DOUBLE_EQ(controller.pause, 250);
    EXPECT_TRUE(controller.wireAtBegin);
    EXPECT_EQ(controller.feedAsked[3], 150);
    EXPECT_EQ(controller.feedAsked[5], 5);
    EXPECT_EQ(controller.holds, (std::vector<bool>{true, false}));
    EXPECT_EQ(b.dialogs.messageTexts(), QStringList{u("切割暂停\n点击确定继续")});
    EXPECT_EQ(b.child<QLabel>("Label5").text(), u("100"));
    EXPECT_TRUE(w.toolbar().isButtonEnabled(1));
    EXPECT_FALSE(w.cutting());
    // The port saw nothing: the controller cut.
    EXPECT_TRUE(b.dataWrites().empty());

    // Stop mid-stream; then the wire button during a stream with the wire on stops it too.
    controller.feedAsked.clear();
    controller.operatorAt = [&](int turn) {
        if (turn == 3) b.clickButton(2);
    };
    b.clickButton(1);
    EXPECT_EQ(controller.feedAsked.size(), 4u);
    EXPECT_EQ(b.child<QLabel>("Label5").text(), u("0"));
    controller.feedAsked.clear();
    b.clickButton(3);  // on again (the stream's end switched it off)
    controller.operatorAt = [&](int turn) {
        if (turn == 2) b.clickButton(3);
    };
    b.clickButton(1);
    EXPECT_EQ(controller.feedAsked.size(), 3u);
    EXPECT_EQ(controller.wireCodes, (std::vector<bool>{true, true}));
    EXPECT_TRUE(b.dialogs.takeUnscripted().isEmpty());
}

TEST(ControllerCutWindow, ProgressWireAndPositionAreTheControllersWord) {
    test::WindowBench b;
    ScriptedController controller;
    b.ws.controller = &controller;
    b.ws.position.HomeSet = true;
    b.ws.position.Position = AxisPosition{10, 5, 10, 5};
    CutWindow& w = b.open();
    std::vector<int> marked;
    QObject::connect(&w, &CutWindow::segmentMarked, [&](int g) { marked.push_back(g); });
    controller.percentLabel = &b.child<QLabel>("Label5");
    // Before the controller reports its outputs the button keeps the operator's word.
    controller.wireReportedAt = 100;
    b.clickButton(1);
    // At turn 7: 40 of 100 lines answered, 21 done.
    EXPECT_EQ(controller.shown, std::vector<std::string>{"21"});
    // The red marks follow the segments the machine has cut: 3 by the last turn.
    EXPECT_EQ(marked, (std::vector<int>{2, 3, 4}));
    const AxisPosition& p = b.ws.position.Position;
    EXPECT_FLOAT_EQ(p.X1, -220);
    EXPECT_FLOAT_EQ(p.Y1, 17.5);
    EXPECT_FLOAT_EQ(p.X2, -220);
    EXPECT_FLOAT_EQ(p.Y2, 17.5);
    EXPECT_TRUE(b.ws.position.HomeSet);

    // A line lost mid-cut: the position is not known any more.
    controller.lostAtEnd = true;
    b.dialogs.answerMessage();
    b.clickButton(1);
    EXPECT_FALSE(b.ws.position.HomeSet);
    EXPECT_TRUE(b.dialogs.takeUnscripted().isEmpty());
}

TEST(ControllerCutWindow, WarningsAreSaidBeforeTheCutAndCancelStartsNothing) {
    test::WindowBench b;
    ScriptedController controller;
    b.ws.controller = &controller;
    b.open();
    controller.warnings = {"The controller is in laser mode ($32=1): ..."};
    b.dialogs.answerMessage(MsgAnswer::Cancel);
    b.clickButton(1);
    EXPECT_TRUE(controller.feedAsked.empty()) << "nothing streamed";
    ASSERT_EQ(b.dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(b.dialogs.messageTexts()[0].startsWith(u("The controller is in laser mode")));
    EXPECT_TRUE(b.dialogs.messageTexts()[0].endsWith(u("Cut anyway?")));
    b.dialogs.answerMessage(MsgAnswer::Ok);
    b.clickButton(1);
    EXPECT_EQ(controller.feedAsked.size(), 20u);
    EXPECT_TRUE(b.dialogs.takeUnscripted().isEmpty());
}

}  // namespace
}  // namespace corvane
