// The cut window's controls on a controller instead of the port: Begin Cut streams the working
// set, the slider becomes the feed override (its speed over the speed the stream was planned
// at), Pause is feed hold until the box is confirmed, Stop is feed hold then soft reset, the
// wire button sends the wire code while idle and Stop while streaming, and Percent Complete and
// a status line follow the lines acknowledged and the status reports.
#pragma once

#include <QString>
#include <functional>

#include "common/fixed_point.h"
#include "machine/controller_connection.h"

class QLabel;
class QWidget;

namespace corvane {

class Dialogs;
class Toolbar;
class Workspace;

class ControllerCutDriver {
public:
    ControllerCutDriver(Workspace& ws, Dialogs& dialogs, QWidget* window, Toolbar& toolbar,
                        QLabel& percent, QLabel& status)
        : ws_(ws),
          dialogs_(dialogs),
          window_(window),
          toolbar_(toolbar),
          percent_(percent),
          status_(status) {}

    // Called with each finished profile segment's end point (2..P), as the port runner's.
    std::function<void(int segmentEnd)> onSegmentDone;

    bool active() const;  // a controller is chosen
    bool wireOn() const { return wireOn_; }
    bool running() const { return running_; }
    void begin(double pauseMs);
    void stop();
    void pause();
    void speedChanged();
    void switchWire();
    void windowClosing();

private:
    void show(const ControllerProgress& p);
    void followPosition(const ControllerCutResult& result);

    Workspace& ws_;
    Dialogs& dialogs_;
    QWidget* window_;
    Toolbar& toolbar_;
    QLabel& percent_;
    QLabel& status_;
    bool running_ = false;
    bool wireOn_ = false;
    Fixed4 plannedSpeed_;
    ControllerControls controls_;
    QString speedNote_;
    int segmentsMarked_ = 0;
};

// Begin Cut on a controller: the machine's lease for the window, the pause length from Text1,
// then the stream (with the wire on when the operator has switched it on).
void beginControllerCut(ControllerCutDriver& driver, QWidget& window, Workspace& ws,
                        Dialogs& dialogs, const QString& pauseText);

}  // namespace corvane
