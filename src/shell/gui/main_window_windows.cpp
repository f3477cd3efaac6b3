// Which window each system name opens. Windows of later work join here as they land; a name
// that is not registered opens nothing (its button or menu item is inert).
#include <QMenu>

#include "machine/gui/device_settings_window.h"
#include "machine/gui/waypoint_window.h"
#include "platform/gui/toolbar.h"
#include "shell/gui/about_window.h"
#include "shell/gui/help_window.h"
#include "shell/gui/main_menu_window.h"
#include "shell/gui/main_window.h"

#if __has_include("run/gui/wing_cut_window.h")
#include "run/gui/wing_cut_window.h"
#define CORVANE_HAS_FORM10 1
#endif
#if __has_include("generate/gui/wing_generation_window.h")
#include "generate/gui/wing_generation_window.h"
#define CORVANE_HAS_FORM14 1
#endif

namespace corvane {

void MainWindow::registerWindows() {
    Workspace& ws = ws_;
    Dialogs& dialogs = dialogs_;

    windows_.addWindow<MainMenuWindow>("Form5", [this, &ws, &dialogs](QWidget* parent) {
        auto* w = new MainMenuWindow(
            ws, dialogs, windows_,
            [this](const QUrl& url) {
                if (openUrl) openUrl(url);
            },
            parent);
        // Closing the main menu unloads it; the next use loads it afresh.
        w->setAttribute(Qt::WA_DeleteOnClose);
        return w;
    });
    windows_.addWindow<DeviceSettingsWindow>("Form9", [this, &ws, &dialogs](QWidget* parent) {
        auto* w = new DeviceSettingsWindow(ws, dialogs, parent);
        connect(w, &DeviceSettingsWindow::settingsApplied, this, &MainWindow::onSettingsApplied);
        return w;
    });
    windows_.addWindow<WaypointWindow>("Form2", [&ws, &dialogs](QWidget* parent) {
        return new WaypointWindow(ws, dialogs, parent);
    });
    windows_.addWindow<AboutWindow>(
        "frmAbout", [&dialogs](QWidget* parent) { return new AboutWindow(dialogs, parent); });
    windows_.addWindow<HelpWindow>("HelpWindow",
                                   [](QWidget* parent) { return new HelpWindow(parent); });

#ifdef CORVANE_HAS_FORM10
    windows_.addWindow<WingCutWindow>("Form10", [this, &ws, &dialogs](QWidget* parent) {
        auto* w = new WingCutWindow(ws, dialogs, parent);
        connect(w, &WingCutWindow::mainToolbarVisibilityRequested, this, [this](bool visible) {
            toolbar_->setVisible(visible);
            if (QAction* a = menuAction("ViewToolbar")) a->setChecked(visible);
        });
        connect(w, &WingCutWindow::homeControlMenuEnableRequested, this, [this] {
            if (auto* menu = findChild<QMenu*>("HomeControl")) menu->setEnabled(true);
        });
        connect(w, &WingCutWindow::manualControlRequested, this,
                [this] { windows_.show("Form15"); });
        return w;
    });
#endif
#ifdef CORVANE_HAS_FORM14
    windows_.addWindow<WingGenerationWindow>("Form14", [&ws, &dialogs](QWidget* parent) {
        return new WingGenerationWindow(ws, dialogs, parent);
    });
#endif
    // WIRE-UP: Form3/Form4/Form15 (jog), Form16-18 (return moves), Form6/Form12 (setup),
    // Form1/Form11 (foam), Form19 (notes), script, ppMonitor, DelayForm as they land.
}

}  // namespace corvane
