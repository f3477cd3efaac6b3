// Form12 as the operator drives it: the non-tapered questions with their repeated "Invalid
// entry" messages and the oversize blank, the speed limit, the planform windows' hand-over, and
// the confirm button that stores the cutting speed and the two horizontal sizes.
#include "generate/gui/foam_setup_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "generate/gui/planform_window.h"
#include "machine/gui/gui_test_util.h"
#include "machine/workspace.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane {
namespace {

using test::clickToolbar;

const QString kInvalidSize = "Invalid entry, Horizontal size must be a number greater than 0";
const QString kInvalidSpan = "Invalid entry, Part span size must be a number greater than 0";

struct FoamSetupTest : ::testing::Test {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws{"/nonexistent", port, clock};
    ScriptedDialogs dialogs;
    std::unique_ptr<FoamSetupWindow> form12;

    void SetUp() override {
        ws.settings.derived.SpeedSliderMax = 500;  // speeds up to 100 mm/s
        ws.settings.fields.oversize_foam = 1;
        ws.settings.derived.BlankDepthMm = Fixed4::fromInt(10);
        ws.settings.derived.BlankWidthMm = Fixed4::fromInt(20);
        form12 = std::make_unique<FoamSetupWindow>(ws, dialogs);
        form12->show();
        test::letEventsThrough();
    }
    QString box(int n) { return form12->text(n)->text(); }
};

TEST_F(FoamSetupTest, ShowsItsBoxesToolbarAndNotes) {
    EXPECT_EQ(form12->objectName(), "Form12");
    EXPECT_EQ(form12->windowTitle(), "泡沫切割 - 设置信息");
    const std::pair<int, const char*> labels[] = {
        {10, "切割速度 - 毫米/秒"},
        {11, "Offset  - mm"},
        {2, "X1 Calculated Horizontal Distance of Shape  - mm"},
        {3, "X2 Calculated Horizontal Distance of Shape  - mm"},
        {4, "X1 Desired Horizontal Distance of Shape  - mm"},
        {5, "X2 Desired Horizontal Distance of Shape  - mm"},
        {6, "Desired Part Span  - mm"},
        {14, "Foam Blank Depth"},
        {1, "Foam Blank Width"}};
    for (const auto& [n, text] : labels) {
        auto* label = form12->findChild<QLabel*>(QStringLiteral("Label%1").arg(n));
        ASSERT_NE(label, nullptr) << n;
        EXPECT_EQ(label->text(), QString::fromUtf8(text));
        EXPECT_EQ(label->buddy(), form12->text(n));
    }
    QStringList texts;
    for (QLabel* l : form12->findChildren<QLabel*>()) texts << l->text();
    EXPECT_TRUE(texts.contains("红色方框内为计算结果"));
    EXPECT_TRUE(texts.contains("2. White boxes require user to enter a value"));
    EXPECT_EQ(form12->findChild<QPushButton*>("Command2")->text(), "设置完成");
    Toolbar& bar = *form12->toolbar();
    const char* captions[4] = {"Concentric Cut", "Eccentric Cut", "Non-tapered Cut", "Done"};
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(bar.buttonCaption(i), captions[i - 1]);
    EXPECT_EQ(bar.button(1).toolTip, "Setup Concentric Cut");
    EXPECT_EQ(bar.button(2).toolTip, "Setup Eccentric Cut");
    clickToolbar(*form12, 4);
    EXPECT_FALSE(form12->isVisible());
}

TEST_F(FoamSetupTest, NonTaperedCutFillsTheSizesSpanAndOversizeBlank) {
    form12->text(11)->setText("7");
    dialogs.answerInput("120").answerInput("300");
    clickToolbar(*form12, 3);
    ASSERT_EQ(dialogs.calls().size(), 2u);
    EXPECT_EQ(dialogs.calls()[0].title, "Horizontal Cut Distance");
    EXPECT_EQ(dialogs.calls()[0].text, "Enter the desired horizontal cut distance.");
    EXPECT_EQ(dialogs.calls()[0].defaultText, "1");
    EXPECT_EQ(dialogs.calls()[1].title, "Part Span");
    EXPECT_EQ(dialogs.calls()[1].text, "Enter the desired span of the part.");
    for (int n : {2, 3, 4, 5}) EXPECT_EQ(box(n), "120") << n;
    EXPECT_EQ(box(6), "300");
    EXPECT_EQ(box(14), "130");
    EXPECT_EQ(box(1), "320");
    EXPECT_EQ(box(11), "0");

    // Without the oversize blank the blank is the shape; values show two decimals.
    ws.settings.fields.oversize_foam = 0;
    dialogs.clearCalls();
    dialogs.answerInput("80.126").answerInput("250");
    clickToolbar(*form12, 3);
    EXPECT_EQ(box(2), "80.13");
    EXPECT_EQ(box(14), "80.13");
    EXPECT_EQ(box(1), "250");
}

TEST_F(FoamSetupTest, InvalidAnswersRepeatTheQuestionAndEmptyOrCancelEndsIt) {
    // Text after the number ("300mm", "12abc") or a size no field can hold is not a number
    // greater than 0 either.
    dialogs.answerInput("abc").answerMessage().answerInput("0").answerMessage();
    dialogs.answerInput("-5").answerMessage().answerInput("12abc").answerMessage();
    dialogs.answerInput("1e300").answerMessage().answerInput(" 80 ");
    dialogs.answerInput("x").answerMessage().answerInput("300mm").answerMessage();
    dialogs.answerInput("200");
    clickToolbar(*form12, 3);
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{kInvalidSize, kInvalidSize, kInvalidSize, kInvalidSize, kInvalidSize,
                           kInvalidSpan, kInvalidSpan}));
    EXPECT_EQ(box(2), "80");
    EXPECT_EQ(box(6), "200");

    // An empty first answer or a cancelled second one changes nothing beyond the offset.
    form12->text(11)->setText("5");
    dialogs.clearCalls();
    dialogs.answerInput("");
    clickToolbar(*form12, 3);
    EXPECT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(box(11), "0");
    dialogs.answerInput("60").answerInput(std::nullopt);
    clickToolbar(*form12, 3);
    EXPECT_EQ(box(2), "80");
}

