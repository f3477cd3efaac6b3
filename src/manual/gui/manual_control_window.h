// Form15 "手动控制": moves both X or both Y axes for as long as the operator lets it, from four
// buttons or the arrow keys on Picture1, until one of the four "停止" buttons, the Clear key or
// Done. The cut runner opens it too (F5), so it needs nothing but the workspace and dialogs.
#pragma once

#include "manual/gui/manual_window_base.h"
#include "manual/jog_moves.h"

namespace corvane {

class KeyCaptureBox;

class ManualControlWindow : public ManualWindowBase {
    Q_OBJECT
public:
    ManualControlWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // A continuous move of the pair (Command1 ... Command4 and the arrow keys).
    void move(PairMove pairMove);
    // The "停止" buttons and the Clear key: set the stop flag, focus to Picture1.
    void stop();

    KeyCaptureBox* picture() const { return picture_; }

protected:
    QWidget* focusControl() const override;

private:
    void keyPressed(int key);

    KeyCaptureBox* picture_;
};

}  // namespace corvane
