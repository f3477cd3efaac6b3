// The cut window on a controller.
#include "run/gui/controller_cut_driver.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cmath>
#include <string>
#include <vector>

#include "common/number_format.h"
#include "common/number_text.h"
#include "machine/gui/port_refusal.h"
#include "machine/position.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {
constexpr int kBeginCut = 1, kWire = 3;
QString u(const char* text) {
    return QString::fromUtf8(text);
}
}  // namespace

bool ControllerCutDriver::active() const {
    return ws_.controller != nullptr;
}

void ControllerCutDriver::begin(double pauseMs) {
    const bool wire = wireOn_;
    if (running_ || !active()) return;
    running_ = true;
    controls_ = ControllerControls{};
    segmentsMarked_ = 0;
    plannedSpeed_ = ws_.motion.CutSpeed;
    speedNote_.clear();
    toolbar_.setButtonEnabled(kBeginCut, false);
    percent_.setText(u("0"));
    status_.setText(u("Connecting to ") + QString::fromStdString(ws_.controller->describe()));
    // What would make this cut come out wrong is said before anything moves.
    const std::vector<std::string> warnings = ws_.controller->cutWarnings(plannedSpeed_, wire);
    if (!warnings.empty()) {
        QString text;
        for (const std::string& w : warnings) text += QString::fromStdString(w) + u("\n\n");
        text += u("Cut anyway?");
        if (dialogs_.message(text, u("Controller"), MsgButtons::OkCancel, MsgIcon::Warning) !=
            MsgAnswer::Ok) {
            running_ = false;
            toolbar_.setButtonEnabled(kBeginCut, true);
            status_.setText(u("Not started: the controller's warnings were not accepted"));
            return;
        }
    }
    const ControllerCutResult result = ws_.controller->runCut(
        plannedSpeed_, pauseMs, wire, controls_, [] { QCoreApplication::processEvents(); },
        [this](const ControllerProgress& p) { show(p); });
    running_ = false;
    // The program ends with the wire's off code and every other end with a reset: off, unless
    // the controller last said otherwise.
    wireOn_ = result.wireKnown && result.wireOn;
    toolbar_.setButtonCaption(kWire, wireOn_ ? u("电热丝通电") : u("电热丝断电"));
    toolbar_.setButtonEnabled(kBeginCut, true);
    if (result.completed) percent_.setText(u("100"));
    followPosition(result);
    if (!result.message.empty())
        dialogs_.message(QString::fromStdString(result.message), u("Controller"));
    if (!result.finalState.empty())
        status_.setText(status_.text() + u(" / ") + QString::fromStdString(result.finalState));
}

// The counted position is where the controller says the machine went, not where the cut began.
void ControllerCutDriver::followPosition(const ControllerCutResult& result) {
    if (result.positionLost) {
        ws_.position.HomeSet = false;
        ws_.setStatus(1, positionStatusText(ws_.position));
        ws_.setStatus(2, kControllerPositionLost);
        return;
    }
    if (!result.moved || !ws_.position.HomeSet) return;
    AxisPosition& p = ws_.position.Position;
    const std::array<double, 4>& m = *result.moved;
    p.X1 = static_cast<float>(p.X1 + m[0]);
    p.Y1 = static_cast<float>(p.Y1 + m[1]);
    p.X2 = static_cast<float>(p.X2 + m[2]);
    p.Y2 = static_cast<float>(p.Y2 + m[3]);
    ws_.setStatus(1, positionStatusText(ws_.position));
}

void ControllerCutDriver::show(const ControllerProgress& p) {
    // What the machine has done, not what the controller has taken in.
    // A mark the drawing cannot take must not end the stream (it runs on outside this call).
    try {
        for (; segmentsMarked_ < p.segmentsDone; ++segmentsMarked_)
            if (onSegmentDone) onSegmentDone(segmentsMarked_ + 2);
    } catch (const std::exception&) {
        segmentsMarked_ = p.segmentsDone;
    }
    if (p.total > 0)
        percent_.setText(QString::number(static_cast<qulonglong>(p.executed * 100 / p.total)));
    if (p.wireKnown) {
        wireOn_ = p.wireOn;
        toolbar_.setButtonCaption(kWire, p.wireOn ? u("电热丝通电") : u("电热丝断电"));
    }
    status_.setText(QString::asprintf("Line %d, %s, X1 %.3f Y1 %.3f X2 %.3f Y2 %.3f, %.0f mm/min, "
                                      "override %d%%, wire %s",
                                      p.line, p.state.c_str(), p.position[0], p.position[1],
                                      p.position[2], p.position[3], p.feed, p.feedOverride,
                                      !p.wireKnown ? "not reported yet"
                                      : p.wireOn   ? "on"
                                                   : "off") +
                    speedNote_);
}

void ControllerCutDriver::stop() {
    controls_.stop = true;
}

// The hold goes out before the box opens: while it is open the stream's loop stands.
void ControllerCutDriver::pause() {
    ws_.controller->hold(true);
    controls_.hold = true;
    dialogs_.message(u("切割暂停\n点击确定继续"));
    ws_.controller->hold(false);
    controls_.hold = false;
}

void ControllerCutDriver::speedChanged() {
    if (!running_ || plannedSpeed_.raw() == 0) return;
    const double asked = 100.0 * ws_.motion.CutSpeed.toDouble() / plannedSpeed_.toDouble();
    const int percent = static_cast<int>(std::lround(asked));
    controls_.feedPercent = percent;
    speedNote_ = percent < 10 || percent > 200
                     ? u(" (the slider asks %1%; the controller allows 10-200%)").arg(percent)
                     : QString();
}

void ControllerCutDriver::switchWire() {
    if (running_) {
        // The wire cannot be switched inside the stream: switching it off stops the cut.
        if (wireOn_)
            controls_.stop = true;
        else
            dialogs_.message(u("The wire is switched on with Begin Cut while a controller cuts."),
                             u("Controller"));
        return;
    }
    const bool on = !wireOn_;
    const std::string error = ws_.controller->switchWire(on);
    if (!error.empty()) {
        dialogs_.message(QString::fromStdString(error), u("Controller"));
        return;
    }
    wireOn_ = on;
    toolbar_.setButtonCaption(kWire, on ? u("电热丝通电") : u("电热丝断电"));
}

void beginControllerCut(ControllerCutDriver& driver, QWidget& window, Workspace& ws,
                        Dialogs& dialogs, const QString& pauseText) {
    if (driver.running()) return;
    const LeaseHold lease = takeLease(ws, dialogs, &window, window.windowTitle());
    if (!lease) return;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    driver.begin(leadingNumber(pauseText.toStdString()));
    QApplication::restoreOverrideCursor();
}

void ControllerCutDriver::windowClosing() {
    controls_.stop = true;
    if (active() && !running_ && wireOn_) ws_.controller->switchWire(false);
    wireOn_ = false;
}

}  // namespace corvane
