// The troubleshooter reached from the main window: Help > Parallel Port Output Explained opens
// ppMonitor, a jog window opened afterwards keeps the operator's speed, and shut-down
// during a step loop ends the loop with the step bits clear.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "shell_fixture.h"
#include "troubleshoot/gui/port_troubleshooter_window.h"

namespace corvane {
namespace {

class TroubleshooterMenuTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        for (const char* page : {"startppt.rtf", "xforwardppt.rtf"})
            std::filesystem::copy_file(std::filesystem::path(CORVANE_RESOURCES) / page, file(page));
    }
};

TEST_F(TroubleshooterMenuTest, OpenMonitorShowsPpMonitorAndAJogWindowKeepsTheOperatorsSpeed) {
    startedFrame();
    ws_->motion.JogSpeed = Fixed4::fromDouble(0.2);
    trigger("OpenMonitor");
    auto* monitor = qobject_cast<PortTroubleshooterWindow*>(frame().windows().loaded("ppMonitor"));
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isVisible());
    EXPECT_EQ(ws_->motion.JogSpeed, Fixed4::fromDouble(0.2));
    QWidget* jog = frame().windows().show("Form3");
    ASSERT_NE(jog, nullptr);
    QApplication::processEvents();
    auto* speed = jog->findChild<QLabel*>("Label12");
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->text(), "0.2");
}

TEST_F(TroubleshooterMenuTest, ShutDownWhileSteppingEndsTheLoopWithTheStepBitsClear) {
    startedFrame();
    trigger("OpenMonitor");
    auto* monitor = qobject_cast<PortTroubleshooterWindow*>(frame().windows().loaded("ppMonitor"));
    ASSERT_NE(monitor, nullptr);
    int yields = 0;
    bool shutDown = false;
    ws_->yield = [&] {
        if (++yields == 3) shutDown = frame().shutDown();
    };
    port_.clearOperations();
    QTest::mouseClick(monitor->findChild<QPushButton*>("Command5"), Qt::LeftButton);
    EXPECT_TRUE(shutDown);
    EXPECT_FALSE(monitor->isStepping());
    int outs = 0;
    for (const PortOperation& op : port_.operations())
        if (op.kind == PortOperation::Kind::Out && op.port == 0x378) ++outs;
    EXPECT_EQ(outs, 2);
    EXPECT_EQ(port_.reg(0x378) & 0xAA, 0);
}

}  // namespace
}  // namespace corvane
