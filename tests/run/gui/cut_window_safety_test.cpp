// The cut windows' safety under the operator's hand: the speed slider's slowest position is a
// speed a cut runs at, a resume at 0 mm/s is refused before the wire heats, and a cut that fails
// leaves no wire on, switched off before the error report waits for the operator.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "run/gui/cut_window_bench.h"
#include "run/gui/resume_offer.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::u;
using test::WindowBench;

TEST(CutWindowSpeed, TheSliderAtItsLeftEndStillCutsAtARealSpeedInBothWindows) {
    for (const CutWindowVariant* variant : {&CutWindowVariant::wing(), &CutWindowVariant::foam()}) {
        WindowBench b;
        b.ws.motion.CutSpeed = Fixed4{};  // a 0 typed in a setup box
        CutWindow& w = b.open(*variant);
        QSlider& slider = b.child<QSlider>("Slider1");
        EXPECT_GT(b.ws.motion.CutSpeed, Fixed4{}) << variant->objectName;
        slider.setValue(10);
        slider.setFocus();
        QTest::keyClick(&slider, Qt::Key_Home);  // the operator's way to the slowest speed
        EXPECT_EQ(b.ws.motion.CutSpeed, Fixed4::fromDouble(0.2)) << variant->objectName;
        EXPECT_EQ(b.child<QLabel>("Label4").text(), "0.2");
        b.clickButton(1);
        ASSERT_TRUE(w.lastOutcome());
        EXPECT_EQ(w.lastOutcome()->end, CutEnd::Completed) << variant->objectName;
        EXPECT_EQ(b.dataWrites().size(), 6u);
        EXPECT_TRUE(b.dialogs.calls().empty()) << b.dialogs.messageTexts().join("|").toStdString();
    }
}

TEST(CutWindowSpeed, ResumeAndBeginCutAtZeroAreRefusedBeforeTheWireHeats) {
    WindowBench b;
    CutWindow& w = b.open();
    int writes = 0;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out && op.port == 888 && ++writes == 3)
            QTimer::singleShot(0, &w, [&b] { b.clickButton(2); });
    });
    b.clickButton(1);
    b.port.setObserver({});
    ASSERT_EQ(w.lastOutcome()->end, CutEnd::Stopped);
    ASSERT_TRUE(b.child<ResumeOffer>("resumeOffer").isVisible());

    // A setup box stored 0 since: neither Resume nor Begin Cut heats or moves anything.
    b.ws.motion.CutSpeed = Fixed4{};
    b.child<QSpinBox>("resumeHeat").setValue(5);
    b.port.clearOperations();
    b.dialogs.answerMessage().answerMessage();
    b.child<QPushButton>("resumeButton").click();
    b.clickButton(1);
    ASSERT_EQ(b.dialogs.messages().size(), 2u);
    for (const DialogCall& call : b.dialogs.messages()) {
        EXPECT_EQ(call.title, "Cutting Speed");
        EXPECT_TRUE(call.text.startsWith("The cutting speed is 0 mm/s")) << call.text.toStdString();
    }
    EXPECT_TRUE(b.port.operations().empty());
    EXPECT_FALSE(b.wireBitSet());
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Stopped);  // no cut ran
}

// A count file reaching beyond the profile fails the cut after five ticks.
TEST(CutWindowSpeed, AFailedCutSwitchesTheWireOffBeforeItsReportHoweverItWasSwitchedOn) {
    for (const bool onBeforeBeginCut : {false, true}) {
        WindowBench b;
        b.writeSet({1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6});
        CutWindow& w = b.open();
        if (onBeforeBeginCut) b.clickButton(3);
        int writes = 0;
        std::optional<size_t> reportsAtWireOff;
        b.port.setObserver([&](const PortOperation& op) {
            if (op.kind == PortOperation::Kind::Out && op.port == 888 && ++writes == 2 &&
                !onBeforeBeginCut)
                QTimer::singleShot(0, &w, [&b] { b.clickButton(3); });  // on during the cut
            if (op.kind == PortOperation::Kind::Clr && op.port == 890)
                reportsAtWireOff = b.dialogs.messages().size();
        });
        b.dialogs.answerMessage();
        b.clickButton(1);
        b.port.setObserver({});
        ASSERT_EQ(w.lastOutcome()->end, CutEnd::Failed);
        ASSERT_EQ(b.dialogs.messages().size(), 1u);
        EXPECT_TRUE(b.dialogs.messages()[0].text.endsWith("Module 10, BC"));
        EXPECT_FALSE(b.wireBitSet()) << onBeforeBeginCut;
        ASSERT_TRUE(reportsAtWireOff) << onBeforeBeginCut;
        EXPECT_EQ(*reportsAtWireOff, 0u) << "the wire went off only after the report";
        EXPECT_EQ(w.toolbar().buttonCaption(3), test::u("电热丝断电"));
    }
}

