#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "platform/gui/drawing_view.h"
#include "platform/gui/placement.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/cut_window.h"
#include "run/gui/cut_window_bench.h"
#include "run/run_fixture.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::kProfile;
using test::u;
using test::WindowBench;

TEST(WingCutWindow, RunsASetWithDelayPointsToTheEndMarkingSegmentsAndPausing) {
    WindowBench b;
    CutWindow& w = b.open();
    EXPECT_EQ(w.objectName(), "Form10");
    EXPECT_EQ(w.windowTitle(), u("机翼切割 - 切割进度信息"));
    ASSERT_EQ(b.dialogs.calls().size(), 0u);
    // The drawings: four entities a view, delay points rebuilt from the count file (1, 2, 2)
    // and marked at the end points of entities 1 and 2.
    EXPECT_EQ(b.view(1).entityCount(), 4);
    EXPECT_EQ(b.view(2).entityCount(), 4);
    EXPECT_EQ(b.ws.delays.ActiveDelayPointCount, 3);
    EXPECT_EQ(b.view(1).markerCount(), 2);
    EXPECT_EQ(b.view(2).markerCount(), 2);

    b.child<QLineEdit>("Text1").setText("25");
    // Red segment marks appear as each segment finishes: count them at every data write.
    std::vector<int> marksAtWrite;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out)
            marksAtWrite.push_back(b.view(2).directLineCount());
    });
    const int64_t before = b.clock.peek();
    b.clickButton(1);

    ASSERT_TRUE(w.lastOutcome());
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{0x03, 0x03, 0x30, 0x0C, 0xC0, 0x33}));
    EXPECT_EQ(marksAtWrite, (std::vector<int>{0, 0, 1, 2, 2, 3}));
    EXPECT_EQ(w.lastOutcome()->stats.pauses, 3);
    EXPECT_GE(b.clock.peek() - before, 75'000'000);  // three pauses of 25 ms
    EXPECT_EQ(b.child<QLabel>("Label5").text(), "100");
    // Finish: the marks go, the delay points are marked again, Begin Cut is back.
    EXPECT_EQ(b.view(1).directLineCount(), 0);
    EXPECT_EQ(b.view(1).markerCount(), 2);
    EXPECT_TRUE(w.toolbar().isButtonEnabled(1));
    EXPECT_TRUE(b.dialogs.calls().empty());
}

TEST(WingCutWindow, WireButtonTwiceFromItsDesignCaptionTurnsTheWireOnThenOff) {
    WindowBench b;
    CutWindow& w = b.open();
    EXPECT_EQ(w.toolbar().buttonCaption(3), "Hot Wire OFF");
    EXPECT_TRUE(w.toolbar().isButtonEnabled(3));
    EXPECT_FALSE(b.wireBitSet());
    b.clickButton(3);
    EXPECT_EQ(w.toolbar().buttonCaption(3), u("电热丝通电"));
    EXPECT_TRUE(b.wireBitSet());  // pin 1, active low: the bit is set for on
    b.clickButton(3);
    EXPECT_EQ(w.toolbar().buttonCaption(3), u("电热丝断电"));
    EXPECT_FALSE(b.wireBitSet());

    // Without a wire pin the button is disabled (both forms of the not-used entry).
    WindowBench unused;
    unused.ws.settings.fields.enable = "未使用     ";
    EXPECT_FALSE(unused.open().toolbar().isButtonEnabled(3));
    WindowBench unused2;
    unused2.ws.settings.fields.enable = "未使用";
    EXPECT_FALSE(unused2.open().toolbar().isButtonEnabled(3));
}

TEST(WingCutWindow, ClosingDuringACutEndsItSwitchesTheWireOffAndShowsTheMainToolbar) {
    WindowBench b;
    CutWindow& w = b.open();
    QSignalSpy toolbarSpy(&w, &CutWindow::mainToolbarVisibilityRequested);
    b.clickButton(3);
    ASSERT_TRUE(b.wireBitSet());
    b.child<QLineEdit>("Text1").setText("1000");
    bool closedWhileCutting = false;
    QTimer::singleShot(0, &w, [&] {
        closedWhileCutting = w.cutting();
        w.close();
    });
    b.clickButton(1);
    EXPECT_TRUE(closedWhileCutting);
    ASSERT_TRUE(w.lastOutcome());
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Stopped);
    EXPECT_LT(b.dataWrites().size(), 6u);
    EXPECT_FALSE(b.wireBitSet());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.toolbar().buttonCaption(3), "Hot Wire Control OFF");
    EXPECT_EQ(b.child<QLabel>("Label5").text(), "0");
    ASSERT_FALSE(toolbarSpy.isEmpty());
    EXPECT_EQ(toolbarSpy.last().at(0).toBool(), true);

    // Opened again, it starts like a new window: design caption, drawings rebuilt.
    b.open();
    EXPECT_EQ(b.window->toolbar().buttonCaption(3), "Hot Wire OFF");
}

