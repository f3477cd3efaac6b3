// The cut windows' test bench: the runner workspace with a wire pin, a five-point profile on
// both sides, a small set with delay points, and the window (Form10 or Form11) opened on it.
#pragma once

#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/gui/drawing_view.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_window.h"
#include "run/run_fixture.h"

namespace corvane::test {

// A five-point profile (four segments) of unit chord.
inline const char* const kProfile = "TEST FOIL\r\n1 0\r\n0.5 0.06\r\n0 0\r\n0.5 -0.04\r\n1 0\r\n";

inline QString u(const char* text) {
    return QString::fromUtf8(text);
}

struct WindowBench : RunnerBench {
    ScriptedDialogs dialogs;
    std::unique_ptr<CutWindow> window;

    WindowBench() {
        ws.settings.fields.enable = "Pin 1";
        ws.settings.fields.active_low = true;
        ws.settings.fields.enable_hold_bit = "0";
        ws.settings.derived.wire = WirePin{true, 0, true};  // what deriving Pin 1 active low gives
        writeProfiles(kProfile, kProfile);
        writeDatInfo("200", "200", "0", "0", "0", "0");
        // Segments of 2, 1, 2 and 1 ticks with three delay points: after 1, and twice after 2.
        writeSet({0x03, 0x03, 0x30, 0x0C, 0xC0, 0x33}, {2, 0, 3, 0, 0, 5, 6});
    }

    void writeProfiles(const std::string& left, const std::string& right) {
        test::writeText(folder.path() / "left.dat", left);
        test::writeText(folder.path() / "right.dat", right);
    }
    void writeDatInfo(const std::string& lc, const std::string& rc, const std::string& lf,
                      const std::string& rf, const std::string& la, const std::string& ra) {
        const std::string l = (folder.path() / "left.dat").string();
        const std::string r = (folder.path() / "right.dat").string();
        test::writeText(ws.file("datinfo.ct3"), "\"" + l + "\",\"" + r + "\"," + lc + "," + rc +
                                                    ",\"" + lf + "\",\"" + rf + "\",\"" + la +
                                                    "\",\"" + ra + "\"\r\n");
    }

    CutWindow& open(const CutWindowVariant& variant = CutWindowVariant::wing()) {
        if (ownedByMain_) (void)window.release();
        ownedByMain_ = false;
        window = std::make_unique<CutWindow>(ws, dialogs, nullptr, variant);
        window->show();
        window->activate();
        return *window;
    }

    // The window as a child of a shown main window of `size` (the main window owns it).
    CutWindow& openInside(QMainWindow& main, QSize size,
                          const CutWindowVariant& variant = CutWindowVariant::wing()) {
        main.setCentralWidget(new QWidget(&main));
        main.resize(size);
        main.show();
        window.reset(new CutWindow(ws, dialogs, &main, variant));
        ownedByMain_ = true;
        return *window;
    }
    ~WindowBench() {
        if (ownedByMain_) (void)window.release();  // gone with its main window already
    }
    bool ownedByMain_ = false;

    template <typename T>
    T& child(const char* name) {
        T* found = window->findChild<T*>(QString::fromUtf8(name));
        if (!found) throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }
    void clickButton(int index) {
        QWidget* button = window->toolbar().widgetForAction(window->toolbar().action(index));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    DrawingView& view(int i) { return child<DrawingView>(i == 1 ? "DXFReader1" : "DXFReader2"); }
    bool wireBitSet() const { return (port.reg(890) & 1) != 0; }
};

}  // namespace corvane::test