// The foam window opened while the wing window cuts: the record is the running cut's, so the
// foam window offers no Resume of it; once the cut has stopped, its offer is the real one.
TEST(CutWindowResume, TheOtherCutWindowOffersNoResumeOfACutStillRunning) {
    WindowBench b;
    CutWindow& wing = b.open();
    CutWindow foam(b.ws, b.dialogs, nullptr, CutWindowVariant::foam());
    QString stateDuringCut;
    bool enabledDuringCut = true;
    int writes = 0;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind != PortOperation::Kind::Out || op.port != 888) return;
        if (++writes == 3)
            QTimer::singleShot(0, &foam, [&] {
                foam.show();
                foam.activate();
                stateDuringCut = foam.findChild<QLabel*>("resumeState")->text();
                enabledDuringCut = foam.findChild<QPushButton*>("resumeButton")->isEnabled();
                b.clickButton(2);  // Stop in the wing window
            });
    });
    b.clickButton(1);
    b.port.setObserver({});
    ASSERT_EQ(wing.lastOutcome()->end, CutEnd::Stopped);
    EXPECT_FALSE(stateDuringCut.startsWith("Stopped at tick")) << stateDuringCut.toStdString();
    EXPECT_TRUE(stateDuringCut.contains(u("机翼切割 - 切割进度信息")))
        << stateDuringCut.toStdString();
    EXPECT_FALSE(enabledDuringCut);
    // Stopped, the cut is one to resume, in either window.
    EXPECT_TRUE(b.child<QLabel>("resumeState").text().startsWith("Stopped at tick"));
    foam.activate();
    EXPECT_TRUE(foam.findChild<QLabel*>("resumeState")->text().startsWith("Stopped at tick"));
    EXPECT_TRUE(foam.findChild<QPushButton*>("resumeButton")->isEnabled());
}

// The keys an operator holding foam reaches: Escape (wherever the focus is in the window) and
// Space on the slider stop a running cut between two ticks, as Stop does.
TEST(CutWindowKeys, EscapeAndSpaceOnTheSliderStopARunningCut) {
    const struct {
        Qt::Key key;
        const char* focus;
    } cases[] = {
        {Qt::Key_Escape, "Slider1"}, {Qt::Key_Escape, "Text1"}, {Qt::Key_Space, "Slider1"}};
    for (const auto& c : cases) {
        WindowBench b;
        CutWindow& w = b.open();
        int writes = 0;
        b.port.setObserver([&](const PortOperation& op) {
            if (op.kind == PortOperation::Kind::Out && op.port == 888 && ++writes == 2)
                QTimer::singleShot(0, &w, [&] {
                    QWidget& target = b.child<QWidget>(c.focus);
                    QTest::keyClick(&target, c.key);
                });
        });
        b.clickButton(1);
        b.port.setObserver({});
        ASSERT_TRUE(w.lastOutcome());
        EXPECT_EQ(w.lastOutcome()->end, CutEnd::Stopped) << c.key << " on " << c.focus;
        EXPECT_EQ(writes, 2) << c.key << " on " << c.focus;
    }
    // Not cutting, Space on the slider and Escape do nothing.
    WindowBench b;
    CutWindow& w = b.open();
    QTest::keyClick(&b.child<QSlider>("Slider1"), Qt::Key_Space);
    QTest::keyClick(&b.child<QSlider>("Slider1"), Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.lastOutcome());
}

// During the lead-in no segment is marked and the percentage stands at 0: status panel 2 says
// "Lead-in" from Begin Cut to the set's first tick, and nothing after it.
TEST(CutWindowStatus, TheLeadInIsSaidInTheStatusUntilTheSetsFirstTick) {
    WindowBench b;
    b.ws.settings.fields.lead_in = 1;
    b.ws.settings.fields.horizontal = true;
    b.ws.settings.derived.LeadInMm = Fixed4::fromDouble(0.0190);  // 158 x 0.019 -> 3 ticks
    std::string panel2 = "before";
    b.ws.showStatus = [&](int panel, const std::string& text) {
        if (panel == 2) panel2 = text;
    };
    CutWindow& w = b.open();
    std::vector<std::string> atWrite;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind != PortOperation::Kind::Out || op.port != 888) return;
        atWrite.push_back(panel2);
        b.clock.advance(50'000'000);  // 50 ms a tick: the texts reach the screen every tick
    });
    b.clickButton(1);
    b.port.setObserver({});
    ASSERT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    ASSERT_EQ(atWrite.size(), 3u + 6u + 3u);
    // The set's first write may come before or after its tick is counted: it is left out.
    for (size_t i = 0; i < atWrite.size(); ++i)
        if (i != 3) {
            EXPECT_EQ(atWrite[i], i < 3 ? "Lead-in" : "") << "write " << i;
        }
    EXPECT_EQ(panel2, "");
}

// After a cut the speed-error figures stand in the top row: however long, they take the room
// that is left and never squeeze the speed frame, whose caption would then cover the slider.
TEST(CutWindowLayout, TheSpeedErrorTextNeverSqueezesTheSpeedFrame) {
    WindowBench b;
    CutWindow& w = b.open();
    w.resize(1000, 700);
    b.clickButton(1);
    ASSERT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    QLabel& error = b.child<QLabel>("speedErrorLabel");
    EXPECT_FALSE(error.text().isEmpty());
    error.setText(error.text() + QString(" and more").repeated(20));
    w.resize(1001, 700);  // lays the row out again
    QApplication::processEvents();
    auto* speedFrame = qobject_cast<QGroupBox*>(b.child<QSlider>("Slider1").parentWidget());
    ASSERT_NE(speedFrame, nullptr);
    EXPECT_GE(speedFrame->width(), speedFrame->sizeHint().width());
    EXPECT_GE(b.child<QSlider>("Slider1").width(), 160);
    EXPECT_LE(error.geometry().right(), w.width());
}

}  // namespace
}  // namespace corvane
