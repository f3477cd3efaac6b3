// The planning commands of the main window's "起点控制" menu (ReturnHome, MoveWayPoint1,
// MoveWayPoint2): check home, plan from the counted position with the status texts of panel 2,
// then open the variant's window. The three windows are made here on first use.
#pragma once

#include <array>

#include "manual/move_plan.h"

class QWidget;

namespace corvane {

class Dialogs;
class ReturnMoveWindow;
class Workspace;

class ReturnMoveCommands {
public:
    // `mainWindow` parents the three windows and shows the hourglass while planning.
    ReturnMoveCommands(Workspace& ws, Dialogs& dialogs, QWidget* mainWindow);

    // The menu items; each returns true when the plan was built and its window opened.
    bool returnHome() { return plan(PlanTarget::Home); }
    bool moveWayPoint1() { return plan(PlanTarget::WayPoint1); }
    bool moveWayPoint2() { return plan(PlanTarget::WayPoint2); }
    bool plan(PlanTarget target);

    // The variant's window (Form16, Form17, Form18), made on first use.
    ReturnMoveWindow& window(PlanTarget target);
    // The window if it was made already, else null.
    ReturnMoveWindow* existingWindow(PlanTarget target) const;
    // Stops every running return move (the program's shut-down).
    void stopAll();

private:
    Workspace& ws_;
    Dialogs& dialogs_;
    QWidget* mainWindow_;
    std::array<ReturnMoveWindow*, 3> windows_{};
};

}  // namespace corvane
