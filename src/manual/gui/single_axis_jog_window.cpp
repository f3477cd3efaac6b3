#include "manual/gui/single_axis_jog_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "machine/workspace.h"
#include "manual/gui/jog_speed_control.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {

struct JogButton {
    const char* name;
    const char* caption;
    AxisMove move;
};

const JogButton kButtons[] = {
    {"Command2", "后退", AxisMove::X1Back}, {"Command3", "向前", AxisMove::X1Forward},
    {"Command4", "上", AxisMove::Y1Up},     {"Command5", "下", AxisMove::Y1Down},
    {"Command6", "后退", AxisMove::X2Back}, {"Command7", "向前", AxisMove::X2Forward},
    {"Command8", "上", AxisMove::Y2Up},     {"Command9", "下", AxisMove::Y2Down},
};

const char* const kAxisNames[] = {"X1", "Y1", "X2", "Y2"};

}  // namespace

SingleAxisJogWindow::SingleAxisJogWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : ManualWindowBase(ws, dialogs, QStringLiteral("Label12"), parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("单轴手动控制"));
    toolbar_->setButtons({{QStringLiteral("Stop"), {}, {}, QStringLiteral("Stop Movement")},
                          {QStringLiteral("Done"), {}, {}, QStringLiteral("Done")}});
    connect(toolbar_, &Toolbar::buttonClicked, this, &SingleAxisJogWindow::toolbarClicked);

    auto* grid = new QGridLayout;
    for (int axis = 0; axis < 4; ++axis) {
        auto* name = new QLabel(QString::fromUtf8(kAxisNames[axis]), this);
        auto* travel = new QLabel(QStringLiteral("Travel in mm"), this);
        fields_[axis] = new QLineEdit(QStringLiteral("1"), this);
        fields_[axis]->setObjectName(QStringLiteral("Text%1").arg(axis + 1));
        grid->addWidget(name, axis, 0);
        grid->addWidget(fields_[axis], axis, 1);
        grid->addWidget(travel, axis, 2);
        for (int k = 0; k < 2; ++k) {
            const JogButton& entry = kButtons[axis * 2 + k];
            auto* button = new QPushButton(QString::fromUtf8(entry.caption), this);
            button->setObjectName(QString::fromUtf8(entry.name));
            const AxisMove m = entry.move;
            connect(button, &QPushButton::clicked, this, [this, m] { move(m); });
            grid->addWidget(button, axis, 3 + k);
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addLayout(grid);
    layout->addWidget(speed_);
}

QWidget* SingleAxisJogWindow::focusControl() const {
    return speed_->slider();
}

QLineEdit* SingleAxisJogWindow::field(AxisMove axisMove) const {
    return fields_[static_cast<int>(axisMove) / 2];
}

void SingleAxisJogWindow::move(AxisMove axisMove) {
    const std::string distance = field(axisMove)->text().toStdString();
    runMove(
        [axisMove, distance](ManualMover& mover, Workspace& ws) {
            const auto& d = ws.settings.derived;
            const uint8_t byte = axisMoveByte(d, axisMove);
            return mover.distanceMove(ws, byte, distanceSteps(d.StepsPerMm, distance));
        },
        QStringLiteral("Module 3, Move"));
}

void SingleAxisJogWindow::toolbarClicked(int index) {
    if (index == 1) mover_->requestStop();
    if (index == 2) {
        mover_->requestStop();
        hide();
    }
}

}  // namespace corvane
