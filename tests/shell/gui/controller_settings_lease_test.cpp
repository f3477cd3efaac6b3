// Controller Settings while the machine is in use: Check, Unlock and Done would replace or talk
// over the connection a running stream uses, so each is refused with "Machine Busy" naming the
// holder, and the connection and controller.txt stay as they were.
#include <gtest/gtest.h>

#include <QTest>

#include "controller/gui/controller_settings_window.h"
#include "machine/controller_connection.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "support/test_support.h"

namespace corvane {
namespace {

TEST(ControllerSettingsLease, CheckUnlockAndDoneAreRefusedWhileTheMachineIsInUse) {
    test::TestMachine m;
    ControllerChoice saved;
    saved.address = "grbl:/dev/null-controller";
    saved.save(m.dir.path());
    ScriptedDialogs dialogs;
    ControllerSettingsWindow w(m.ws, dialogs);
    ControllerConnection* streaming = m.ws.controller;
    ASSERT_NE(streaming, nullptr);
    // The operator names another board while a cut runs.
    ControllerChoice other;
    other.address = "grbl:/dev/other-controller";
    w.showChoice(other);
    int owner = 0;
    const LeaseHold cut = m.ws.lease.take(&owner, "Wing Cut");
    Toolbar* toolbar = w.findChild<Toolbar*>();
    ASSERT_NE(toolbar, nullptr);
    for (int button : {1, 2, 3}) {
        dialogs.answerMessage();
        QTest::mouseClick(toolbar->widgetForAction(toolbar->action(button)), Qt::LeftButton);
        ASSERT_EQ(m.ws.controller, streaming) << "button " << button;
        // The same connection, not a new one at the old address.
        EXPECT_EQ(m.ws.controller->describe(), saved.address) << "button " << button;
        EXPECT_EQ(ControllerChoice::load(m.dir.path()).address, saved.address);
    }
    const std::vector<DialogCall> boxes = dialogs.messages();
    ASSERT_EQ(boxes.size(), 3u);
    for (const DialogCall& box : boxes) {
        EXPECT_EQ(box.title, "Machine Busy");
        EXPECT_TRUE(box.text.contains("Wing Cut")) << box.text.toStdString();
    }
    EXPECT_EQ(ControllerChoice::load(m.dir.path()).address, saved.address);
    EXPECT_TRUE(dialogs.takeUnscripted().isEmpty());
}

}  // namespace
}  // namespace corvane
