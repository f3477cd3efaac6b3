// The wire and the port as the operator meets them in the whole program: Form10's wire button
// always tells the truth about the pin, a settings change never leaves a pin active, and with no
// known port nothing moves, heats or writes, and the program says why.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <map>
#include <random>

#include "machine/gui/device_settings_window.h"
#include "machine/step_output.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_window.h"
#include "shell/gui/main_window.h"
#include "shell_fixture.h"
#include "support/test_support.h"

namespace corvane {
namespace {

const char* const kProfile = "TEST FOIL\r\n1 0\r\n0.5 0.06\r\n0 0\r\n0.5 -0.04\r\n1 0\r\n";

class WireSafetyTest : public ShellTest {
protected:
    // Settings with the wire on `pin` at the given level, at `address`.
    void writeSettings(const char* pin, bool activeLow, const char* address = "378h") {
        std::vector<std::string> v = test::resetDefaultsValues();
        v[7] = "\"158\"";
        v[18] = std::string("\"") + pin + "\"";
        v[19] = std::string("\"") + address + "\"";
        v[20] = activeLow ? "#TRUE#" : "#FALSE#";
        v[21] = activeLow ? "#FALSE#" : "#TRUE#";
        test::writeFile(file("settings.txt"), test::settingsLine(v));
    }
    // A four-segment working set whose drawings load without a message.
    void writeWorkingSet() {
        test::writeFile(file("left.dat"), kProfile);
        test::writeFile(file("right.dat"), kProfile);
        test::writeFile(file("datinfo.ct3"), "\"" + file("left.dat").string() + "\",\"" +
                                                 file("right.dat").string() +
                                                 "\",200,200,\"0\",\"0\",\"0\",\"0\"\r\n");
        test::writeFile(file("cut.ct1"), "3\r\n3\r\n48\r\n12\r\n192\r\n51\r\n");
        test::writeFile(file("cut_cnt.ct2"), "2\r\n3\r\n5\r\n6\r\n");
    }
    CutWindow& form10() {
        auto* w = qobject_cast<CutWindow*>(frame().windows().show("Form10"));
        EXPECT_NE(w, nullptr);
        return *w;
    }
    DeviceSettingsWindow& form9() { return *frame().windows().load<DeviceSettingsWindow>("Form9"); }
    // Done with a new wire pin and level, as typed into Form9.
    void applyWire(const QString& pin, bool activeLow) {
        DeviceSettingsWindow& w = form9();
        w.findChild<QComboBox*>("enable")->setEditText(pin);
        w.findChild<QRadioButton*>(activeLow ? "active_low" : "active_high")->setChecked(true);
        ASSERT_TRUE(w.done());
    }
    void pressWire(CutWindow& w) { emit w.toolbar().buttonClicked(3); }
    bool captionSaysOn(CutWindow& w) {
        return w.toolbar().buttonCaption(3) == CutWindow::wireOnCaption();
    }
    // Whether the wire pin of the settings in force is at its active level (false for none).
    bool pinActive() { return pinActiveFor(ws_->settings.fields); }
    bool pinActiveFor(const SettingsFields& f) {
        static const std::map<std::string, std::pair<int, bool>> pins = {{"Pin 1", {0, true}},
                                                                         {"Pin 14", {1, true}},
                                                                         {"Pin 16", {2, false}},
                                                                         {"Pin 17", {3, true}}};
        auto it = pins.find(f.enable);
        if (it == pins.end() || (!f.active_low && !f.active_high)) return false;
        const bool set = (port_.reg(890) >> it->second.first) & 1;
        const bool lineHigh = set != it->second.second;
        return f.active_low ? !lineHigh : lineHigh;
    }
};

// Seen on the simulated port with pin 1 active low: press (on), Done (off, caption still on),
// press again: caption off, pin on.
TEST_F(WireSafetyTest, TheWireButtonCaptionFollowsASettingsApplyAndThePressAfterItSwitchesOn) {
    writeSettings("Pin 1", true);
    writeWorkingSet();
    startedFrame();
    CutWindow& w = form10();
    pressWire(w);
    ASSERT_TRUE(captionSaysOn(w));
    ASSERT_TRUE(pinActive());
    ASSERT_TRUE(form9().done());
    EXPECT_FALSE(pinActive());
    EXPECT_FALSE(captionSaysOn(w));
    EXPECT_EQ(w.toolbar().buttonCaption(3), CutWindow::wireOffCaption());
    pressWire(w);
    EXPECT_TRUE(captionSaysOn(w));
    EXPECT_TRUE(pinActive());
    pressWire(w);
    EXPECT_FALSE(captionSaysOn(w));
    EXPECT_FALSE(pinActive());
    EXPECT_EQ(
        port_.operations().end(),
        std::find_if(port_.operations().begin(), port_.operations().end(),
                     [](const PortOperation& op) { return op.kind == PortOperation::Kind::Not; }));
}

TEST_F(WireSafetyTest, DoneFromPin16ActiveLowToPin1DrivesPin16InactiveFirstAndPin1EndsInactive) {
    writeSettings("Pin 16", true);
    writeWorkingSet();
    startedFrame();
    CutWindow& w = form10();
    pressWire(w);
    ASSERT_FALSE(port_.reg(890) & 4);  // pin 16 active low: bit clear is on
    port_.clearOperations();
    applyWire("Pin 1", true);
    std::vector<std::pair<PortOperation::Kind, int>> wireOps;
    for (const PortOperation& op : port_.operations())
        if (op.port == 890) wireOps.push_back({op.kind, op.value});
    ASSERT_GE(wireOps.size(), 2u);
    EXPECT_EQ(wireOps.front(), std::make_pair(PortOperation::Kind::Set, 2));  // pin 16 off
    EXPECT_EQ(wireOps.back(), std::make_pair(PortOperation::Kind::Clr, 0));   // pin 1 off
    EXPECT_TRUE(port_.reg(890) & 4);
    EXPECT_FALSE(port_.reg(890) & 1);
    EXPECT_FALSE(captionSaysOn(w));
}

TEST_F(WireSafetyTest, WithNoKnownPortTheIndicatorExplainsAndNothingMovesOrHeats) {
    writeSettings("Pin 1", true, "0x378");
    writeWorkingSet();
    startedFrame();
    ASSERT_FALSE(ws_->portKnown());
    auto* label = frame().findChild<QLabel*>("PortBackend");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().contains("NO PORT SET"));
    EXPECT_EQ(label->toolTip().toStdString(), ws_->portRefusal());
    EXPECT_TRUE(label->toolTip().contains("0x378"));

