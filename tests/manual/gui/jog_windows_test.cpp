// The jog windows as the operator drives them: Form3 and Form4 distance buttons, Form15 held
// moves from buttons and arrow keys on Picture1, Stop/Done/Clear, the shared JogSpeed slider
// and its activation, the speed-0 refusal and the focus colour.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "machine/workspace.h"
#include "manual/gui/jog_speed_control.h"
#include "manual/gui/key_capture_box.h"
#include "manual/gui/manual_control_window.h"
#include "manual/gui/pair_jog_window.h"
#include "manual/gui/single_axis_jog_window.h"
#include "manual/manual_mover.h"
#include "manual/manual_test_rig.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"

namespace corvane {
namespace {

using testing::ManualRig;

template <typename T = QWidget>
T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void click(QWidget& window, const char* name) {
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

struct JogWindowsTest : ::testing::Test {
    ManualRig rig;
    ScriptedDialogs dialogs;
    int ticks = 0;
    // Runs `action` in the yield of tick `at` (a click or key handled between two ticks).
    void onTick(int at, std::function<void()> action) {
        rig.ws.yield = [this, at, action] {
            if (++ticks == at) action();
        };
    }
};

TEST_F(JogWindowsTest, SingleAxisButtonsSendTheTypedDistanceOfTheirByte) {
    SingleAxisJogWindow w(rig.ws, dialogs);
    EXPECT_EQ(w.objectName(), "Form3");
    EXPECT_EQ(w.windowTitle(), "单轴手动控制");
    const char* captions[] = {"后退", "向前", "上", "下", "后退", "向前", "上", "下"};
    for (int i = 0; i < 8; ++i) {
        const QByteArray name = QByteArray("Command") + QByteArray::number(i + 2);
        EXPECT_EQ(child<QPushButton>(w, name.constData())->text(), QString::fromUtf8(captions[i]));
    }
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(child<QLineEdit>(w, ("Text" + std::to_string(i)).c_str())->text(), "1");
    EXPECT_EQ(w.toolbar()->buttonCaption(1), "Stop");
    EXPECT_EQ(w.toolbar()->button(1).toolTip, "Stop Movement");
    EXPECT_EQ(w.toolbar()->buttonCaption(2), "Done");
    w.show();
    w.activated();

    rig.setHome();
    child<QLineEdit>(w, "Text1")->setText("2.5");
    click(w, "Command3");  // X1 向前
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(395, 0x02));
    rig.port.clearOperations();
    child<QLineEdit>(w, "Text1")->setText("1");
    click(w, "Command2");  // X1 后退: 395 forward, 158 back
    EXPECT_EQ(rig.decode().net[0], 158);
    EXPECT_EQ(rig.panel1.back(), "X1, Y1 = -00001.500, 00000.000   X2, Y2 = 00000.000, 00000.000");

    rig.port.clearOperations();
    child<QLineEdit>(w, "Text4")->setText("-5");
    click(w, "Command8");
    child<QLineEdit>(w, "Text4")->setText("0.0032");
    click(w, "Command9");  // one Y2 step down
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(1, 0x80));
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(JogWindowsTest, ToolbarStopAndDoneEndTheMoveAtTheNextTick) {
    SingleAxisJogWindow w(rig.ws, dialogs);
    w.show();
    onTick(12, [&] { w.toolbar()->click(1); });
    click(w, "Command4");
    EXPECT_EQ(rig.decode().bytes.size(), 12u);
    EXPECT_TRUE(w.isVisible());

    rig.port.clearOperations();
    ticks = 0;
    onTick(30, [&] { w.toolbar()->click(2); });
    click(w, "Command6");
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(30, 0x30));
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.isMoving());
}

TEST_F(JogWindowsTest, SecondButtonDuringAMoveIsIgnoredAndCloseBoxStops) {
    PairJogWindow w(rig.ws, dialogs);
    EXPECT_EQ(w.objectName(), "Form4");
    EXPECT_EQ(w.windowTitle(), "两轴同控");
    w.show();
    child<QLineEdit>(w, "Text2")->setText("0.5");
    rig.ws.yield = [&] {
        ++ticks;
        if (ticks == 5) click(w, "Command2");  // ignored: the Y move keeps going
        if (ticks == 60) w.close();
    };
    click(w, "Command4");  // Y 上
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(60, 0x0C | 0xC0));

    rig.port.clearOperations();
    rig.ws.yield = [] {};
    w.show();
    click(w, "Command5");  // Y 下, 0.5 mm = 79 steps of Y1Down + Y2Down
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(79, 0x08 | 0x80));
}

