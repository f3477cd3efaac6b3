// ppMonitor as the operator drives it: its controls and activation, X forward lighting the step
// pins and clearing them, "停止" while idle, close while stepping, the no-port refusal, a
// missing or broken page, and (with CORVANE_SCREENSHOT_DIR) a picture while stepping.
#include "troubleshoot/gui/port_troubleshooter_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "support/test_support.h"
#include "troubleshoot/gui/pin_connector.h"

namespace corvane {
namespace {

template <typename T = QWidget>
T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

struct TroubleshooterTest : ::testing::Test {
    test::TestMachine m;
    ScriptedDialogs dialogs;
    int yields = 0;

    TroubleshooterTest() {
        for (const char* page :
             {"startppt.rtf", "xforwardppt.rtf", "xbackppt.rtf", "yupppt.rtf", "ydownppt.rtf"})
            std::filesystem::copy_file(std::filesystem::path(CORVANE_RESOURCES) / page,
                                       m.dir / page);
    }
    ~TroubleshooterTest() override { EXPECT_TRUE(dialogs.takeUnscripted().isEmpty()); }

    // Runs `action` in the yield before step `at` (a click handled between two steps).
    void onYield(int at, std::function<void()> action) {
        m.ws.yield = [this, at, action] {
            if (++yields == at) action();
        };
    }
    int outs() const {
        int n = 0;
        for (const PortOperation& op : m.port.operations())
            if (op.kind == PortOperation::Kind::Out) ++n;
        return n;
    }
};

TEST_F(TroubleshooterTest, ActivationShowsThePinsTheReversalTheStartPageAndKeepsJogSpeed) {
    m.ws.settings.fields.reverseY1 = 1;
    m.ws.settings.fields.reverseY2 = 2;
    m.ws.settings.fields.x2_step = "Pin 9";
    PortTroubleshooterWindow w(m.ws, dialogs);
    EXPECT_EQ(w.objectName(), "ppMonitor");
    EXPECT_EQ(w.windowTitle(), "Parallel Port Monitor / Troubleshooter");
    EXPECT_EQ(child<QGroupBox>(w, "Frame1")->title(), "当前设置");
    EXPECT_EQ(child<QGroupBox>(w, "Frame3")->title(), "手动控制");
    EXPECT_EQ(child<QGroupBox>(w, "Frame4")->title(), "Analysis");
    // The likeliest answer to "the motor does not move" on a dry run, and which face is drawn.
    EXPECT_TRUE(child<QLabel>(w, "SimulatedPortNote")->text().startsWith("Simulated port"));
    EXPECT_TRUE(child<QLabel>(w, "ConnectorFace")->text().contains("plug"));
    EXPECT_EQ(w.toolbar()->buttonCount(), 1);
    EXPECT_EQ(w.toolbar()->button(1).caption, "Done");
    EXPECT_EQ(w.toolbar()->button(1).key, "Done1");
    EXPECT_EQ(w.toolbar()->button(1).toolTip, "Done");
    const std::pair<const char*, const char*> buttons[] = {{"Command5", "XForward"},
                                                           {"Command7", "X Back"},
                                                           {"Command6", "Y Up"},
                                                           {"Command8", "Y Down"},
                                                           {"Command9", "停止"}};
    for (const auto& [name, caption] : buttons)
        EXPECT_EQ(child<QPushButton>(w, name)->text(), QString::fromUtf8(caption));

    m.ws.motion.JogSpeed = Fixed4::fromInt(3);
    w.showAndActivate();
    EXPECT_EQ(m.ws.motion.JogSpeed, Fixed4::fromInt(3));  // the jog windows' speed, untouched
    const std::pair<const char*, const char*> labels[] = {
        {"x1dir", "Pin 2"}, {"x1step", "Pin 3"}, {"y1dir", "Pin 4"}, {"y1step", "Pin 5"},
        {"x2dir", "Pin 6"}, {"x2step", "Pin 9"}, {"y2dir", "Pin 8"}, {"y2step", "Pin 9"}};
    for (const auto& [name, text] : labels) EXPECT_EQ(child<QLabel>(w, name)->text(), text);
    EXPECT_EQ(child<QCheckBox>(w, "Check1")->checkState(), Qt::Unchecked);
    EXPECT_EQ(child<QCheckBox>(w, "Check2")->checkState(), Qt::Checked);
    EXPECT_EQ(child<QCheckBox>(w, "Check4")->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(w.pageBox()->toPlainText().contains("Parallel Port Output Explained"));
    // The page names this machine's pins; no placeholder is left.
    EXPECT_TRUE(w.pageBox()->toPlainText().contains("X2 step Pin 9"));
    EXPECT_FALSE(w.pageBox()->toPlainText().contains('%'));
    // Idle indicators: the status pins of a port with nothing attached, ground uncoloured.
    const PinConnector& pins = *w.connector();
    EXPECT_EQ(pins.pinColor(10), QColor(Qt::red));
    EXPECT_EQ(pins.pinColor(11), QColor(Qt::green));
    EXPECT_EQ(pins.pinColor(2), QColor(Qt::green));
    EXPECT_FALSE(pins.pinColor(18).isValid());
    EXPECT_FALSE(pins.pinColor(25).isValid());
    // Nothing was written by opening it.
    EXPECT_EQ(outs(), 0);
}

TEST_F(TroubleshooterTest, XForwardLightsTheStepPinsThenClearsThemUntilStop) {
    PortTroubleshooterWindow w(m.ws, dialogs);
    w.showAndActivate();
    // "停止" while idle changes nothing and does not keep the next run from stepping.
    m.port.clearOperations();
    QTest::mouseClick(child<QPushButton>(w, "Command9"), Qt::LeftButton);
    EXPECT_TRUE(m.port.operations().empty());

    std::vector<std::vector<QColor>> lit;  // data pins 2..9 as shown after each step's write
    QObject::connect(&w, &PortTroubleshooterWindow::stepWritten, &w, [&] {
        std::vector<QColor> data;
        for (int pin = 2; pin <= 9; ++pin) data.push_back(w.connector()->pinColor(pin));
        lit.push_back(data);
    });
    onYield(4, [&] { QTest::mouseClick(child<QPushButton>(w, "Command9"), Qt::LeftButton); });
    QTest::mouseClick(child<QPushButton>(w, "Command5"), Qt::LeftButton);
    EXPECT_FALSE(w.isStepping());
    ASSERT_EQ(lit.size(), 3u);
    for (const auto& data : lit) {
        for (int pin = 2; pin <= 9; ++pin) {
            const bool stepPin = pin == 3 || pin == 7;  // X1 step, X2 step
            EXPECT_EQ(data[pin - 2], stepPin ? QColor(Qt::red) : QColor(Qt::green)) << pin;
        }
    }
    EXPECT_EQ(outs(), 3);
    EXPECT_EQ(w.connector()->pinColor(3), QColor(Qt::green));
    EXPECT_TRUE(w.pageBox()->toPlainText().startsWith("X Forward"));
}

TEST_F(TroubleshooterTest, ClosingWhileSteppingStopsHidesAndLeavesTheStepBitsClear) {
    PortTroubleshooterWindow w(m.ws, dialogs);
    w.showAndActivate();
    onYield(3, [&] { w.close(); });
    QTest::mouseClick(child<QPushButton>(w, "Command8"), Qt::LeftButton);  // Y down
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.isStepping());
    EXPECT_EQ(outs(), 2);
    EXPECT_EQ(m.port.reg(0x378) & 0xAA, 0);

    // Done while stepping does the same.
    m.port.clearOperations();
    w.showAndActivate();
    yields = 0;
    onYield(2, [&] { w.toolbar()->click(1); });
    QTest::mouseClick(child<QPushButton>(w, "Command6"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(outs(), 1);
}

TEST_F(TroubleshooterTest, WithoutAKnownPortTheButtonsSayWhyAndNothingIsTouched) {
    m.ws.settings.derived.DataPort = 0;
    PortTroubleshooterWindow w(m.ws, dialogs);
    w.showAndActivate();
    for (int pin = 1; pin <= 25; ++pin) EXPECT_FALSE(w.connector()->pinColor(pin).isValid());
    dialogs.answerMessage();
    m.port.clearOperations();
    QTest::mouseClick(child<QPushButton>(w, "Command5"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "No Port");
    EXPECT_EQ(dialogs.messages()[0].text.toStdString(), m.ws.portRefusal());
    EXPECT_TRUE(m.port.operations().empty());
}

TEST_F(TroubleshooterTest, AMissingOrBrokenPageLeavesANoteAndTheWindowWorks) {
    std::filesystem::remove(m.dir / "startppt.rtf");
    test::writeFile(m.dir / "xbackppt.rtf", "{\\rtf1 cut off in the midd");
    PortTroubleshooterWindow w(m.ws, dialogs);
    w.showAndActivate();
    EXPECT_TRUE(w.pageBox()->toPlainText().contains("startppt.rtf cannot be shown"));
    onYield(3, [&] { w.stop(); });
    QTest::mouseClick(child<QPushButton>(w, "Command7"), Qt::LeftButton);
    EXPECT_TRUE(w.pageBox()->toPlainText().contains("xbackppt.rtf cannot be shown"));
    EXPECT_EQ(outs(), 2);
}

// A backend that fails every read, and every write once `writesFail` is set.
class FailingPort : public SimulatedPort {
public:
    bool writesFail = false;
    bool getPortBit(uint16_t, uint8_t) override {
        throw RunError(ErrorNumber::PathFileAccessError, "the port went away");
    }
    void portOut(uint16_t port, uint8_t value) override {
        if (writesFail) throw RunError(ErrorNumber::PathFileAccessError, "the port went away");
        SimulatedPort::portOut(port, value);
    }
};

TEST_F(TroubleshooterTest, APortThatFailsIsReportedAndTheWindowGoesOn) {
    FailingPort failing;
    m.ws.setPort(failing);
    PortTroubleshooterWindow w(m.ws, dialogs);
    dialogs.answerMessage();
    w.showAndActivate();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_TRUE(dialogs.messages()[0].text.startsWith(
        "Error encountered, Error Number 75, Path/File access error\r"
        "Module ppMonitor, Activate"));
    w.activated();  // failing again: not said twice
    EXPECT_EQ(dialogs.messages().size(), 1u);
    failing.writesFail = true;
    dialogs.answerMessage();
    QTest::mouseClick(child<QPushButton>(w, "Command6"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_TRUE(dialogs.messages()[1].text.contains("\rModule ppMonitor, Step"));
    EXPECT_FALSE(w.isStepping());
    EXPECT_TRUE(w.pageBox()->toPlainText().startsWith("Y Up"));
}

TEST_F(TroubleshooterTest, PictureWhileSteppingXForward) {
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR to write the picture";
    QDir().mkpath(dir);
    PortTroubleshooterWindow w(m.ws, dialogs);
    w.resize(w.sizeHint().expandedTo(QSize(760, 720)));
    w.showAndActivate();
    QObject::connect(&w, &PortTroubleshooterWindow::stepWritten, &w, [&] {
        EXPECT_TRUE(w.grab().save(dir + "/ppMonitor_stepping.png"));
        w.stop();
    });
    QTest::mouseClick(child<QPushButton>(w, "Command5"), Qt::LeftButton);
}

// The lamps show register bits: the legend says so, and marks the pins whose voltage the port
// inverts, where a set bit is 0 V at the pin.
TEST_F(TroubleshooterTest, TheLegendSpeaksOfBitsAndMarksTheInvertedPins) {
    PortTroubleshooterWindow w(m.ws, dialogs);
    for (QLabel* label : w.findChildren<QLabel*>())
        EXPECT_FALSE(label->text().contains("Volts")) << label->text().toStdString();
    EXPECT_TRUE(child<QLabel>(w, "InvertedPinsNote")->text().contains("1, 11, 14, 17"));
    std::vector<int> inverted;
    for (int pin = 1; pin <= 25; ++pin)
        if (PinConnector::invertedByThePort(pin)) inverted.push_back(pin);
    EXPECT_EQ(inverted, (std::vector<int>{1, 11, 14, 17}));
}

}  // namespace
}  // namespace corvane
