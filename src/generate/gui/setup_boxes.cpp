#include "generate/gui/setup_boxes.h"

#include <QLineEdit>

#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "machine/workspace.h"

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

}  // namespace corvane
