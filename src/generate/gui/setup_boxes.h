// What the wing and foam setup windows do alike to their boxes: the cutting-speed box never
// holds more than the speed slider can reach.
#pragma once

class QLineEdit;

namespace corvane {

class Workspace;

// A number typed above SpeedSliderMax / 5 (or too large to read) is replaced by that limit.
void limitCutSpeedBox(QLineEdit& box, const Workspace& ws);

}  // namespace corvane
