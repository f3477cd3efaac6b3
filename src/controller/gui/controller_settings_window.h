// The controller settings window FormController ("Controller Settings"): which machine the
// program drives (the parallel port, or a GRBL-family controller on a serial port from the list
// the system gives, with its baud rate), how the controller switches the wire (spindle output
// M3 S<power>/M5, or coolant M8/M9 for a relay) and whether home runs $H. Check connects and
// shows the controller and its comparison with the settings; Unlock ($X) is offered only here,
// at the operator's press. Done writes controller.txt and puts the connection in the workspace.
// It owns the connection: loaded hidden at start-up, it connects the choice of controller.txt.
// While the machine is in use, Check, Unlock and Done are refused as Device Settings' Done is.
#pragma once

#include <QWidget>
#include <memory>

#include "controller/controller_choice.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace corvane {

class Dialogs;
class Toolbar;
class Workspace;
class GrblConnection;

class ControllerSettingsWindow : public QWidget {
    Q_OBJECT
public:
    ControllerSettingsWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);
    ~ControllerSettingsWindow() override;

    // Fills the fields from a choice (nothing applied until Done).
    void showChoice(const ControllerChoice& choice);
    ControllerChoice fieldsChoice() const;
    // Makes `choice` the machine's connection and writes controller.txt.
    void apply(const ControllerChoice& choice, bool save = true);
    // Fills the port list from the system.
    void refreshPorts();
    void check();
    void unlock();

signals:
    // The machine is reached another way now (a controller, or the port again).
    void connectionChanged();

protected:
    // Shown, it places itself inside the main window as the other tool windows do.
    void showEvent(QShowEvent* event) override;

private:
    void onToolbar(int index);
    // True (after the "Machine Busy" box naming the holder) while a cut, move or script holds
    // the machine.
    [[nodiscard]] bool refuseWhileLeased();

    Workspace& ws_;
    Dialogs& dialogs_;
    std::unique_ptr<GrblConnection> connection_;
    Toolbar* toolbar_ = nullptr;
    QComboBox* port_ = nullptr;         // Combo1
    QLineEdit* baud_ = nullptr;         // Text1
    QRadioButton* spindle_ = nullptr;   // Option1
    QRadioButton* coolant_ = nullptr;   // Option2
    QLineEdit* power_ = nullptr;        // Text2
    QCheckBox* homing_ = nullptr;       // Check1
    QPlainTextEdit* report_ = nullptr;  // Text3
};

}  // namespace corvane
