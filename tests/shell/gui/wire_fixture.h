// A started main window with the cut windows, a working set they load without a message, the
// wire pin's level read back from the simulated port, and actions nested between two ticks of
// a running motion (queued, so they run inside the motion's own event processing).
#pragma once

#include <QApplication>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "machine/gui/device_settings_window.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_window.h"
#include "shell_fixture.h"
#include "support/test_support.h"

namespace corvane {

class WireFixture : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ws_->yield = [] { QApplication::processEvents(); };
    }

    // The settings values with the wire on `pin` at the given level, at `address`.
    static std::vector<std::string> valuesWith(const std::string& pin, bool activeLow,
                                               const std::string& address) {
        std::vector<std::string> v = test::resetDefaultsValues();
        v[7] = "\"158\"";
        v[18] = "\"" + pin + "\"";
        v[19] = "\"" + address + "\"";
        v[20] = activeLow ? "#TRUE#" : "#FALSE#";
        v[21] = activeLow ? "#FALSE#" : "#TRUE#";
        return v;
    }
    static std::string lineWith(const std::string& pin, bool activeLow,
                                const std::string& address) {
        return test::settingsLine(valuesWith(pin, activeLow, address));
    }
    void writeSettings(const char* pin, bool activeLow, const char* address = "378h") {
        test::writeFile(file("settings.txt"), lineWith(pin, activeLow, address));
    }
    // A four-segment working set whose drawings load without a message in both cut windows.
    void writeWorkingSet() {
        const char* const profile = "TEST FOIL\r\n1 0\r\n0.5 0.06\r\n0 0\r\n0.5 -0.04\r\n1 0\r\n";
        test::writeFile(file("left.dat"), profile);
        test::writeFile(file("right.dat"), profile);
        test::writeFile(file("datinfo.ct3"), "\"" + file("left.dat").string() + "\",\"" +
                                                 file("right.dat").string() +
                                                 "\",200,200,\"0\",\"0\",\"0\",\"0\"\r\n");
        test::writeFile(file("cut.ct1"), "3\r\n3\r\n48\r\n12\r\n192\r\n51\r\n");
        test::writeFile(file("cut_cnt.ct2"), "2\r\n3\r\n5\r\n6\r\n");
    }

    CutWindow& cutWindow(const char* name) {
        auto* w = qobject_cast<CutWindow*>(frame().windows().show(QString::fromLatin1(name)));
        EXPECT_NE(w, nullptr) << name;
        return *w;
    }
    DeviceSettingsWindow& settingsWindow() {
        return *frame().windows().load<DeviceSettingsWindow>("Form9");
    }

    void pressWire(CutWindow& w) { emit w.toolbar().buttonClicked(3); }
    static bool captionSaysOn(CutWindow& w) {
        return w.toolbar().buttonCaption(3) == CutWindow::wireOnCaption();
    }
    // Whether the wire pin of the settings in force is at its active level (false for none).
    bool pinActive() const {
        const WirePin& wire = ws_->settings.derived.wire;
        if (!wire.chosen) return false;
        const auto control = static_cast<uint16_t>(ws_->settings.derived.ControlPort);
        return (((port_.reg(control) >> wire.bit) & 1) != 0) == wire.setForActive;
    }

    // Queues `action` after the `at`-th data-register write from now (1 = the first).
    void nestAt(int at, std::function<void()> action) {
        auto writes = std::make_shared<int>(0);
        port_.setObserver([this, writes, at, action](const PortOperation& op) {
            if (op.kind != PortOperation::Kind::Out || ++*writes != at) return;
            QMetaObject::invokeMethod(&frame(), action, Qt::QueuedConnection);
        });
    }
    int dataWrites() const {
        int n = 0;
        for (const PortOperation& op : port_.operations())
            if (op.kind == PortOperation::Kind::Out) ++n;
        return n;
    }
    int firstDataWrite() const {
        for (const PortOperation& op : port_.operations())
            if (op.kind == PortOperation::Kind::Out) return op.value;
        return -1;
    }
};

}  // namespace corvane
