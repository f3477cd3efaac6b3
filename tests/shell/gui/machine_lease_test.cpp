// One owner of the machine across windows: while one window cuts, a second Begin Cut, another
// window's wire press or close, Device Settings Done and a settings reload are refused or leave
// the machine alone, and a reload of a damaged file keeps the wire pin and level in force.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QRadioButton>

#include "machine/gui/device_settings_window.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_window.h"
#include "shell_fixture.h"
#include "support/test_support.h"
#include "troubleshoot/gui/port_troubleshooter_window.h"
#include "wire_fixture.h"

namespace corvane {
namespace {

class MachineLeaseTest : public WireFixture {
protected:
    // Runs `action` between two ticks of the cut `w` starts (after its `at`-th data write).
    void cutWith(CutWindow& w, int at, std::function<void()> action) {
        nestAt(at, std::move(action));
        emit w.toolbar().buttonClicked(1);
        port_.setObserver({});
    }
};

TEST_F(MachineLeaseTest, ASecondBeginCutIsRefusedNamingTheWindowThatCuts) {
    writeSettings("Pin 1", true);
    writeWorkingSet();
    startedFrame();
    CutWindow& wing = cutWindow("Form10");
    CutWindow& foam = cutWindow("Form11");
    port_.clearOperations();
    cutWith(foam, 2, [&] {
        dialogs_.answerMessage();
        wing.toolbar().click(1);
    });
    ASSERT_TRUE(foam.lastOutcome());
    EXPECT_EQ(foam.lastOutcome()->end, CutEnd::Completed);
    EXPECT_FALSE(wing.lastOutcome()) << "a second cut ran inside the first";
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, kMachineBusyTitle);
    EXPECT_TRUE(dialogs_.messages()[0].text.contains(foam.windowTitle()));
    EXPECT_EQ(dataWrites(), 6);  // one set's ticks, not two
    EXPECT_FALSE(ws_->lease.held());

    // Free again, the other window cuts.
    dialogs_.clearCalls();
    emit wing.toolbar().buttonClicked(1);
    ASSERT_TRUE(wing.lastOutcome());
    EXPECT_EQ(wing.lastOutcome()->end, CutEnd::Completed);
}

TEST_F(MachineLeaseTest, AnIdleWindowClosingOrPressingTheWireLeavesTheCutsWireOn) {
    writeSettings("Pin 16", false);
    writeWorkingSet();
    startedFrame();
    CutWindow& wing = cutWindow("Form10");
    CutWindow& foam = cutWindow("Form11");
    pressWire(foam);
    ASSERT_TRUE(pinActive());
    cutWith(foam, 1, [&] {
        dialogs_.answerMessage();
        pressWire(wing);  // refused: the wire belongs to the cut
        wing.close();
    });
    ASSERT_TRUE(foam.lastOutcome());
    EXPECT_EQ(foam.lastOutcome()->end, CutEnd::Completed);
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, kMachineBusyTitle);
    EXPECT_TRUE(pinActive()) << "the cut went on cold";
    EXPECT_TRUE(ws_->wire.on());
    EXPECT_TRUE(captionSaysOn(foam));
    // With the machine free, closing the window that switched it on switches it off.
    foam.close();
    EXPECT_FALSE(pinActive());
}

TEST_F(MachineLeaseTest, DoneAndAReloadDuringACutAreRefusedAndTheEditsStay) {
    writeSettings("Pin 1", true);
    writeWorkingSet();
    startedFrame();
    CutWindow& foam = cutWindow("Form11");
    DeviceSettingsWindow& form9 = settingsWindow();
    form9.showAndActivate();
    pressWire(foam);
    const std::string fileBefore = test::readFile(file("settings.txt"));
    const std::string inForce = ws_->settings.fileLine();
    port_.clearOperations();
    bool doneResult = true, reloadResult = true;
    cutWith(foam, 2, [&] {
        form9.findChild<QComboBox*>("enable")->setEditText("Pin 17");
        form9.findChild<QComboBox*>("port_address")->setEditText("278h");
        form9.findChild<QRadioButton*>("active_high")->setChecked(true);
        dialogs_.answerMessage();
        doneResult = form9.done();
        // A reload: the window closed and opened again reads settings.txt.
        test::writeFile(file("settings.txt"), lineWith("Pin 14", false, "3BCh"));
        form9.close();
        dialogs_.answerMessage();
        reloadResult = form9.loadSettings();
    });
    EXPECT_FALSE(doneResult);
    EXPECT_FALSE(reloadResult);
    ASSERT_EQ(dialogs_.messages().size(), 2u);
    for (const DialogCall& m : dialogs_.messages()) {
        EXPECT_EQ(m.title, kMachineBusyTitle);
        EXPECT_TRUE(m.text.contains(foam.windowTitle())) << m.text.toStdString();
    }
    EXPECT_EQ(ws_->settings.fileLine(), inForce);
    EXPECT_EQ(ws_->settings.derived.DataPort, 0x378);
    EXPECT_TRUE(pinActive());
    EXPECT_TRUE(captionSaysOn(foam));
    for (const PortOperation& op : port_.operations()) {
        if (op.kind != PortOperation::Kind::Get && op.kind != PortOperation::Kind::In) {
            EXPECT_TRUE(op.port == 0x378 || op.port == 0x37A) << "a write to " << op.port;
        }
    }
    ASSERT_TRUE(foam.lastOutcome());
    EXPECT_EQ(foam.lastOutcome()->end, CutEnd::Completed);
    // Done was refused before the file was written; the reload's file is the test's own.
    EXPECT_NE(test::readFile(file("settings.txt")), fileBefore);
    test::writeFile(file("settings.txt"), fileBefore);

    // The edits of the refused Done stay in the window and go in once the machine is free.
    form9.showAndActivate();
    form9.findChild<QComboBox*>("enable")->setEditText("Pin 17");
    form9.findChild<QComboBox*>("port_address")->setEditText("278h");
    cutWith(foam, 1, [&] {
        dialogs_.answerMessage();
        EXPECT_FALSE(form9.done());
    });
    EXPECT_EQ(form9.edits().enable, "Pin 17");
    EXPECT_EQ(form9.edits().port_address, "278h");
    dialogs_.clearCalls();
    ASSERT_TRUE(form9.done());
    EXPECT_EQ(ws_->settings.derived.DataPort, 0x278);
    EXPECT_EQ(ws_->settings.fields.enable, "Pin 17");
}

