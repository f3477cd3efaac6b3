// Which window each system name opens. Windows of later work join here as they land; a name
// that is not registered opens nothing (its button or menu item is inert).
#include <QLayout>
#include <QMenu>

#include "controller/gui/controller_settings_window.h"
#include "delay/gui/delay_point_editor.h"
#include "generate/gui/foam_setup_window.h"
#include "generate/gui/wing_generation_window.h"
#include "generate/gui/wing_setup_window.h"
#include "machine/gui/device_settings_window.h"
#include "machine/gui/waypoint_window.h"
#include "manual/gui/manual_control_window.h"
#include "manual/gui/pair_jog_window.h"
#include "manual/gui/return_move_commands.h"
#include "manual/gui/return_move_window.h"
#include "manual/gui/single_axis_jog_window.h"
#include "manual/move_plan.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_window.h"
#include "script/gui/cutting_script_window.h"
#include "shell/gui/about_window.h"
#include "shell/gui/help_window.h"
#include "shell/gui/main_menu_window.h"
#include "shell/gui/main_window.h"
#include "shell/gui/notes_window.h"
#include "troubleshoot/gui/port_troubleshooter_window.h"

namespace corvane {

MainWindow::~MainWindow() {
    ws_.showStatus = [](int, const std::string&) {};
}

void MainWindow::stopMoves() {
    if (returnMoves_) returnMoves_->stopAll();
}

void MainWindow::planMove(int target) {
    const PlanTarget plan = target == 0   ? PlanTarget::Home
                            : target == 1 ? PlanTarget::WayPoint1
                                          : PlanTarget::WayPoint2;
    if (returnMoves_->plan(plan)) windows_.load(QString::fromUtf8(planVariant(plan).windowName));
}

void MainWindow::registerWindows() {
    Workspace& ws = ws_;
    Dialogs& dialogs = dialogs_;

    windows_.addWindow<MainMenuWindow>("Form5", [this, &ws, &dialogs](QWidget* parent) {
        auto* w = new MainMenuWindow(
            ws, dialogs, windows_, [this](WebPage page) { openWebPage(page); }, parent);
        // Closing the main menu unloads it; the next use loads it afresh.
        w->setAttribute(Qt::WA_DeleteOnClose);
        return w;
    });
    windows_.addWindow<DeviceSettingsWindow>("Form9", [this, &ws, &dialogs](QWidget* parent) {
        auto* w = new DeviceSettingsWindow(ws, dialogs, parent);
        connect(w, &DeviceSettingsWindow::settingsApplied, this, &MainWindow::onSettingsApplied);
        return w;
    });
    windows_.addWindow<ControllerSettingsWindow>(
        "FormController", [this, &ws, &dialogs](QWidget* parent) {
            auto* w = new ControllerSettingsWindow(ws, dialogs, parent);
            connect(w, &ControllerSettingsWindow::connectionChanged, this,
                    &MainWindow::refreshPortLabel);
            return w;
        });
    windows_.addWindow<WaypointWindow>("Form2", [&ws, &dialogs](QWidget* parent) {
        return new WaypointWindow(ws, dialogs, parent);
    });
    windows_.addWindow<AboutWindow>(
        "frmAbout", [&dialogs](QWidget* parent) { return new AboutWindow(dialogs, parent); });
    windows_.addWindow<HelpWindow>("HelpWindow",
                                   [](QWidget* parent) { return new HelpWindow(parent); });

    // Form10 and the foam runner Form11 are one window with their own texts.
    for (const CutWindowVariant* variant : {&CutWindowVariant::wing(), &CutWindowVariant::foam()}) {
        windows_.addWindow<CutWindow>(
            variant->objectName, [this, &ws, &dialogs, variant](QWidget* parent) {
                auto* w = new CutWindow(ws, dialogs, parent, *variant);
                connect(w, &CutWindow::mainToolbarVisibilityRequested, this, [this](bool visible) {
                    toolbar_->setVisible(visible);
                    // The inner area moves at once, so the window is placed where it will stay.
                    if (layout() != nullptr) layout()->activate();
                    if (QAction* a = menuAction("ViewToolbar")) a->setChecked(visible);
                });
                connect(w, &CutWindow::homeControlMenuEnableRequested, this, [this] {
                    if (auto* menu = findChild<QMenu*>("HomeControl")) menu->setEnabled(true);
                });
                connect(w, &CutWindow::manualControlRequested, this,
                        [this] { windows_.show("Form15"); });
                return w;
            });
    }
    // Both generation windows open the main window's one delay editor.
    const auto generationWindow = [this, &ws, &dialogs](QWidget* parent, CutSetKind kind) {
        auto* w = new WingGenerationWindow(ws, dialogs, parent, kind);
        connect(w, &WingGenerationWindow::delayPointsRequested, this,
                [&ws, &dialogs](QWidget* owner, const QString& left, const QString& right) {
                    QPointer<DelayPointEditor> editor;
                    DelayPointEditor::openFor(editor, ws, dialogs, owner, left, right);
                });
        return w;
    };
    windows_.addWindow<WingGenerationWindow>("Form14", [generationWindow](QWidget* parent) {
        return generationWindow(parent, CutSetKind::Wing);
    });
    // The foam generation window: Form14's window without washout.
    windows_.addWindow<WingGenerationWindow>("Form1", [generationWindow](QWidget* parent) {
        return generationWindow(parent, CutSetKind::Foam);
    });
    windows_.addWindow<FoamSetupWindow>("Form12", [&ws, &dialogs](QWidget* parent) {
        return new FoamSetupWindow(ws, dialogs, parent);
    });
    windows_.addWindow<WingSetupWindow>("Form6", [&ws, &dialogs](QWidget* parent) {
        return new WingSetupWindow(ws, dialogs, parent);
    });
    windows_.addWindow<SingleAxisJogWindow>("Form3", [&ws, &dialogs](QWidget* parent) {
        return new SingleAxisJogWindow(ws, dialogs, parent);
    });
    windows_.addWindow<PairJogWindow>("Form4", [&ws, &dialogs](QWidget* parent) {
        return new PairJogWindow(ws, dialogs, parent);
    });
    windows_.addWindow<ManualControlWindow>("Form15", [&ws, &dialogs](QWidget* parent) {
        return new ManualControlWindow(ws, dialogs, parent);
    });
    // The return windows are made by the planning commands; the catalog only tracks them so
    // that shut-down unloads them too.
    returnMoves_ = std::make_unique<ReturnMoveCommands>(ws, dialogs, this);
    const std::pair<const char*, PlanTarget> returns[] = {{"Form16", PlanTarget::Home},
                                                          {"Form17", PlanTarget::WayPoint1},
                                                          {"Form18", PlanTarget::WayPoint2}};
    for (const auto& [name, target] : returns) {
        windows_.add(QString::fromLatin1(name), [this, target](QWidget*) -> QWidget* {
            return &returnMoves_->window(target);
        });
    }
    // Help > Parallel Port Output Explained; closing it (also at shut-down) stops its stepping.
    windows_.addWindow<PortTroubleshooterWindow>("ppMonitor", [&ws, &dialogs](QWidget* parent) {
        return new PortTroubleshooterWindow(ws, dialogs, parent);
    });
    // Notes > 打开记事本; closing it (also at shut-down) runs its Done, which offers to save.
    windows_.addWindow<NotesWindow>("Form19", [&ws, &dialogs](QWidget* parent) {
        return new NotesWindow(ws, dialogs, parent);
    });
    // 脚本 > 编译/运行切割脚本.
    windows_.addWindow<CuttingScriptWindow>("script", [&ws, &dialogs](QWidget* parent) {
        return new CuttingScriptWindow(ws, dialogs, parent);
    });
}

}  // namespace corvane