TEST(WingCutWindow, StopAndPauseActBetweenTwoTicks) {
    WindowBench b;
    CutWindow& w = b.open();
    b.dialogs.answerMessage();
    int writes = 0;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind != PortOperation::Kind::Out) return;
        ++writes;
        if (writes == 2) QTimer::singleShot(0, &w, [&] { b.clickButton(4); });
        if (writes == 4) QTimer::singleShot(0, &w, [&] { b.clickButton(2); });
    });
    b.clickButton(1);
    ASSERT_EQ(b.dialogs.messageTexts(), QStringList{u("切割暂停\n点击确定继续")});
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Stopped);
    EXPECT_EQ(writes, 4);
    EXPECT_EQ(b.child<QLabel>("Label5").text(), "0");
    EXPECT_TRUE(w.toolbar().isButtonEnabled(1));
}

TEST(WingCutWindow, FoamSetShowsTheWashoutMessageAndHidesTheWindow) {
    WindowBench b;
    const std::string l = (b.folder.path() / "left.dat").string();
    test::writeText(b.ws.file("datinfo.ct3"), "\"" + l + "\",\"" + l + "\",120,100\r\n");
    b.dialogs.answerMessage();
    CutWindow& w = b.open();
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_EQ(b.dialogs.messages()[0].text,
              "Washout data not included with Cut File.  Either reload correct Cut File or "
              "regenerate the Cut File and try again.");
    EXPECT_FALSE(w.isVisible());
}

TEST(WingCutWindow, UnequalOrUnreadableProfilesAreReportedAndTheWindowStaysUsable) {
    WindowBench b;
    b.writeProfiles(kProfile, "X\r\n1 0\r\n0 0\r\n1 0\r\n");
    b.dialogs.answerMessage();
    CutWindow& w = b.open();
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_EQ(b.dialogs.messages()[0].text,
              "DAT files selected do not have the same number of lines. Edit DAT files and try "
              "again");
    EXPECT_EQ(b.dialogs.messages()[0].title, "DAT File Error");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(b.view(1).entityCount(), 0);

    // A profile file that is gone: an orderly message naming it, and the cut still runs.
    b.dialogs.clearCalls();
    std::filesystem::remove(b.folder.path() / "right.dat");
    b.dialogs.answerMessage();
    w.activate();
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_TRUE(b.dialogs.messages()[0].text.contains("right.dat"));
    b.clickButton(1);
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    EXPECT_EQ(b.dataWrites().size(), 6u);
}

TEST(WingCutWindow, ACountFileBeyondTheProfileEndsTheCutWithTheErrorReport) {
    WindowBench b;
    b.writeSet({1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6});  // six segments, the profile has four
    b.dialogs.answerMessage();
    CutWindow& w = b.open();
    b.clickButton(1);
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_EQ(b.dialogs.messages()[0].text,
              "Error encountered, Error Number 9, Subscript out of range\rModule 10, BC");
    EXPECT_EQ(b.dataWrites().size(), 5u);
    EXPECT_TRUE(w.toolbar().isButtonEnabled(1));
    EXPECT_EQ(b.view(1).directLineCount(), 0);
}