TEST_F(JogWindowsTest, PairOnSharedPinsIsReportedAndDoesNotStart) {
    rig.ws.settings.fields.x2_dir = "Pin 8";
    rig.ws.settings.fields.x2_step = "Pin 9";
    rig.ws.settings.fields.y2_dir = "Pin 8";
    rig.ws.settings.fields.y2_step = "Pin 9";
    rig.ws.settings.derive();
    PairJogWindow w(rig.ws, dialogs);
    w.show();
    dialogs.answerMessage();
    click(w, "Command4");  // Y1Up + Y2Up = 12 + 192: fits
    click(w, "Command2");  // X1Back + X2Back = 3 + 192: fits
    rig.ws.settings.fields.y1_dir = "Pin 8";
    rig.ws.settings.fields.y1_step = "Pin 9";
    rig.ws.settings.derive();
    rig.port.clearOperations();
    click(w, "Command4");  // 192 + 192
    EXPECT_EQ(rig.outCount(), 0);
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList("Error encountered, Error Number 6, Overflow\rModule 4, Move"));
    EXPECT_FALSE(w.isMoving());
}

TEST_F(JogWindowsTest, ClosingTheMainWindowOrDestroyingTheWindowStopsItsMove) {
    QWidget mainWindow;
    mainWindow.show();
    auto* w = new ManualControlWindow(rig.ws, dialogs, &mainWindow);
    w->show();
    onTick(15, [&] { mainWindow.close(); });
    click(*w, "Command1");
    EXPECT_EQ(rig.decode().bytes.size(), 15u);

    // The window deleted between two ticks (its owner went away): the loop ends at its next
    // test without touching the deleted window.
    rig.port.clearOperations();
    ticks = 0;
    onTick(6, [&] { delete w; });
    QTest::keyClick(w->picture(), Qt::Key_Down);
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(6, 0x88));
}

TEST_F(JogWindowsTest, SliderSetsTheSharedJogSpeedAndActivationClampsIt) {
    SingleAxisJogWindow form3(rig.ws, dialogs);
    PairJogWindow form4(rig.ws, dialogs);
    form3.show();
    form3.activated();
    QSlider* slider3 = child<QSlider>(form3, "Slider1");
    QLabel* label12 = child<QLabel>(form3, "Label12");
    EXPECT_EQ(slider3->maximum(), 31);
    EXPECT_EQ(slider3->value(), 5);
    EXPECT_EQ(label12->text(), "1");
    EXPECT_EQ(child<QLabel>(form3, "SpeedCaption")->text(), "切割速度");
    EXPECT_EQ(child<QLabel>(form3, "SpeedUnit")->text(), "毫米/秒");

    slider3->setValue(31);
    EXPECT_EQ(rig.ws.motion.JogSpeed, Fixed4::fromDouble(6.2));
    EXPECT_EQ(label12->text(), "6.2");
    slider3->setValue(6);
    EXPECT_EQ(label12->text(), "1.2");

    // The other window shows the shared speed on its next activation.
    form4.activated();
    EXPECT_EQ(child<QSlider>(form4, "Slider1")->value(), 6);
    EXPECT_EQ(child<QLabel>(form4, "Label6")->text(), "1.2");

    // A speed above the slider's top (a script set it): slider and speed are clamped.
    rig.ws.motion.JogSpeed = Fixed4::fromInt(10);
    form4.activated();
    EXPECT_EQ(child<QSlider>(form4, "Slider1")->value(), 31);
    EXPECT_EQ(rig.ws.motion.JogSpeed, Fixed4::fromDouble(6.2));
    EXPECT_EQ(child<QLabel>(form4, "Label6")->text(), "6.2");
}

TEST_F(JogWindowsTest, SpeedZeroRefusesWithAMessageBeforeAnyStep) {
    ManualControlWindow form15(rig.ws, dialogs);
    SingleAxisJogWindow form3(rig.ws, dialogs);
    form15.show();
    form3.show();
    form3.activated();
    child<QSlider>(form3, "Slider1")->setValue(0);
    EXPECT_EQ(child<QLabel>(form3, "Label12")->text(), "0");
    dialogs.answerMessage().answerMessage();
    click(form3, "Command3");
    click(form15, "Command3");
    EXPECT_EQ(rig.outCount(), 0);
    EXPECT_EQ(dialogs.messageTexts(), QStringList(2, QString::fromUtf8(kJogSpeedZeroMessage)));
}

