// The set-waypoint window (Form2): four fields X1, Y1, X2, Y2 for the waypoint named by
// PositionState::WayPointTarget; Select takes the counted position, Done stores the waypoint
// and rewrites waypoint.txt with both waypoints.
#pragma once

#include <QWidget>
#include <array>

#include "platform/gui/activation_tracker.h"

class QLineEdit;

namespace corvane {

class Dialogs;
class Toolbar;
class Workspace;

class WaypointWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "Form2"; created hidden.
    WaypointWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // SetWayPoint1/2: the caller sets ws.position.WayPointTarget (1 or 2), checks HomeSet, then
    // calls this: shows modeless and runs the activation (caption, fields from the waypoint).
    void showAndActivate();
    // The activation steps alone: caption "Set WayPoint #n", the four fields from the stored
    // waypoint (shortest form), placement. Runs on every activation of the window.
    void activated();

    // The toolbar's buttons: 1 "Select", 2 "Reset", 3 "Done".
    void select();
    void reset();
    // Stores the fields into the target waypoint and rewrites waypoint.txt. False (window stays
    // open, nothing stored from a bad field) when a field holds no number or the file cannot be
    // written.
    bool done();

protected:
    bool event(QEvent* event) override;

private:
    void onToolbar(int index);
    void noHome();

    Workspace& ws_;
    Dialogs& dialogs_;
    Toolbar* toolbar_ = nullptr;
    std::array<QLineEdit*, 4> fields_{};
    ActivationTracker activation_;
};

}  // namespace corvane
