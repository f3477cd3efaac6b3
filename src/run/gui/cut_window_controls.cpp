// The cut window's controls while it runs: the toolbar (Begin Cut, Stop, the wire, Pause), the
// resume offer, the speed slider and delay box, the zoom keys, the manual-control window and the
// close. Building the window, loading a set and the activation are in cut_window.cpp.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QSlider>
#include <cmath>

#include "common/number_format.h"
#include "common/number_text.h"
#include "machine/gui/port_refusal.h"
#include "machine/step_output.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "manual/gui/manual_control_window.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/toolbar.h"
#include "run/gui/controller_cut_driver.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/cut_speed_refusal.h"
#include "run/gui/cut_window.h"
#include "run/gui/resume_offer.h"
#include "run/gui/wire_caption.h"
#include "run/kerf_speed_warning.h"

namespace corvane {

namespace {

constexpr int kBeginCut = 1, kStop = 2, kWire = 3, kPause = 4;

QString u(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

void CutWindow::onToolbar(int index) {
    switch (index) {
        case kBeginCut:
            beginCut();
            break;
        case kStop:
            stopCut();
            break;
        case kWire:
            switchWire();
            break;
        case kPause:
            pauseCut();
            break;
        default:
            break;
    }
}

void CutWindow::beginCut() {
    if (controllerCut_->active()) {
        beginControllerCut(*controllerCut_, *this, ws_, dialogs_, pauseText_->text());
        return;
    }
    runCut(nullptr);
}

void CutWindow::runCut(const ResumePlan* resume) {
    // A stopped cut's record is of the port's ticks: a controller starts its cuts afresh.
    if (resume != nullptr && controllerCut_->active()) {
        dialogs_.message(
            QStringLiteral("A stopped cut resumes on the parallel port only; on a "
                           "controller, start the cut again with Begin Cut."));
        return;
    }
    if (runner_.running() || refuseWithoutPort(ws_, dialogs_) || refuseStandingSpeed(ws_, dialogs_))
        return;
    // A wing record goes on in the wing window only, a foam record in the foam window.
    if (resume != nullptr && resume->record.foam != (variant_.kind == CutSetKind::Foam)) {
        dialogs_.message(QString::fromStdString(
            std::string("The cut cannot be resumed here: the record is of a ") +
            (resume->record.foam ? "foam" : "wing") + " cut; resume it from its own window."));
        return;
    }
    // Held to the end of the cut: no other window, jog, script or settings apply gets in.
    const LeaseHold lease = takeLease(ws_, dialogs_, this, windowTitle());
    if (!lease) return;
    toolbar_->setButtonEnabled(kBeginCut, false);
    resume_->setEnabled(false);  // the cut under way keeps a record of its own
    QApplication::setOverrideCursor(Qt::BusyCursor);
    slider_->setFocus();
    lastPercent_ = -1;
    pendingPercent_ = 0;
    percentLabel_->setText(QStringLiteral("0"));
    speedErrorLabel_->clear();
    Fixed4 pauseMs;
    try {
        pauseMs = Fixed4::fromDouble(leadingNumber(pauseText_->text().toStdString()));
    } catch (const RunError& e) {
        reportError(dialogs_, e, label("BC"));
        finish();
        return;
    }
    // The lead-in moves no segment and no percentage: the status bar says that a cut runs.
    leadInShown_ = resume == nullptr && leadMovesFor(ws_).has_value();
    if (leadInShown_) ws_.setStatus(2, kLeadInStatus);
    paced_->begin();
    lastOutcome_ = runner_.run(pauseMs, resume);
    if (leadInShown_) ws_.setStatus(2, std::string());  // stopped during the lead-in
    leadInShown_ = false;
    // A failed cut stands still in the foam: the wire goes off before the report waits for the
    // operator, whoever switched it on.
    if (lastOutcome_->end == CutEnd::Failed) wireOffAfterFailure();
    wireCaption_->refresh();  // a resume switches the wire on
    paced_->end();
    if (lastOutcome_->timing.ticks >= 2) {
        speedErrorLabel_->setText(QString::fromStdString(speedErrorText(lastOutcome_->timing)));
        speedErrorLabel_->setToolTip(speedErrorLabel_->text());
    }
    if (lastOutcome_->error) reportError(dialogs_, *lastOutcome_->error, label("BC"));
    // Once: the cut ran at normal priority, and the one step that allows more.
    if (!lastOutcome_->priorityRefusal.empty() && !toldPriority_) {
        toldPriority_ = true;
        dialogs_.message(QString::fromStdString(lastOutcome_->priorityRefusal),
                         QStringLiteral("Real-time priority"));
    }
    finish();
}

void CutWindow::wireOffAfterFailure() {
    try {
        WireOff(ws_);
    } catch (const std::exception& e) {
        // The port itself failed; the cut's report follows and the guard at exit tries again.
        reportError(dialogs_, e, label("HW"));
    }
}

bool CutWindow::controllerCutting() const {
    return controllerCut_ && controllerCut_->running();
}

void CutWindow::finish() {
    toolbar_->setButtonEnabled(kBeginCut, true);
    progress_->redraw();
    markDelayPoints();
    showResumeOffer();
    QApplication::restoreOverrideCursor();
}

void CutWindow::showResumeOffer() {
    const bool was = resume_->isVisibleTo(this);
    resume_->refresh();
    if (resume_->isVisibleTo(this) != was) layOutControls();
}

void CutWindow::stopCut() {
    controllerCut_->stop();
    runner_.requestStop();
    percentLabel_->setText(QStringLiteral("0"));
}

// The caption follows the wire state (WireCaptionBinding); the press drives the level it asks
// for with the settings in force, never an inversion of whatever the bit holds.
void CutWindow::switchWire() {
    if (controllerCut_->active()) {
        controllerCut_->switchWire();
        return;
    }
    // Another source's cut or move owns the wire: this window leaves it alone.
    if (refuseWhileLeased(ws_, dialogs_, this)) {
        wireCaption_->refresh();
        return;
    }
    try {
        if (ws_.wire.on()) {
            WireOff(ws_);
        } else if (!refuseWithoutPort(ws_, dialogs_)) {
            WireOn(ws_);
        }
    } catch (const std::exception& e) {
        reportError(dialogs_, e, label("HW"));
    }
    wireCaption_->refresh();
}

// The box is opened inside the cut loop's event processing, so the loop stands still between
// two ticks until the operator confirms.
void CutWindow::pauseCut() {
    if (controllerCut_->running()) {
        controllerCut_->pause();
        return;
    }
    runner_.syncRecord(RecordSync::Pause);
    dialogs_.message(u("切割暂停\n点击确定继续"));
    restartTickSchedule(ws_.motion);  // the ticks after the pause keep a schedule of their own
}

void CutWindow::onSlider(int value) {
    ws_.motion.CutSpeed = Fixed4::fromInt(value) / Fixed4::fromInt(5);
    speedLabel_->setText(QString::fromStdString(formatDouble(ws_.motion.CutSpeed.toDouble())));
    controllerCut_->speedChanged();
    updateKerfWarning();
}

void CutWindow::updateKerfWarning() {
    const std::optional<SpeedDeparture> d =
        farFromMadeForSpeed(madeFor_, ws_.motion.CutSpeed.toDouble());
    if (!d || !kerfWarningRow_->isVisibleTo(this)) {
        kerfWarning_->hide();
        return;
    }
    const QString text =
        d->fraction < 0
            ? u("速度 %1 毫米/秒 比切割文件的 %2 毫米/秒 慢 %3%: 切缝会变宽, 尺寸与设计不符")
            : u("速度 %1 毫米/秒 比切割文件的 %2 毫米/秒 快 %3%: 切缝会变窄, 尺寸与设计不符");
    kerfWarning_->setText(text.arg(QString::fromStdString(formatDouble(d->nowMmS)),
                                   QString::fromStdString(formatDouble(d->madeForMmS)),
                                   QString::number(qRound(std::abs(d->fraction) * 100))));
    kerfWarning_->show();
}

void CutWindow::onPauseText(const QString& text) {
    if (text == QStringLiteral("0")) pauseText_->setText(QStringLiteral("1"));
}

bool CutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == slider_ && event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        // Only the keypad's plus and minus zoom; those of the main keyboard are ordinary keys.
        const bool keypad = keyEvent->modifiers().testFlag(Qt::KeypadModifier);
        if (key == Qt::Key_Plus && keypad) {
            progress_->zoomIn();
            markDelayPoints();
            return true;
        }
        if (key == Qt::Key_Minus && keypad) {
            progress_->zoomOut();
            markDelayPoints();
            return true;
        }
        if (key == Qt::Key_F5) {
            openManualControl();
            return true;
        }
        // The slider has the focus through a cut: Space stops it as Stop does.
        if (key == Qt::Key_Space && cutting()) {
            stopCut();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Escape anywhere in the window (the controls pass it on) stops a running cut as Stop does: the
// one key an operator holding foam finds without looking.
void CutWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && cutting()) {
        stopCut();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The main window opens its own Form15 when it listens; on its own this window keeps one.
void CutWindow::openManualControl() {
    if (isSignalConnected(QMetaMethod::fromSignal(&CutWindow::manualControlRequested))) {
        emit manualControlRequested();
        return;
    }
    if (!manual_) manual_ = new ManualControlWindow(ws_, dialogs_, parentWidget());
    manual_->show();
    manual_->raise();
    manual_->activateWindow();
}

void CutWindow::closeEvent(QCloseEvent* event) {
    controllerCut_->windowClosing();
    runner_.requestStop();
    percentLabel_->setText(QStringLiteral("0"));
    emit mainToolbarVisibilityRequested(true);
    toolbar_->setButtonCaption(kWire, u(variant_.wireClosedCaption));
    // The wire is this window's to switch off only when nobody else holds the machine: an
    // idle window closing beside another window's cut leaves that cut's wire hot.
    if (ws_.lease.mayWrite(this)) {
        try {
            WireOff(ws_);
        } catch (const std::exception& e) {
            reportError(dialogs_, e, label("Unload"));
        }
    } else {
        wireCaption_->refresh();  // the wire stays on: the caption says so, not the closed text
    }
    loaded_ = false;  // the next showing starts like a newly opened window
    event->accept();
}

}  // namespace corvane
