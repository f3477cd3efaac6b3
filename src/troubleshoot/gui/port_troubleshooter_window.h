// The port troubleshooter ppMonitor ("Parallel Port Monitor / Troubleshooter"): the machine's
// pin assignment, the 25 pins as a drawn connector, four buttons that step the X or Y pair at
// two steps a second, "停止", and the explanation page of what is being stepped.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "platform/gui/activation_tracker.h"
#include "troubleshoot/port_troubleshooter.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTextEdit;

namespace corvane {

class Dialogs;
class PinConnector;
class Toolbar;
class Workspace;

class PortTroubleshooterWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Parallel Port Monitor / Troubleshooter";

    // objectName "ppMonitor"; created hidden.
    PortTroubleshooterWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);
    ~PortTroubleshooterWindow() override;

    void showAndActivate();
    // Labels and check boxes from the settings, JogSpeed 0.01 mm/s, the start page, the
    // indicators, placement. While stepping the step's page stays.
    void activated();

    // Command5/7/6/8: steps the pair until the stop flag is set (returns then). Refused with the
    // no-port message when the settings name no known port; ignored while already stepping.
    void step(StepPair pair);
    // Command9, Done and closing set the stop flag.
    void stop();
    bool isStepping() const { return stepper_->stepping(); }
    // Reads the 17 register pins again and repaints the connector.
    void refreshIndicators();

    // True when the live backend reaches real hardware (the screenshot tool steps only a
    // simulated port).
    bool portIsHardware() const;

    PinConnector* connector() const { return connector_; }
    QTextEdit* pageBox() const { return page_; }
    Toolbar* toolbar() const { return toolbar_; }

signals:
    // After each step's byte is out and the indicators show it (pictures, tests).
    void stepWritten();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void loadPage(const char* name);

    Workspace& ws_;
    Dialogs& dialogs_;
    // Shared with a running loop, so it outlives the window if the window goes first.
    std::shared_ptr<PortStepper> stepper_ = std::make_shared<PortStepper>();
    Toolbar* toolbar_ = nullptr;
    std::array<QLabel*, 8> pinLabels_{};
    std::array<QCheckBox*, 4> reverseBoxes_{};
    PinConnector* connector_ = nullptr;
    QTextEdit* page_ = nullptr;
    ActivationTracker activation_;
    bool readFailed_ = false;  // the last activation's read of the port failed
};

}  // namespace corvane
