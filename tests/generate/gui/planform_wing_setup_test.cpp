// Form6 as the operator drives it: typed speeds held to the slider's limit, the two modes, the
// constant-chord mirrors with the oversize blank, the planform buttons, and the confirm buttons
// that store the cutting speed and the tower chords (a left panel's root at the right tower).
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "generate/gui/planform_window.h"
#include "generate/gui/wing_setup_window.h"
#include "machine/gui/gui_test_util.h"
#include "machine/workspace.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane {
namespace {

using test::clickToolbar;
using test::control;

struct WingSetupTest : ::testing::Test {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws{"/nonexistent", port, clock};
    ScriptedDialogs dialogs;
    std::unique_ptr<WingSetupWindow> form6;

    void SetUp() override {
        ws.settings.derived.SpeedSliderMax = 500;  // speeds up to 100 mm/s
        form6 = std::make_unique<WingSetupWindow>(ws, dialogs);
        form6->show();
        test::letEventsThrough();
    }
    QLineEdit* box(const char* name) { return control<QLineEdit>(*form6, name); }
    void type(const char* name, const char* text) {
        QLineEdit* b = box(name);
        b->clear();
        QTest::keyClicks(b, text);
    }
    // A radio button takes clicks on its circle and caption only, at the left.
    void choose(const char* option) {
        auto* r = control<QRadioButton>(*form6, option);
        QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2));
    }
    void click(const char* name) {
        QTest::mouseClick(control<QPushButton>(*form6, name), Qt::LeftButton);
    }
};

TEST_F(WingSetupTest, SpeedAboveTheSliderLimitIsReplacedAtOnce) {
    type("Text1", "150");
    EXPECT_EQ(box("Text1")->text(), "100");
    type("Text1", "99.8");
    EXPECT_EQ(box("Text1")->text(), "99.8");
    clickToolbar(*form6, 2);
    type("Text10", "250");
    EXPECT_EQ(box("Text10")->text(), "100");
}

TEST_F(WingSetupTest, TaperedConfirmStoresSpeedAndChordsAndSwapsThemForALeftPanel) {
    type("Text1", "12.5");
    type("Text3", "250");
    type("Text4", "150.25");
    click("Command1");
    EXPECT_FALSE(form6->isVisible());
    EXPECT_EQ(ws.motion.CutSpeed, Fixed4::fromDouble(12.5));
    EXPECT_EQ(ws.job.LeftTowerChord, 250);
    EXPECT_EQ(ws.job.RightTowerChord, 150.25);

    form6->show();
    test::letEventsThrough();
    choose("Option2");
    ASSERT_TRUE(control<QRadioButton>(*form6, "Option2")->isChecked());
    click("Command1");
    EXPECT_EQ(ws.job.LeftTowerChord, 150.25);
    EXPECT_EQ(ws.job.RightTowerChord, 250);
}

TEST_F(WingSetupTest, ModesSwitchFramesButtonsAndOptions) {
    EXPECT_TRUE(control<QWidget>(*form6, "Frame1")->isEnabled());
    EXPECT_FALSE(control<QWidget>(*form6, "Frame2")->isEnabled());
    EXPECT_TRUE(control<QWidget>(*form6, "Command6")->isEnabled());
    EXPECT_TRUE(control<QWidget>(*form6, "Option1")->isVisible());
    EXPECT_TRUE(control<QLabel>(*form6, "Label16")->isVisible());
    EXPECT_EQ(control<QLabel>(*form6, "Label16")->text(), "选择机翼类型");

    clickToolbar(*form6, 2);
    EXPECT_FALSE(control<QWidget>(*form6, "Frame1")->isEnabled());
    EXPECT_FALSE(control<QWidget>(*form6, "Command1")->isEnabled());
    EXPECT_TRUE(control<QWidget>(*form6, "Command2")->isEnabled());
    for (const char* b : {"Command6", "Command7", "Command8", "Command9"})
        EXPECT_FALSE(control<QWidget>(*form6, b)->isEnabled()) << b;
    EXPECT_FALSE(control<QWidget>(*form6, "Frame3")->isVisible());
    EXPECT_FALSE(control<QLabel>(*form6, "Label16")->isVisible());
    EXPECT_TRUE(control<QLabel>(*form6, "Label17")->isVisible());

    // The tapered confirm does nothing while its frame is off (the window still hides).
    ws.job.LeftTowerChord = 7;
    form6->confirmTapered();
    EXPECT_EQ(ws.job.LeftTowerChord, 7);
    EXPECT_FALSE(form6->isVisible());

    form6->show();
    clickToolbar(*form6, 1);
    EXPECT_TRUE(control<QWidget>(*form6, "Frame1")->isEnabled());
    EXPECT_TRUE(control<QWidget>(*form6, "Option2")->isVisible());
    clickToolbar(*form6, 3);
    EXPECT_FALSE(form6->isVisible());
}

