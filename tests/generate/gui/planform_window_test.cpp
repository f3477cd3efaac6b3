// The planform windows as the operator drives them: boxes, notes and toolbar, "Calculate"
// filling the red boxes (and leaving those of a failed step), the twin window getting the same
// inputs, "Done" handing over to the setup window (Form12's boxes for the foam windows).
#include "generate/gui/planform_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include "machine/gui/gui_test_util.h"
#include "machine/workspace.h"
#include "platform/gui/placement.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane {
namespace {

using test::clickToolbar;

struct PlanformWindowTest : ::testing::Test {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws{"/nonexistent", port, clock};
    ScriptedDialogs dialogs;

    static void fill(PlanformWindow& w,
                     std::initializer_list<std::pair<const char*, const char*>> values) {
        for (auto [name, text] : values) {
            QLineEdit* b = w.box(name);
            ASSERT_NE(b, nullptr) << name;
            b->clear();
            QTest::keyClicks(b, text);
        }
    }
};

TEST_F(PlanformWindowTest, EveryWindowHasItsBoxesNotesAndToolbar) {
    for (const PlanformWindowInfo& info : planformWindows()) {
        PlanformWindow w(info.name, ws, dialogs);
        EXPECT_EQ(w.objectName().toStdString(), info.name);
        EXPECT_EQ(w.windowTitle().toStdString(), info.title);
        for (const char* name : {"Text1", "Text2", "Text3", "Text6", "Text7", "Text8", "Text9",
                                 "Text10", "Text11", "Text12", "Text13", "Text14"})
            EXPECT_NE(w.box(name), nullptr) << info.name << " " << name;
        for (auto input : info.inputs)
            EXPECT_FALSE(w.box(input)->property("calculated").toBool()) << info.name << input;
        EXPECT_TRUE(w.box("Text12")->property("calculated").toBool());
        EXPECT_EQ(w.toolbar()->buttonCaption(1), "Calculate");
        EXPECT_EQ(w.toolbar()->button(1).toolTip, "Calculate Values");
        EXPECT_EQ(w.toolbar()->buttonCaption(2), "Done");
        auto* notes = w.findChild<QLabel*>("Notes");
        ASSERT_NE(notes, nullptr);
        EXPECT_TRUE(notes->text().contains("3. White boxes require user to enter a value"));
    }
    PlanformWindow concentric("concentric", ws, dialogs);
    EXPECT_EQ(concentric.findChild<QLabel*>("Label_Text12")->text(),
              "Calc. Left Side Horizontal Distance");
    PlanformWindow form7("Form7", ws, dialogs);
    EXPECT_EQ(form7.findChild<QLabel*>("Label_Text11")->text(), "Desired Sweep Angle");
    EXPECT_THROW(PlanformWindow("Form99", ws, dialogs), std::invalid_argument);
}

TEST_F(PlanformWindowTest, CalculateShowsTheWorkedExampleWithTheOversizeBlank) {
    ws.settings.fields.oversize_foam = 1;
    ws.settings.derived.BlankDepthMm = Fixed4::fromInt(10);
    ws.settings.derived.BlankWidthMm = Fixed4::fromInt(20);
    PlanformWindow w("right_taper", ws, dialogs);
    w.show();
    fill(w, {{"Text9", "200"},
             {"Text10", "200"},
             {"Text11", "0"},
             {"Text1", "500"},
             {"Text14", "1000"},
             {"Text3", "250"}});
    clickToolbar(w, 1);
    EXPECT_EQ(w.box("Text2")->text(), "250");
    EXPECT_EQ(w.box("Text12")->text(), "200");
    EXPECT_EQ(w.box("Text13")->text(), "200");
    EXPECT_EQ(w.box("Text7")->text(), "210");
    EXPECT_EQ(w.box("Text8")->text(), "520");
}

TEST_F(PlanformWindowTest, AFailedStepLeavesItsBoxesAsTheyWere) {
    PlanformWindow w("left_LE_taper", ws, dialogs);
    w.box("Text12")->setText("old");
    w.box("Text13")->setText("older");
    fill(
        w,
        {{"Text9", "250"}, {"Text10", "150"}, {"Text1", "0"}, {"Text14", "800"}, {"Text3", "100"}});
    clickToolbar(w, 1);
    EXPECT_EQ(w.box("Text12")->text(), "old");
    EXPECT_EQ(w.box("Text13")->text(), "older");
    EXPECT_EQ(w.box("Text2")->text(), "700");
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(PlanformWindowTest, CalculateCopiesTheInputsIntoTheHiddenTwin) {
    PlanformWindow form7("Form7", ws, dialogs), form8("Form8", ws, dialogs);
    form7.setTwinProvider([&] { return &form8; });
    form7.show();
    form8.show();
    fill(form7, {{"Text9", "250"},
                 {"Text10", "150"},
                 {"Text11", "20"},
                 {"Text1", "600"},
                 {"Text14", "1000"},
                 {"Text2", "100"}});
    clickToolbar(form7, 1);
    EXPECT_FALSE(form8.isVisible());
    for (const char* same : {"Text9", "Text10", "Text11", "Text1", "Text14"})
        EXPECT_EQ(form8.box(same)->text(), form7.box(same)->text()) << same;
    EXPECT_EQ(form8.box("Text3")->text(), "100");  // the gap lands in the twin's own gap box
    EXPECT_EQ(form7.box("Text3")->text(), "214.49");
    // Both hands of the same wing give the same chords.
    clickToolbar(form8, 1);
    EXPECT_EQ(form8.box("Text12")->text(), form7.box("Text12")->text());
    EXPECT_EQ(form8.box("Text13")->text(), form7.box("Text13")->text());
    EXPECT_EQ(form8.box("Text2")->text(), "214.49");
}

TEST_F(PlanformWindowTest, FoamDoneHandsOverToForm12Boxes) {
    QWidget form12;
    for (const char* name :
         {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text11", "Text14"})
        (new QLineEdit(&form12))->setObjectName(name);
    PlanformWindow w("eccentric", ws, dialogs);
    w.setDoneTarget(&form12);
    w.show();
    fill(
        w,
        {{"Text9", "120"}, {"Text10", "80"}, {"Text1", "400"}, {"Text14", "900"}, {"Text3", "50"}});
    clickToolbar(w, 1);
    clickToolbar(w, 2);
    EXPECT_FALSE(w.isVisible());
    auto f12 = [&](const char* name) { return form12.findChild<QLineEdit*>(name)->text(); };
    EXPECT_EQ(f12("Text2"), w.box("Text12")->text());
    EXPECT_EQ(f12("Text3"), w.box("Text13")->text());
    EXPECT_EQ(f12("Text4"), "120");  // from Text6, which holds the left size
    EXPECT_EQ(f12("Text5"), "80");
    EXPECT_EQ(f12("Text6"), "400");
    EXPECT_EQ(f12("Text11"), "40");
    EXPECT_EQ(f12("Text14"), "120");
    EXPECT_EQ(f12("Text1"), "400");
}

TEST_F(PlanformWindowTest, LeftPanelAndSweptWindowsPlaceThemselvesInsideTheMainWindow) {
    QMainWindow frame;
    auto* inner = new QWidget(&frame);
    frame.setCentralWidget(inner);
    frame.resize(1280, 960);  // room for the widest planform window
    frame.show();
    test::letEventsThrough();
    const QPoint expected = inner->mapToGlobal(QPoint(0, 0)) +
                            QPoint(qRound(inner->width() * 0.10), qRound(inner->height() * 0.15));
    for (const char* name : {"left_taper", "left_TE_taper", "left_LE_taper", "Form7", "Form8"}) {
        PlanformWindow w(name, ws, dialogs, &frame);
        w.move(500, 400);
        w.showAndActivate();
        EXPECT_EQ(w.pos(), expected) << name;
    }
    // The others stay where they are, unless that is partly off the screen's room.
    const QRect room = screenRoomOf(frame);
    for (const char* name : {"right_taper", "right_TE_taper", "right_LE_taper", "concentric"}) {
        PlanformWindow w(name, ws, dialogs, &frame);
        w.move(room.topLeft() + QPoint(20, 30));
        w.showAndActivate();
        EXPECT_EQ(w.pos(), room.topLeft() + QPoint(20, 30)) << name;
        PlanformWindow low(name, ws, dialogs, &frame);
        low.move(room.bottomRight() - QPoint(100, 100));
        low.showAndActivate();
        EXPECT_TRUE(room.contains(QRect(low.pos(), low.size().grownBy(frameMarginsOf(low)))))
            << name;
    }
}

// Letters in an entered box are said by the box's name and leave every box as it was; before,
// they were read as 0 and gave a negative chord.
TEST_F(PlanformWindowTest, LettersInAnEnteredBoxAreRefusedByNameAndNothingIsCalculated) {
    for (const char* typed : {"abc", "2OO", "12,5", "--3"}) {
        PlanformWindow w("right_taper", ws, dialogs);
        w.show();
        fill(w, {{"Text9", "200"},
                 {"Text10", typed},
                 {"Text11", "0"},
                 {"Text1", "500"},
                 {"Text14", "1000"},
                 {"Text3", "250"}});
        dialogs.clearCalls();
        dialogs.answerMessage();
        clickToolbar(w, 1);
        ASSERT_EQ(dialogs.messages().size(), 1u) << typed;
        EXPECT_EQ(dialogs.messages()[0].title, "Not a Number");
        EXPECT_TRUE(dialogs.messages()[0].text.startsWith(
            w.findChild<QLabel*>("Label_Text10")->text() + ": \"" + typed + "\" is not a number"))
            << dialogs.messages()[0].text.toStdString();
        EXPECT_EQ(w.box("Text12")->text(), "") << typed;
        EXPECT_EQ(w.box("Text13")->text(), "") << typed;
    }
    // Blanks round a number are no letters.
    PlanformWindow w("right_taper", ws, dialogs);
    fill(w, {{"Text9", " 200"},
             {"Text10", "200 "},
             {"Text11", "0"},
             {"Text1", "500"},
             {"Text14", "1000"},
             {"Text3", "250"}});
    dialogs.clearCalls();
    clickToolbar(w, 1);
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(w.box("Text13")->text(), "200");
}

// A part that does not fit between the towers gives a negative tower chord: Calculate says so,
// and Done hands nothing to the setup window until a calculation comes out buildable.
TEST_F(PlanformWindowTest, ANegativeTowerChordIsSaidAndNotHandedOver) {
    QWidget form12;
    for (const char* name :
         {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text11", "Text14"})
        (new QLineEdit(&form12))->setObjectName(name);
    PlanformWindow w("eccentric", ws, dialogs);
    w.setDoneTarget(&form12);
    w.show();
    fill(
        w,
        {{"Text9", "80"}, {"Text10", "40"}, {"Text1", "300"}, {"Text14", "500"}, {"Text3", "500"}});
    dialogs.answerMessage();
    clickToolbar(w, 1);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "Planform Cannot Be Built");
    EXPECT_TRUE(dialogs.messages()[0].text.contains("-26.67 mm"))
        << dialogs.messages()[0].text.toStdString();
    dialogs.answerMessage();
    clickToolbar(w, 2);
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(form12.findChild<QLineEdit*>("Text2")->text().isEmpty());

    fill(w, {{"Text3", "50"}});
    clickToolbar(w, 1);
    clickToolbar(w, 2);
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(form12.findChild<QLineEdit*>("Text2")->text(), w.box("Text12")->text());
}

}  // namespace
}  // namespace corvane