TEST_F(FoamSetupTest, SpeedLimitAndConfirmStoreSpeedAndSizes) {
    QLineEdit* speed = form12->text(10);
    speed->clear();
    QTest::keyClicks(speed, "150");
    EXPECT_EQ(speed->text(), "100");
    speed->setText("12.5");
    form12->text(2)->setText("140.12345");
    form12->text(3)->setText("90");
    QTest::mouseClick(form12->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    EXPECT_FALSE(form12->isVisible());
    EXPECT_EQ(ws.motion.CutSpeed, Fixed4::fromDouble(12.5));
    EXPECT_DOUBLE_EQ(ws.job.LeftTowerChord, 140.1234);  // four decimals, half to even
    EXPECT_DOUBLE_EQ(ws.job.RightTowerChord, 90.0);
}

TEST_F(FoamSetupTest, ConcentricAndEccentricHandTheirResultsToThisWindow) {
    clickToolbar(*form12, 2);
    PlanformWindow* eccentric = form12->planformWindow("eccentric");
    ASSERT_NE(eccentric, nullptr);
    EXPECT_TRUE(eccentric->isVisible());
    EXPECT_EQ(form12->planformWindow("left_taper"), nullptr);
    for (auto [name, value] : {std::pair{"Text9", "120"},
                               {"Text10", "80"},
                               {"Text1", "400"},
                               {"Text14", "900"},
                               {"Text3", "50"}})
        eccentric->box(name)->setText(value);
    eccentric->calculate();
    eccentric->done();
    EXPECT_EQ(box(2), eccentric->box("Text12")->text());
    EXPECT_EQ(box(4), "120");
    EXPECT_EQ(box(6), "400");
    EXPECT_EQ(box(11), "40");

    clickToolbar(*form12, 1);
    PlanformWindow* concentric = form12->planformWindow("concentric");
    ASSERT_NE(concentric, nullptr);
    EXPECT_TRUE(concentric->isVisible());
    EXPECT_EQ(concentric, form12->planformWindow("concentric"));  // one window, reused
}

}  // namespace
}  // namespace corvane
