#include "manual/gui/pair_jog_window.h"

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
    PairMove move;
};

const JogButton kButtons[] = {
    {"Command2", "后退", PairMove::XBack},
    {"Command3", "向前", PairMove::XForward},
    {"Command4", "上", PairMove::YUp},
    {"Command5", "下", PairMove::YDown},
};

}  // namespace

PairJogWindow::PairJogWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : ManualWindowBase(ws, dialogs, QStringLiteral("Label6"), parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("两轴同控"));
    toolbar_->setButtons({{QStringLiteral("Stop"), {}, {}, QStringLiteral("Stop Movement")},
                          {QStringLiteral("Done"), {}, {}, QStringLiteral("Done")}});
    connect(toolbar_, &Toolbar::buttonClicked, this, &PairJogWindow::toolbarClicked);

    auto* grid = new QGridLayout;
    const char* const axisNames[] = {"X", "Y"};
    for (int row = 0; row < 2; ++row) {
        fields_[row] = new QLineEdit(QStringLiteral("1"), this);
        fields_[row]->setObjectName(QStringLiteral("Text%1").arg(row + 1));
        grid->addWidget(new QLabel(QString::fromUtf8(axisNames[row]), this), row, 0);
        grid->addWidget(fields_[row], row, 1);
        grid->addWidget(new QLabel(QStringLiteral("Travel in mm"), this), row, 2);
        for (int k = 0; k < 2; ++k) {
            const JogButton& entry = kButtons[row * 2 + k];
            auto* button = new QPushButton(QString::fromUtf8(entry.caption), this);
            button->setObjectName(QString::fromUtf8(entry.name));
            const PairMove m = entry.move;
            connect(button, &QPushButton::clicked, this, [this, m] { move(m); });
            grid->addWidget(button, row, 3 + k);
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addLayout(grid);
    layout->addWidget(speed_);
}

QWidget* PairJogWindow::focusControl() const {
    return speed_->slider();
}

void PairJogWindow::move(PairMove pairMove) {
    QLineEdit* field =
        fields_[pairMove == PairMove::XBack || pairMove == PairMove::XForward ? 0 : 1];
    const std::string distance = field->text().toStdString();
    runMove(
        [pairMove, distance](ManualMover& mover, Workspace& ws) {
            const auto& d = ws.settings.derived;
            const uint8_t byte = pairMoveByte(d, pairMove);
            return mover.distanceMove(ws, byte, distanceSteps(d.StepsPerMm, distance));
        },
        QStringLiteral("Module 4, Move"));
}

void PairJogWindow::toolbarClicked(int index) {
    if (index == 1) mover_->requestStop();
    if (index == 2) {
        mover_->requestStop();
        hide();
    }
}

}  // namespace corvane
