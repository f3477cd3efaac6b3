// What the wing and foam setup windows do alike with their boxes: the cutting-speed box never
// holds more than the speed slider can reach, and a confirm stores the speed and tower sizes.
#pragma once

class QLineEdit;
class QString;

namespace corvane {

class Dialogs;
class Workspace;

// Confirm: CutSpeed, LeftTowerChord and RightTowerChord from the three boxes, each read as a
// fixed-point number with four decimals; a failure is reported under `label` and stores nothing.
void storeSetupValues(Workspace& ws, Dialogs& dialogs, const QLineEdit& speed,
                      const QLineEdit& left, const QLineEdit& right, const QString& label);

// A number typed above SpeedSliderMax / 5 (or too large to read) is replaced by that limit.
void limitCutSpeedBox(QLineEdit& box, const Workspace& ws);

}  // namespace corvane