TEST_F(WingSetupTest, ConstantChordMirrorsWithAndWithoutTheOversizeBlank) {
    clickToolbar(*form6, 2);
    type("Text12", "180");
    type("Text11", "600");
    EXPECT_EQ(box("Text13")->text(), "180");
    EXPECT_EQ(box("Text14")->text(), "180");
    EXPECT_EQ(box("Text15")->text(), "600");

    ws.settings.fields.oversize_foam = 1;
    ws.settings.derived.BlankDepthMm = Fixed4::fromInt(10);
    ws.settings.derived.BlankWidthMm = Fixed4::fromDouble(25.5);
    type("Text12", "180");
    type("Text11", "600");
    EXPECT_EQ(box("Text13")->text(), "180");
    EXPECT_EQ(box("Text14")->text(), "190");
    EXPECT_EQ(box("Text15")->text(), "625.5");

    type("Text10", "8");
    click("Command2");
    EXPECT_FALSE(form6->isVisible());
    EXPECT_EQ(ws.motion.CutSpeed, Fixed4::fromInt(8));
    EXPECT_EQ(ws.job.LeftTowerChord, 180);
    EXPECT_EQ(ws.job.RightTowerChord, 180);
}

TEST_F(WingSetupTest, PlanformButtonsOpenTheWindowOfTheChosenHalfAndRelabelText2) {
    struct Case {
        const char* button;
        bool left;
        const char* window;
        const char* title;
        const char* label;
    } cases[] = {
        {"Command6", false, "Form7", "Right Hand Swept Wing Setup", "Sweep - degrees"},
        {"Command7", false, "right_taper", "Right Tapered Wing Setup", "Root / Tip Offset"},
        {"Command6", true, "Form8", "Left Hand Swept Wing Setup", "Sweep - degrees"},
        {"Command8", true, "left_TE_taper", "Left Trailing Edge Tapered Setup",
         "Root / Tip Offset"},
        {"Command9", false, "right_LE_taper", "Right Leading EdgeTapered Wing Setup",
         "Root / Tip Offset"},
    };
    for (const Case& c : cases) {
        choose(c.left ? "Option2" : "Option1");
        click(c.button);
        PlanformWindow* w = form6->planformWindow(c.window);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible()) << c.window;
        EXPECT_EQ(w->windowTitle(), c.title);
        EXPECT_EQ(control<QLabel>(*form6, "Label2")->text(), c.label) << c.button;
        w->hide();
    }
    EXPECT_EQ(form6->planformWindow("concentric"), nullptr);
}

TEST_F(WingSetupTest, LeftTaperDoneFillsForm6AndALeftPanelConfirmSwapsTheChords) {
    choose("Option2");
    click("Command7");
    PlanformWindow* w = form6->planformWindow("left_taper");
    ASSERT_TRUE(w && w->isVisible());
    for (auto [name, value] : {std::pair{"Text9", "250"},
                               {"Text10", "150"},
                               {"Text11", "0"},
                               {"Text1", "500"},
                               {"Text14", "800"},
                               {"Text3", "100"}}) {
        QTest::keyClicks(w->box(name), value);
    }
    clickToolbar(*w, 1);
    clickToolbar(*w, 2);
    EXPECT_FALSE(w->isVisible());
    // Span, chords, offset and blank, each from its box of the planform window.
    EXPECT_EQ(box("Text5")->text(), "500");
    EXPECT_EQ(box("Text6")->text(), "250");
    EXPECT_EQ(box("Text7")->text(), "150");
    EXPECT_EQ(box("Text2")->text(), "0");
    EXPECT_EQ(box("Text3")->text(), w->box("Text12")->text());
    EXPECT_EQ(box("Text4")->text(), w->box("Text13")->text());
    EXPECT_EQ(box("Text8")->text(), w->box("Text7")->text());
    EXPECT_EQ(box("Text9")->text(), w->box("Text8")->text());
    const double root = box("Text3")->text().toDouble(), tip = box("Text4")->text().toDouble();
    EXPECT_GT(root, tip);

    click("Command1");
    EXPECT_DOUBLE_EQ(ws.job.LeftTowerChord, tip);
    EXPECT_DOUBLE_EQ(ws.job.RightTowerChord, root);
}

TEST_F(WingSetupTest, PlanformWindowsGoWithTheSetupWindowThatOpenedThem) {
    QWidget frame;
    auto* owned = new WingSetupWindow(ws, dialogs, &frame);
    QPointer<PlanformWindow> taper = owned->planformWindow("left_taper");
    ASSERT_FALSE(taper.isNull());
    EXPECT_EQ(taper->parentWidget(), &frame);
    delete owned;
    EXPECT_TRUE(taper.isNull());
}

}  // namespace
}  // namespace corvane