    port_.clearOperations();
    CutWindow& w = form10();
    for (int button : {3, 1}) {
        dialogs_.answerMessage();
        emit w.toolbar().buttonClicked(button);
        ASSERT_EQ(dialogs_.messages().size(), 1u) << button;
        EXPECT_EQ(dialogs_.messages()[0].title, Workspace::kNoPortTitle);
        EXPECT_EQ(dialogs_.messages()[0].text.toStdString(), ws_->portRefusal());
        dialogs_.clearCalls();
    }
    EXPECT_FALSE(captionSaysOn(w));
    auto* jog = frame().windows().show("Form3");
    ASSERT_NE(jog, nullptr);
    dialogs_.answerMessage();
    jog->findChild<QPushButton*>("Command3")->click();
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, Workspace::kNoPortTitle);
    trigger("exit");
    for (const PortOperation& op : port_.operations())
        EXPECT_TRUE(op.kind == PortOperation::Kind::Get || op.kind == PortOperation::Kind::In)
            << "a write at " << op.port;
}

// Random settings applies, wire presses, window close and reopen, cuts with a press or a Stop
// in the middle, and exit: after every step the caption tells the pin's level under the
// settings in force, a changed pin is left inactive, and after close and exit the pin is off.
TEST_F(WireSafetyTest, PropertyTheCaptionAlwaysAgreesWithThePinAndCloseAndExitLeaveItOff) {
    const char* const pins[] = {"Pin 1", "Pin 14", "Pin 16", "Pin 17", "Not Used"};
    writeWorkingSet();
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        writeSettings(pins[pick(4)], pick(2) == 0);
        port_.setReg(890, static_cast<uint8_t>(pick(16)));  // whatever the port held
        ws_->yield = [] { QApplication::processEvents(); };
        startedFrame();
        CutWindow* w = &form10();
        auto check = [&](const std::string& step) {
            ASSERT_EQ(captionSaysOn(*w), pinActive()) << "seed " << seed << " after " << step;
            ASSERT_EQ(ws_->wire.on(), pinActive()) << "seed " << seed << " after " << step;
        };
        check("start-up");
        for (int step = 0; step < 40; ++step) {
            switch (pick(6)) {
                case 0: {
                    const SettingsFields before = ws_->settings.fields;
                    applyWire(pins[pick(5)], pick(2) == 0);
                    check("apply");
                    if (before.enable != ws_->settings.fields.enable) {
                        ASSERT_FALSE(pinActiveFor(before)) << "seed " << seed << " old pin";
                    }
                    break;
                }
                case 1:
                case 2:
                    pressWire(*w);
                    check("press");
                    break;
                case 3:
                    w->close();
                    ASSERT_FALSE(pinActive()) << "seed " << seed << " after close";
                    w = &form10();
                    check("reopen");
                    break;
                default: {
                    // A cut with a press (or a Stop) nested between two of its ticks.
                    const int at = pick(6);
                    const bool stop = pick(3) == 0;
                    int writes = 0;
                    port_.setObserver([&](const PortOperation& op) {
                        if (op.kind != PortOperation::Kind::Out || writes++ != at) return;
                        QMetaObject::invokeMethod(
                            &w->toolbar(),
                            [w, stop] { emit w->toolbar().buttonClicked(stop ? 2 : 3); },
                            Qt::QueuedConnection);
                    });
                    emit w->toolbar().buttonClicked(1);
                    port_.setObserver({});
                    ASSERT_TRUE(w->lastOutcome());
                    ASSERT_NE(w->lastOutcome()->end, CutEnd::Failed);
                    check("cut");
                    break;
                }
            }
        }
        trigger("exit");
        ASSERT_FALSE(pinActive()) << "seed " << seed << " after exit";
        frame_.reset();
        ws_ = std::make_unique<Workspace>(folder_, port_, clock_);
    }
    EXPECT_TRUE(dialogs_.messages().empty());
}

}  // namespace
}  // namespace corvane