TEST(WingCutWindow, SliderPauseLengthZoomKeysAndCoupledScrollBars) {
    WindowBench b;
    b.ws.settings.derived.SpeedSliderMax = 31;
    b.ws.motion.CutSpeed = Fixed4::fromDouble(1.2);
    CutWindow& w = b.open();
    QSlider& slider = b.child<QSlider>("Slider1");
    EXPECT_EQ(slider.maximum(), 31);
    EXPECT_EQ(slider.value(), 6);
    EXPECT_EQ(b.child<QLabel>("Label4").text(), "1.2");
    slider.setValue(17);
    EXPECT_EQ(b.ws.motion.CutSpeed, Fixed4::fromDouble(3.4));
    EXPECT_EQ(b.child<QLabel>("Label4").text(), "3.4");

    QLineEdit& text1 = b.child<QLineEdit>("Text1");
    EXPECT_EQ(text1.text(), "1");
    text1.setText("0");
    EXPECT_EQ(text1.text(), "1");
    text1.setText("05");
    EXPECT_EQ(text1.text(), "05");

    const double width = b.view(1).viewWindow().width();
    QTest::keyClick(&slider, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_LT(b.view(1).viewWindow().width(), width);
    EXPECT_LT(b.view(2).viewWindow().width(), width);
    EXPECT_EQ(b.view(1).markerCount(), 2);  // marked again, not piled up
    QTest::keyClick(&slider, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_DOUBLE_EQ(b.view(1).viewWindow().width(), width);

    const QRectF before1 = b.view(1).viewWindow();
    const QRectF before2 = b.view(2).viewWindow();
    b.child<QScrollBar>("VScroll1").setValue(10);
    EXPECT_EQ(b.child<QScrollBar>("VScroll2").value(), 10);
    // Moving a bar down by 10 moves both views 0.1 drawing units down the drawing.
    EXPECT_NEAR(b.view(1).viewWindow().center().y() - before1.center().y(), -0.1, 1e-9);
    EXPECT_NEAR(b.view(2).viewWindow().center().y() - before2.center().y(), -0.1, 1e-9);
    EXPECT_EQ(b.view(2).markerCount(), 2);

    QSignalSpy manual(&w, &CutWindow::manualControlRequested);
    QTest::keyClick(&slider, Qt::Key_F5);
    EXPECT_EQ(manual.count(), 1);
}

TEST(WingCutWindow, ZoomAndScrollStayWhileLoadedAndALoadStartsAfresh) {
    WindowBench b;
    CutWindow& w = b.open();
    QSlider& slider = b.child<QSlider>("Slider1");
    QScrollBar& bar1 = b.child<QScrollBar>("VScroll1");
    const QRectF start = b.view(1).viewWindow();

    // The main keyboard's plus and minus are no zoom keys.
    QTest::keyClick(&slider, Qt::Key_Plus);
    QTest::keyClick(&slider, Qt::Key_Minus);
    EXPECT_EQ(b.view(1).viewWindow(), start);

    QTest::keyClick(&slider, Qt::Key_Plus, Qt::KeypadModifier);
    bar1.setValue(20);
    const QRectF zoomed1 = b.view(1).viewWindow(), zoomed2 = b.view(2).viewWindow();
    ASSERT_NE(zoomed1, start);
    b.child<QLineEdit>("Text1").setText("250");

    w.activate();  // the operator coming back from another window
    EXPECT_EQ(b.view(1).viewWindow(), zoomed1);
    EXPECT_EQ(b.view(2).viewWindow(), zoomed2);
    EXPECT_EQ(bar1.value(), 20);
    EXPECT_EQ(b.child<QScrollBar>("VScroll2").value(), 20);
    EXPECT_EQ(b.view(1).entityCount(), 4);
    // Scrolling back to 0 brings the view back to where the zoom left it: bars and view agree.
    bar1.setValue(0);
    QTest::keyClick(&slider, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_NEAR(b.view(1).viewWindow().center().y(), start.center().y(), 1e-9);

    // Closed and shown again: a fresh window, view, bars and pause length as loaded.
    QTest::keyClick(&slider, Qt::Key_Plus, Qt::KeypadModifier);
    bar1.setValue(30);
    w.close();
    w.show();
    w.activate();
    EXPECT_EQ(b.view(1).viewWindow(), start);
    EXPECT_EQ(bar1.value(), 0);
    EXPECT_EQ(b.child<QScrollBar>("VScroll2").value(), 0);
    EXPECT_EQ(b.child<QLineEdit>("Text1").text(), "1");
}

TEST(WingCutWindow, TheDelayPointsAreReadAgainWhenAProfileCannotBeDrawn) {
    WindowBench b;
    CutWindow& w = b.open();
    ASSERT_EQ(b.ws.delays.ActiveDelayPoints, (std::vector<int>{1, 2, 2}));

    // A profile gone and a count file with a new delay point: the set follows the file.
    std::filesystem::remove(b.folder.path() / "right.dat");
    b.writeSet({0x03, 0x03, 0x30, 0x0C, 0xC0, 0x33}, {2, 3, 0, 5, 6});
    b.dialogs.answerMessage();
    w.activate();
    EXPECT_EQ(b.ws.delays.ActiveDelayPoints, std::vector<int>{2});
    EXPECT_EQ(b.dialogs.messages().size(), 1u);

    // A count file that is not numbers: the rebuild's own report, after the profile's.
    b.writeSet({0x03, 0x03, 0x30, 0x0C, 0xC0, 0x33}, {2, 0});
    test::writeText(b.ws.file("cut_cnt.ct2"), "2\r\n0\r\nten\r\n");
    b.dialogs.clearCalls();
    b.dialogs.answerMessage().answerMessage();
    w.activate();
    ASSERT_EQ(b.dialogs.messages().size(), 2u);
    EXPECT_TRUE(b.dialogs.messages()[1].text.startsWith("Error encountered, Error Number 13, "))
        << b.dialogs.messages()[1].text.toStdString();
    EXPECT_TRUE(b.dialogs.messages()[1].text.endsWith("\rModule 0, GDP"));
    EXPECT_EQ(b.ws.delays.ActiveDelayPoints, std::vector<int>{1});
}

TEST(WingCutWindow, AShortMainWindowKeepsBothFramesWholeAndTheStatusBarInView) {
    for (QSize size : {QSize(1280, 960), QSize(1024, 700), QSize(800, 480)}) {
        WindowBench b;
        QMainWindow main;
        main.setCentralWidget(new QWidget(&main));
        main.statusBar()->showMessage("X1, Y1");
        main.resize(size);
        main.show();
        b.window = std::make_unique<CutWindow>(b.ws, b.dialogs, &main);
        const auto ownedByMain = qScopeGuard([&] { (void)b.window.release(); });
        CutWindow& w = *b.window;
        w.show();
        w.activate();
        const QRect status(main.statusBar()->mapToGlobal(QPoint(0, 0)), main.statusBar()->size());
        EXPECT_FALSE(QRect(w.pos(), w.size().grownBy(frameMarginsOf(w))).intersects(status))
            << size.height();
        for (const char* frame : {"Frame1", "Frame2"})
            EXPECT_LE(b.child<QGroupBox>(frame).geometry().bottom(), w.height() - 1)
                << frame << " at " << size.height();
    }
}

TEST(WingCutWindow, F5OpensTheManualControlWindowWhenNothingElseDoes) {
    WindowBench b;
    b.open();
    QTest::keyClick(&b.child<QSlider>("Slider1"), Qt::Key_F5);
    bool found = false;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "Form15" && top->isVisible()) found = true;
    EXPECT_TRUE(found);
}

TEST(WingCutWindow, ViewsScaleTheSmallerChordAndShearWashedOutProfiles) {
    WindowBench b;
    b.writeDatInfo("200", "100", "0", "1", "0", "45");
    b.open();
    // Left keeps its file size; right is half size and sheared by 45 degrees (y += x).
    const DrawingEntity* l1 = b.view(1).entity(1);
    const DrawingEntity* r1 = b.view(2).entity(1);
    ASSERT_TRUE(l1 && r1);
    EXPECT_DOUBLE_EQ(l1->X0, 1.0);
    EXPECT_DOUBLE_EQ(l1->y1, 0.06);
    EXPECT_DOUBLE_EQ(r1->X0, 0.5);
    EXPECT_NEAR(r1->Y0, 0.5, 1e-6);
    EXPECT_NEAR(r1->y1, 0.5 * (0.06 + 0.5), 1e-6);
    EXPECT_EQ(r1->Color, 7u);

    // A flag other than exactly "1" leaves the profile unsheared; equal chords scale 1.
    b.writeDatInfo("150", "150", "1 ", "0", "30", "30");
    b.window->activate();
    EXPECT_EQ(b.view(1).entityCount(), 4);  // cleared before appending again
    EXPECT_DOUBLE_EQ(b.view(1).entity(1)->Y0, 0.0);
    EXPECT_DOUBLE_EQ(b.view(2).entity(1)->X0, 1.0);
}

// A face set draws its tower outlines (the projection, in one frame divided by the larger tower
// chord) and its designed faces in light grey after them, so the segment numbers stay.
TEST(WingCutWindow, AFaceSetDrawsItsTowerOutlinesAndItsFacesLightlyAfterThem) {
    WindowBench b;
    const std::string l = (b.folder.path() / "left.dat").string();
    const std::string r = (b.folder.path() / "right.dat").string();
    // Faces of 200 and 100 mm, 100 mm from each tower, 600 mm apart: towers 216.67 and 83.33.
    test::writeText(b.ws.file("datinfo.ct3"),
                    "\"" + l + "\",\"" + r +
                        "\",216.67,83.33,\"0\",\"0\",\"0\",\"0\",\"faces\",200,100,800,100,600,"
                        "0,0,0,0,0,0,0\r\n");
    b.open();
    ASSERT_EQ(b.view(1).entityCount(), 8);
    ASSERT_EQ(b.view(2).entityCount(), 8);
    const double larger = 200 + 100.0 * 100 / 600;
    EXPECT_NEAR(b.view(1).entity(1)->X0, 1.0, 1e-12);
    EXPECT_NEAR(b.view(2).entity(1)->X0, (100 - 100.0 * 100 / 600) / larger, 1e-12);
    EXPECT_EQ(b.view(1).entity(1)->Color, 7u);
    EXPECT_NEAR(b.view(1).entity(5)->X0, 200 / larger, 1e-12);
    EXPECT_NEAR(b.view(2).entity(5)->X0, 100 / larger, 1e-12);
    EXPECT_EQ(b.view(2).entity(5)->Color, 0xC8C8C8u);
    // The delay points still mark the ends of the profile's entities 1 and 2.
    EXPECT_EQ(b.view(1).markerCount(), 2);
}

// Inside a main window: sized from its inner area, frames and views by the layout rules, the main
// toolbar hidden on activation and the home-control menu enabled.
TEST(WingCutWindow, LaysItselfOutInsideTheMainWindowAndHidesItsToolbar) {
    WindowBench b;
    QMainWindow main;
    CutWindow& w = b.openInside(main, QSize(1200, 900));
    QSignalSpy toolbar(&w, &CutWindow::mainToolbarVisibilityRequested);
    QSignalSpy homeMenu(&w, &CutWindow::homeControlMenuEnableRequested);
    w.show();
    w.activate();
    ASSERT_EQ(toolbar.count(), 1);
    EXPECT_FALSE(toolbar.at(0).at(0).toBool());
    EXPECT_EQ(homeMenu.count(), 1);

    const QWidget* inner = main.centralWidget();
    EXPECT_EQ(w.width(), inner->width() - twipsToPixels(200, w.logicalDpiX()));
    // As tall as leaves its title bar and frame inside the main window's area.
    const QRect area(inner->mapToGlobal(QPoint(0, 0)), inner->size());
    const int bottom = QRect(w.pos(), w.size().grownBy(frameMarginsOf(w))).bottom();
    EXPECT_LE(bottom, area.bottom());
    EXPECT_GE(bottom, area.bottom() - 4);
    QGroupBox& left = b.child<QGroupBox>("Frame1");
    QGroupBox& right = b.child<QGroupBox>("Frame2");
    EXPECT_EQ(left.title(), u("左侧切割文件"));
    EXPECT_EQ(right.title(), u("右侧切割文件"));
    EXPECT_EQ(left.width(), static_cast<int>(0.97 * w.width()));
    EXPECT_EQ(left.height(), static_cast<int>(0.42 * w.height()));
    EXPECT_EQ(right.size(), left.size());
    EXPECT_EQ(right.y(), left.y() + left.height() + twipsToPixels(150, w.logicalDpiY()));
    EXPECT_LE(right.geometry().bottom(), w.height());
    DrawingView& view = b.view(1);
    EXPECT_EQ(view.width(), static_cast<int>(0.98 * left.width()));
    EXPECT_EQ(view.height(), static_cast<int>(0.9 * left.height()));
    QScrollBar& bar = b.child<QScrollBar>("VScroll1");
    EXPECT_EQ(bar.height(), view.height());
    EXPECT_EQ(bar.geometry().right(), view.geometry().right());
    EXPECT_EQ(bar.minimum(), -100);
    EXPECT_EQ(bar.maximum(), 100);
}

// Without the permission the cut runs at normal priority and the window says so once, naming the
// step that grants it; the next cut says nothing more.
TEST(WingCutWindow, ARefusedRealTimePriorityIsToldOnceWithTheStep) {
    WindowBench b;
    test::FakeScheduling sched;
    sched.refuseWith = EPERM;
    b.ws.scheduling = &sched;
    CutWindow& w = b.open();
    b.dialogs.answerMessage();
    b.clickButton(1);
    ASSERT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    b.clickButton(1);
    ASSERT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    ASSERT_EQ(b.dialogs.calls().size(), 1u);
    EXPECT_EQ(b.dialogs.calls()[0].title, "Real-time priority");
    EXPECT_TRUE(
        b.dialogs.calls()[0].text.startsWith("Real-time priority not granted (no permission)"));
    EXPECT_TRUE(b.dialogs.calls()[0].text.contains("sudo adduser $USER corvane"));
    EXPECT_EQ(sched.policy, SCHED_OTHER);
}

}  // namespace
}  // namespace corvane