TEST_F(MachineLeaseTest, AReloadWithABadField25KeepsTheWirePinAndLevelInForce) {
    writeSettings("Pin 1", true);
    writeWorkingSet();
    startedFrame();
    CutWindow& wing = cutWindow("Form10");
    DeviceSettingsWindow& form9 = settingsWindow();
    std::vector<std::string> v = valuesWith("Pin 17", false, "378h");
    v[24] = "\"bad\"";  // field 25, reverseY1
    test::writeFile(file("settings.txt"), test::settingsLine(v));
    dialogs_.answerMessage();
    EXPECT_FALSE(form9.loadSettings());
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_TRUE(dialogs_.messages()[0].text.contains("field 25 (reverseY1)"))
        << dialogs_.messages()[0].text.toStdString();
    EXPECT_EQ(ws_->settings.fields.enable, "Pin 1");
    EXPECT_TRUE(ws_->settings.fields.active_low);
    EXPECT_EQ(ws_->settings.derived.wire, (WirePin{true, 0, true}));
    port_.clearOperations();
    pressWire(wing);
    EXPECT_TRUE(captionSaysOn(wing));
    EXPECT_TRUE(pinActive());
    for (const PortOperation& op : port_.operations()) {
        if (op.kind == PortOperation::Kind::Set || op.kind == PortOperation::Kind::Clr) {
            EXPECT_EQ(op.value, 0) << "a bit other than pin 1's";
        }
    }
    pressWire(wing);
    EXPECT_FALSE(pinActive());
}

TEST_F(MachineLeaseTest, TheTroubleshooterStepsAloneAndDoneWaitsForItsStop) {
    writeSettings("Pin 1", true);
    for (const char* page : {"startppt.rtf", "xforwardppt.rtf"})
        std::filesystem::copy_file(std::filesystem::path(CORVANE_RESOURCES) / page, file(page));
    writeWorkingSet();
    startedFrame();
    CutWindow& wing = cutWindow("Form10");
    DeviceSettingsWindow& form9 = settingsWindow();
    trigger("OpenMonitor");
    auto* monitor = qobject_cast<PortTroubleshooterWindow*>(frame().windows().loaded("ppMonitor"));
    ASSERT_NE(monitor, nullptr);
    form9.findChild<QComboBox*>("x1_step")->setEditText("Pin 9");
    form9.findChild<QComboBox*>("y2_step")->setEditText("Pin 3");
    nestAt(2, [&] {
        dialogs_.answerMessage().answerMessage();
        EXPECT_FALSE(form9.done());
        wing.toolbar().click(1);
        monitor->findChild<QPushButton*>("Command9")->click();
    });
    monitor->findChild<QPushButton*>("Command5")->click();
    port_.setObserver({});
    EXPECT_EQ(dialogs_.messages().size(), 2u);
    EXPECT_FALSE(wing.lastOutcome());
    EXPECT_EQ(port_.reg(0x378) & 0x22, 0);
    // Stopped, the pin change goes in and the next steps pulse the new pins.
    ASSERT_TRUE(form9.done());
    port_.clearOperations();
    nestAt(2, [&] { monitor->findChild<QPushButton*>("Command9")->click(); });
    monitor->findChild<QPushButton*>("Command5")->click();
    port_.setObserver({});
    EXPECT_EQ(firstDataWrite(), 0xA0);
    EXPECT_EQ(port_.reg(0x378) & 0xA2, 0);
}

}  // namespace
}  // namespace corvane
