// Form16 "返回起点坐标", Form17 "Move to WayPoint #1", Form18 "Move to WayPoint #2": one window
// design that plays the program-wide move plan from tick 1 at JogSpeed, started by Command1 or
// an arrow key on Picture1, stopped by Command5 or the Clear key.
#pragma once

#include "manual/gui/manual_window_base.h"
#include "manual/move_plan.h"

namespace corvane {

class KeyCaptureBox;

class ReturnMoveWindow : public ManualWindowBase {
    Q_OBJECT
public:
    ReturnMoveWindow(Workspace& ws, Dialogs& dialogs, PlanTarget target, QWidget* parent = nullptr);

    PlanTarget target() const { return target_; }

    // Command1 and the arrow keys: run the plan stored now, from its first tick.
    void runPlan();
    // Command5 and the Clear key.
    void stop();
    // Toolbar "Done": stop, hide, clear panel 2.
    void done();

    KeyCaptureBox* picture() const { return picture_; }

protected:
    QWidget* focusControl() const override;

private:
    void keyPressed(int key);

    PlanTarget target_;
    KeyCaptureBox* picture_;
};

}  // namespace corvane
