// Form2 as the operator sees it: caption and fields on activation, Select's padded form,
// Done rewriting waypoint.txt with the other waypoint untouched, and the refusals (no home,
// a field without a number, a file that cannot be written) that store nothing.
#include "machine/gui/waypoint_window.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "machine/gui/gui_test_util.h"
#include "platform/gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::clickToolbar;
using test::control;

class WaypointWindowTest : public ::testing::Test {
protected:
    WaypointWindowTest() {
        test::writeFile(waypointFile(), "1.5,-2.25,3,4,5,6,7,8\r\n");
        loadWaypoints(waypointFile(), ws.position);
    }

    test::TempDir dir;
    SimulatedPort port;
    FakeClock clock;
    Workspace ws{dir.path(), port, clock};
    ScriptedDialogs dialogs;

    std::filesystem::path waypointFile() const { return dir / "waypoint.txt"; }
    QString field(WaypointWindow& w, int n) {
        return control<QLineEdit>(w, QString("Text%1").arg(n).toLatin1().constData())->text();
    }
    void type(WaypointWindow& w, int n, const QString& text) {
        auto* edit = control<QLineEdit>(w, QString("Text%1").arg(n).toLatin1().constData());
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void open(WaypointWindow& w, int target) {
        ws.position.WayPointTarget = target;
        w.showAndActivate();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        test::letEventsThrough();
    }
};

TEST_F(WaypointWindowTest, ActivationShowsTheTargetWaypointAndSelectTheCurrentPosition) {
    WaypointWindow w(ws, dialogs);
    EXPECT_EQ(w.objectName(), "Form2");
    EXPECT_EQ(control<QLabel>(w, "Label5")->text(), "Click Select to use the Current Position");
    EXPECT_EQ(control<QLabel>(w, "Label2")->text(), "Y1");
    EXPECT_EQ(field(w, 1), "0");

    open(w, 1);
    EXPECT_EQ(w.windowTitle(), "Set WayPoint #1");
    EXPECT_EQ(field(w, 1), "1.5");
    EXPECT_EQ(field(w, 2), "-2.25");
    EXPECT_EQ(field(w, 4), "4");

    toggleHome(ws.position);
    ws.position.Position = {12.5f, -3.125f, 0.0f, 1234.5f};
    ws.position.WayPointTarget = 2;
    w.activated();
    EXPECT_EQ(w.windowTitle(), "Set WayPoint #2");
    EXPECT_EQ(field(w, 1), "5");
    clickToolbar(w, 1);  // Select
    EXPECT_EQ(field(w, 1), "012.50000");
    EXPECT_EQ(field(w, 2), "-003.12500");
    EXPECT_EQ(field(w, 3), "000.00000");
    EXPECT_EQ(field(w, 4), "1234.50000");
    clickToolbar(w, 2);  // Reset
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(field(w, n), "0");
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(WaypointWindowTest, ComingBackFromAnotherWindowRefillsButNotFromADialog) {
    WaypointWindow w(ws, dialogs);
    open(w, 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    type(w, 1, "42");

    // A modal box of the program (a message after Done) returns to the window: typing stays.
    QDialog box(&w);
    box.setModal(true);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.hide();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    test::letEventsThrough();
    EXPECT_EQ(field(w, 1), "42");

    // Another of the program's windows, then back: a new activation.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    test::letEventsThrough();
    EXPECT_EQ(field(w, 1), "1.5");
}

TEST_F(WaypointWindowTest, DoneOnWaypointTwoKeepsWaypointOneInTheFile) {
    toggleHome(ws.position);
    WaypointWindow w(ws, dialogs);
    open(w, 2);
    type(w, 1, "1.234567");
    type(w, 2, " -7");
    type(w, 3, "100mm");
    type(w, 4, "0");
    clickToolbar(w, 3);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(test::readFile(waypointFile()), "1.5,-2.25,3,4,1.23457,-7,100,0\r\n");
    EXPECT_FLOAT_EQ(ws.position.WayPoint2.X1, 1.23457f);
    EXPECT_FLOAT_EQ(ws.position.WayPoint1.Y1, -2.25f);
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(WaypointWindowTest, WithoutHomeSelectAndDoneRefuseAndHide) {
    WaypointWindow w(ws, dialogs);
    open(w, 1);
    type(w, 1, "99");
    dialogs.answerMessage();
    clickToolbar(w, 1);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"A Home Position has not been Selected."});
    EXPECT_EQ(dialogs.messages()[0].title, "");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(field(w, 1), "99");

    open(w, 1);
    type(w, 1, "99");
    dialogs.clearCalls();
    dialogs.answerMessage();
    clickToolbar(w, 3);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"A Home Position has not been Selected."});
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(test::readFile(waypointFile()), "1.5,-2.25,3,4,5,6,7,8\r\n");
    EXPECT_FLOAT_EQ(ws.position.WayPoint1.X1, 1.5f);
}

TEST_F(WaypointWindowTest, AFieldWithoutANumberOrAnUnwritableFileStoresNothingFromIt) {
    toggleHome(ws.position);
    WaypointWindow w(ws, dialogs);
    open(w, 1);
    type(w, 1, "10");
    type(w, 3, "abc");
    dialogs.answerMessage();
    clickToolbar(w, 3);
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].startsWith("X2 must hold a number"));
    EXPECT_TRUE(w.isVisible());
    EXPECT_FLOAT_EQ(ws.position.WayPoint1.X1, 1.5f);
    EXPECT_FLOAT_EQ(ws.position.WayPoint1.X2, 3.0f);
    EXPECT_EQ(test::readFile(waypointFile()), "1.5,-2.25,3,4,5,6,7,8\r\n");

    // waypoint.txt cannot be replaced: said so, the window stays for another try.
    type(w, 3, "2");
    std::filesystem::remove(waypointFile());
    std::filesystem::create_directory(waypointFile());
    dialogs.clearCalls();
    dialogs.answerMessage();
    clickToolbar(w, 3);
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].startsWith("waypoint.txt could not be written"));
    EXPECT_TRUE(w.isVisible());
    EXPECT_FLOAT_EQ(ws.position.WayPoint1.X1, 10.0f);
}

}  // namespace
}  // namespace corvane
