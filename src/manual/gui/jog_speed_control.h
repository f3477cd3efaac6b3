// The JogSpeed slider every jog and return window carries: Slider1 with "切割速度" over "毫米/秒"
// and a label with the speed in mm/s. A slider position is five times the speed (0.2 mm/s a
// notch); moving it sets the program-wide JogSpeed from the next tick on.
#pragma once

#include <QWidget>

class QLabel;
class QSlider;

namespace corvane {

class Workspace;

class JogSpeedControl : public QWidget {
    Q_OBJECT
public:
    // `speedLabelName` is the window's name for the speed label (Label12, Label6, Label1).
    JogSpeedControl(Workspace& ws, const QString& speedLabelName, QWidget* parent = nullptr);

    // On every activation of the window: maximum SpeedSliderMax, value 5 x JogSpeed (clamped to
    // the maximum, and JogSpeed with it, so the shown speed is the speed the moves use).
    void activate();

    QSlider* slider() const { return slider_; }
    QLabel* speedLabel() const { return speedLabel_; }

private:
    void sliderChanged(int value);

    Workspace& ws_;
    QSlider* slider_;
    QLabel* speedLabel_;
};

}  // namespace corvane
