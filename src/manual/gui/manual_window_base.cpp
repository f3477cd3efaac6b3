#include "manual/gui/manual_window_base.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPointer>

#include "common/run_error.h"
#include "machine/gui/port_refusal.h"
#include "machine/workspace.h"
#include "manual/gui/jog_speed_control.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

ManualWindowBase::ManualWindowBase(Workspace& ws, Dialogs& dialogs, const QString& speedLabelName,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      ws_(ws),
      dialogs_(dialogs),
      speed_(new JogSpeedControl(ws, speedLabelName, this)),
      toolbar_(new Toolbar(this)) {
    if (parent) parent->window()->installEventFilter(this);
}

ManualWindowBase::~ManualWindowBase() {
    mover_->requestStop();
}

void ManualWindowBase::activated() {
    if (QWidget* focus = focusControl()) focus->setFocus(Qt::OtherFocusReason);
    speed_->activate();
    placeInFrame(*this, Placement::Tool);
}

bool ManualWindowBase::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) activated();
    return QWidget::event(event);
}

bool ManualWindowBase::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) mover_->requestStop();
    return QWidget::eventFilter(watched, event);
}

void ManualWindowBase::closeEvent(QCloseEvent* event) {
    mover_->requestStop();
    QWidget::closeEvent(event);
}

void ManualWindowBase::refuseZeroSpeed() {
    dialogs_.message(QString::fromUtf8(kJogSpeedZeroMessage));
}

void ManualWindowBase::runMove(const Move& move, const QString& errorLabel) {
    if (mover_->moving() || refuseWithoutPort(ws_, dialogs_)) return;
    // Held for the move only; released even when the window is gone by the end.
    const LeaseHold lease = takeLease(ws_, dialogs_, this, windowTitle());
    if (!lease) return;
    // Everything used after the loop is held here, not through the window.
    const QPointer<ManualWindowBase> window(this);
    const std::shared_ptr<ManualMover> mover = mover_;
    Workspace& ws = ws_;
    Dialogs& dialogs = dialogs_;
    setCursor(Qt::BusyCursor);
    if (QWidget* focus = focusControl()) focus->setFocus(Qt::OtherFocusReason);
    try {
        if (move(*mover, ws) == MoveOutcome::SpeedZero)
            dialogs.message(QString::fromUtf8(kJogSpeedZeroMessage));
    } catch (const RunError& e) {
        reportError(dialogs, e, errorLabel);
    } catch (const std::exception& e) {
        reportError(dialogs, e, errorLabel);
    }
    if (window) unsetCursor();
}

}  // namespace corvane
