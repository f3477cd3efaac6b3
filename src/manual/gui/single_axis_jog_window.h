// Form3 "单轴手动控制": moves one of the four axes by a typed distance, two buttons per axis,
// with Stop and Done on its toolbar and the shared JogSpeed slider.
#pragma once

#include "manual/gui/manual_window_base.h"
#include "manual/jog_moves.h"

class QLineEdit;
class QPushButton;

namespace corvane {

class SingleAxisJogWindow : public ManualWindowBase {
    Q_OBJECT
public:
    SingleAxisJogWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // The button's distance move (Command2 ... Command9 call this).
    void move(AxisMove axisMove);

protected:
    QWidget* focusControl() const override;

private:
    void toolbarClicked(int index);
    QLineEdit* field(AxisMove axisMove) const;

    QLineEdit* fields_[4] = {};
};

}  // namespace corvane
