#include "manual/gui/return_move_commands.h"

#include <QWidget>

#include "common/run_error.h"
#include "machine/position.h"
#include "machine/workspace.h"
#include "manual/gui/return_move_window.h"
#include "platform/gui/dialogs.h"

namespace corvane {

ReturnMoveCommands::ReturnMoveCommands(Workspace& ws, Dialogs& dialogs, QWidget* mainWindow)
    : ws_(ws), dialogs_(dialogs), mainWindow_(mainWindow) {}

ReturnMoveWindow& ReturnMoveCommands::window(PlanTarget target) {
    ReturnMoveWindow*& w = windows_[static_cast<size_t>(target)];
    if (!w) w = new ReturnMoveWindow(ws_, dialogs_, target, mainWindow_);
    return *w;
}

ReturnMoveWindow* ReturnMoveCommands::existingWindow(PlanTarget target) const {
    return windows_[static_cast<size_t>(target)];
}

void ReturnMoveCommands::stopAll() {
    for (ReturnMoveWindow* w : windows_)
        if (w) w->stopMotion();
}

bool ReturnMoveCommands::plan(PlanTarget target) {
    if (!ws_.position.HomeSet) {
        dialogs_.message(QString::fromUtf8(kNoHomeMessage));
        return false;
    }
    const PlanVariant& v = planVariant(target);
    if (mainWindow_) mainWindow_->setCursor(Qt::BusyCursor);
    ws_.setStatus(2, v.planningStatus);
    bool planned = false;
    try {
        planMove(ws_, target);
        planned = true;
        ReturnMoveWindow& w = window(target);
        w.show();
        w.raise();
        w.activateWindow();
    } catch (const RunError& e) {
        reportError(dialogs_, e, QString::fromUtf8(v.errorLabel));
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QString::fromUtf8(v.errorLabel));
    }
    if (mainWindow_) mainWindow_->unsetCursor();
    ws_.setStatus(2, v.plannedStatus);
    return planned;
}

}  // namespace corvane
