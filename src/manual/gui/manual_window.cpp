#include "manual/gui/manual_window.h"

#include <QCloseEvent>
#include <QEvent>

#include "common/run_error.h"
#include "machine/workspace.h"
#include "manual/gui/jog_speed_control.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

ManualWindow::ManualWindow(Workspace& ws, Dialogs& dialogs, const QString& speedLabelName,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      ws_(ws),
      dialogs_(dialogs),
      speed_(new JogSpeedControl(ws, speedLabelName, this)),
      toolbar_(new Toolbar(this)) {}

void ManualWindow::activated() {
    if (QWidget* focus = focusControl()) focus->setFocus(Qt::OtherFocusReason);
    speed_->activate();
    placeInFrame(*this, Placement::Tool);
}

bool ManualWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) activated();
    return QWidget::event(event);
}

void ManualWindow::closeEvent(QCloseEvent* event) {
    mover_.requestStop();
    QWidget::closeEvent(event);
}

void ManualWindow::refuseZeroSpeed() {
    dialogs_.message(QString::fromUtf8(kJogSpeedZeroMessage));
}

void ManualWindow::runMove(const std::function<MoveOutcome()>& move, const QString& errorLabel) {
    if (mover_.moving()) return;
    setCursor(Qt::BusyCursor);
    try {
        if (move() == MoveOutcome::SpeedZero) refuseZeroSpeed();
    } catch (const RunError& e) {
        reportError(dialogs_, e, errorLabel);
    } catch (const std::exception& e) {
        reportError(dialogs_, e, errorLabel);
    }
    unsetCursor();
}

}  // namespace corvane