TEST_F(JogWindowsTest, ManualControlMovesUntilStopClearOrDone) {
    ManualControlWindow w(rig.ws, dialogs);
    EXPECT_EQ(w.objectName(), "Form15");
    EXPECT_EQ(w.windowTitle(), "手动控制");
    EXPECT_EQ(w.toolbar()->buttonCount(), 1);
    EXPECT_EQ(w.toolbar()->button(1).toolTip, "Completed Manual Move");
    for (int i = 5; i <= 8; ++i)
        EXPECT_EQ(child<QPushButton>(w, ("Command" + std::to_string(i)).c_str())->text(), "停止");
    w.show();
    KeyCaptureBox* picture = child<KeyCaptureBox>(w, "Picture1");

    // Up arrow on Picture1: Y1 and Y2 up until Clear; the key repeat at tick 5 adds nothing.
    rig.ws.yield = [&] {
        ++ticks;
        if (ticks == 5) QTest::keyClick(picture, Qt::Key_Up);
        if (ticks == 20) QTest::keyClick(picture, Qt::Key_Clear);
    };
    QTest::keyClick(picture, Qt::Key_Up);
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(20, 0x0C | 0xC0));

    struct Case {
        Qt::Key key;
        const char* button;
        uint8_t byte;
    };
    const Case cases[] = {{Qt::Key_Left, "Command1", 0x02 | 0x20},
                          {Qt::Key_Right, "Command2", 0x03 | 0x30},
                          {Qt::Key_Down, "Command4", 0x08 | 0x80}};
    for (const Case& c : cases) {
        rig.port.clearOperations();
        ticks = 0;
        rig.ws.yield = [&] {
            if (++ticks == 3) click(w, "Command7");
        };
        QTest::keyClick(picture, c.key);
        EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(3, c.byte)) << c.button;
        rig.port.clearOperations();
        ticks = 0;
        rig.ws.yield = [&] {
            if (++ticks == 4) click(w, "Command8");
        };
        click(w, c.button);
        EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(4, c.byte)) << c.button;
    }

    // Other keys do nothing; Stop while idle only sets the flag.
    rig.port.clearOperations();
    QTest::keyClick(picture, Qt::Key_A);
    QTest::keyClick(picture, Qt::Key_Space);
    click(w, "Command5");
    EXPECT_EQ(rig.outCount(), 0);

    // Done during a move: the move ends at its next test and the window hides.
    ticks = 0;
    rig.ws.yield = [&] {
        if (++ticks == 7) w.toolbar()->click(1);
    };
    click(w, "Command3");
    EXPECT_EQ(rig.decode().bytes.size(), 7u);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(JogWindowsTest, PictureIsLightYellowWhileItHasTheFocus) {
    ManualControlWindow w(rig.ws, dialogs);
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    KeyCaptureBox* picture = child<KeyCaptureBox>(w, "Picture1");
    EXPECT_TRUE(picture->hasFocus());  // activation gives it the focus
    EXPECT_EQ(picture->backgroundColor(), QColor(0xFF, 0xFF, 0xC0));
    child<QSlider>(w, "Slider1")->setFocus();
    EXPECT_EQ(picture->backgroundColor(), QApplication::palette().color(QPalette::Base));
    // A Stop button hands the focus back to Picture1.
    click(w, "Command6");
    EXPECT_TRUE(picture->hasFocus());
    EXPECT_EQ(picture->backgroundColor(), QColor(0xFF, 0xFF, 0xC0));
}

// A laptop has no keypad: Escape stops a continuous jog where keypad 5 (Clear) does.
TEST_F(JogWindowsTest, EscapeStopsAContinuousJogAsKeypadFiveDoes) {
    for (const Qt::Key stopKey : {Qt::Key_Clear, Qt::Key_Escape}) {
        ManualControlWindow w(rig.ws, dialogs);
        w.show();
        KeyCaptureBox* picture = child<KeyCaptureBox>(w, "Picture1");
        rig.port.clearOperations();
        ticks = 0;
        rig.ws.yield = [&] {
            if (++ticks == 7) QTest::keyClick(picture, stopKey);
        };
        QTest::keyClick(picture, Qt::Key_Up);
        EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(7, 0x0C | 0xC0)) << stopKey;
    }
}

}  // namespace
}  // namespace corvane
