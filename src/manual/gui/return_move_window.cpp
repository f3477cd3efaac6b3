#include "manual/gui/return_move_window.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "common/run_error.h"
#include "machine/controller_connection.h"
#include "machine/position.h"
#include "machine/workspace.h"
#include "manual/gui/jog_speed_control.h"
#include "manual/gui/key_capture_box.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

ReturnMoveWindow::ReturnMoveWindow(Workspace& ws, Dialogs& dialogs, PlanTarget target,
                                   QWidget* parent)
    : ManualWindowBase(ws, dialogs, QStringLiteral("Label1"), parent),
      target_(target),
      picture_(new KeyCaptureBox(this)) {
    const PlanVariant& v = planVariant(target);
    setObjectName(QString::fromUtf8(v.windowName));
    setWindowTitle(QString::fromUtf8(v.windowCaption));
    keepTitleWhole(*this);  // "Move to WayPoint #1" in full, not elided by the title bar
    toolbar_->setButtons({{QStringLiteral("Done"), {}, {}, QStringLiteral("Done and Close")}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index == 1) done();
    });

    auto* start = new QPushButton(QString::fromUtf8(v.startCaption), this);
    start->setObjectName(QStringLiteral("Command1"));
    connect(start, &QPushButton::clicked, this, &ReturnMoveWindow::runPlan);
    auto* halt = new QPushButton(QStringLiteral("停止"), this);
    halt->setObjectName(QStringLiteral("Command5"));
    connect(halt, &QPushButton::clicked, this, &ReturnMoveWindow::stop);
    connect(picture_, &KeyCaptureBox::keyPressed, this, &ReturnMoveWindow::keyPressed);

    auto* grid = new QGridLayout;
    grid->addWidget(start, 0, 0);
    grid->addWidget(halt, 1, 0);
    grid->addWidget(picture_, 0, 1, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addLayout(grid);
    layout->addWidget(speed_);
}

QWidget* ReturnMoveWindow::focusControl() const {
    return picture_;
}

void ReturnMoveWindow::runPlan() {
    if (mover_->moving()) return;
    // The bytes stored now; a planning command during the run replaces the program's plan
    // but not the one this run plays.
    const std::vector<uint8_t> plan = ws_.movePlan.bytes;
    if (!plan.empty() && jogSpeedIsZero(ws_)) {
        refuseZeroSpeed();
        return;
    }
    const PlanVariant& v = planVariant(target_);
    const bool home = target_ == PlanTarget::Home;
    runMove(
        [&plan, &v, home](ManualMover& mover, Workspace& ws) {
            ws.setStatus(2, v.runStartStatus);
            // A controller with homing switches finds home by its own cycle, not by counting.
            if (home && ws.controller != nullptr) {
                mover.clearStop();
                const auto homed = ws.controller->homingCycle(
                    [&mover] { return mover.stopFlag() != 0; }, ws.yield,
                    [&ws](const ControllerProgress& p) {
                        char text[160];
                        std::snprintf(text, sizeof text,
                                      "Homing ($H): %s, X1 %.3f Y1 %.3f X2 %.3f Y2 %.3f",
                                      p.state.c_str(), p.position[0], p.position[1], p.position[2],
                                      p.position[3]);
                        ws.setStatus(2, text);
                    });
                if (homed) {
                    if (homed->positionLost) {
                        ws.position.HomeSet = false;
                        ws.setStatus(1, positionStatusText(ws.position));
                    }
                    if (!homed->error.empty()) {
                        ws.setStatus(2, homed->error);
                        return MoveOutcome::Stopped;
                    }
                    ws.position.Position = AxisPosition{};
                    ws.setStatus(1, positionStatusText(ws.position));
                    ws.setStatus(2, v.runEndStatus);
                    return MoveOutcome::Completed;
                }
            }
            const MoveOutcome outcome = mover.runPlan(ws, plan);
            ws.setStatus(2, v.runEndStatus);
            return outcome;
        },
        QStringLiteral("%1, Run").arg(
            QString::fromUtf8(v.windowName)
                .replace(QStringLiteral("Form"), QStringLiteral("Module "))));
}

void ReturnMoveWindow::stop() {
    mover_->requestStop();
    picture_->setFocus(Qt::OtherFocusReason);
}

void ReturnMoveWindow::done() {
    mover_->requestStop();
    hide();
    ws_.setStatus(2, std::string());
}

void ReturnMoveWindow::keyPressed(int key) {
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
            runPlan();
            break;
        case Qt::Key_Clear:   // keypad 5
        case Qt::Key_Escape:  // the same on a keyboard without a keypad
            stop();
            break;
        default:
            break;
    }
}

}  // namespace corvane
