// Form4 "两轴同控": moves both X axes or both Y axes together by a typed distance, keeping the
// wire parallel, with Stop and Done on its toolbar and the shared JogSpeed slider.
#pragma once

#include "manual/gui/manual_window_base.h"
#include "manual/jog_moves.h"

class QLineEdit;

namespace corvane {

class PairJogWindow : public ManualWindowBase {
    Q_OBJECT
public:
    PairJogWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // The button's distance move (Command2 ... Command5 call this).
    void move(PairMove pairMove);

protected:
    QWidget* focusControl() const override;

private:
    void toolbarClicked(int index);

    QLineEdit* fields_[2] = {};
};

}  // namespace corvane
