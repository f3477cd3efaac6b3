// What the jog and return windows share: a JogSpeed slider, one ManualMover with the window's
// stop flag, the activation routine (focus, slider, placement) and the handler frame around a
// move (hourglass pointer, error report under the window's label, the speed-0 refusal).
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "manual/manual_mover.h"

namespace corvane {

class Dialogs;
class JogSpeedControl;
class Toolbar;
class Workspace;

class ManualWindowBase : public QWidget {
    Q_OBJECT
public:
    // Set the stop flag: the running move, if any, ends at its next test.
    void stopMotion() { mover_->requestStop(); }
    bool isMoving() const { return mover_->moving(); }

    // What every activation does (also called from the window-activate event): focus to the
    // window's focus control, slider maximum and value, speed label, placement in the main
    // window. No timer resolution needs setting here: the waits spin.
    void activated();

    JogSpeedControl* speedControl() const { return speed_; }
    Toolbar* toolbar() const { return toolbar_; }

protected:
    ManualWindowBase(Workspace& ws, Dialogs& dialogs, const QString& speedLabelName,
                     QWidget* parent);
    // A window destroyed during its move stops it; the loop ends at its next test.
    ~ManualWindowBase() override;

    // The control that takes the focus on activation and during moves.
    virtual QWidget* focusControl() const = 0;

    // Runs one move command inside the handler frame: hourglass, focus to focusControl(), the
    // move, the speed-0 refusal or the error report under `errorLabel`. A command that arrives
    // while a move of this window runs is ignored. `move` gets the mover and the workspace and
    // must not touch the window once its loop has run: the window may be gone by then.
    using Move = std::function<MoveOutcome(ManualMover& mover, Workspace& ws)>;
    void runMove(const Move& move, const QString& errorLabel);
    // Speed 0: the clear refusal the operator sees instead of a move.
    void refuseZeroSpeed();

    bool event(QEvent* event) override;
    // Closing the main window stops the moves of its tool windows.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The close box also stops the move: a hidden window must not keep the wire moving.
    void closeEvent(QCloseEvent* event) override;

    Workspace& ws_;
    Dialogs& dialogs_;
    // Shared with the running loop, so it outlives the window if the window goes first.
    std::shared_ptr<ManualMover> mover_ = std::make_shared<ManualMover>();
    JogSpeedControl* speed_;
    Toolbar* toolbar_;
};

}  // namespace corvane
