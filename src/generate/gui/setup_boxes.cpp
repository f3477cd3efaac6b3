#include "generate/gui/setup_boxes.h"

#include <QLineEdit>

#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"

namespace corvane {

void limitCutSpeedBox(QLineEdit& box, const Workspace& ws) {
    const double limit = ws.settings.derived.SpeedSliderMax / 5.0;
    double typed;
    try {
        typed = leadingNumber(box.text().toStdString());
    } catch (const RunError&) {
        typed = limit + 1;  // too large to read: certainly above the limit
    }
    if (typed > limit) box.setText(QString::fromStdString(formatDouble(limit)));
}

void storeSetupValues(Workspace& ws, Dialogs& dialogs, const QLineEdit& speed,
                      const QLineEdit& left, const QLineEdit& right, const QString& label) {
    try {
        auto value = [](const QLineEdit& box) {
            return Fixed4::fromDouble(leadingNumber(box.text().toStdString()));
        };
        const Fixed4 s = value(speed), l = value(left), r = value(right);
        ws.motion.CutSpeed = s;
        ws.job.LeftTowerChord = l.toDouble();
        ws.job.RightTowerChord = r.toDouble();
    } catch (const RunError& e) {
        reportError(dialogs, e, label);
    }
}

}  // namespace corvane
