#include "manual/gui/manual_control_window.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "machine/workspace.h"
#include "manual/gui/jog_speed_control.h"
#include "manual/gui/key_capture_box.h"
#include "platform/gui/toolbar.h"

namespace corvane {

ManualControlWindow::ManualControlWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : ManualWindowBase(ws, dialogs, QStringLiteral("Label1"), parent),
      picture_(new KeyCaptureBox(this)) {
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QStringLiteral("手动控制"));
    toolbar_->setButtons(
        {{QStringLiteral("Done"), {}, {}, QStringLiteral("Completed Manual Move")}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index != 1) return;
        mover_->requestStop();
        hide();
    });

    struct MoveSpec {
        const char* name;
        const char* caption;
        PairMove move;
    };
    const MoveSpec moves[] = {{"Command1", "X Axis Forward", PairMove::XForward},
                              {"Command2", "X Axis Back", PairMove::XBack},
                              {"Command3", "Y Axis Up", PairMove::YUp},
                              {"Command4", "Y Axis Down", PairMove::YDown}};
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* go = new QPushButton(QString::fromUtf8(moves[i].caption), this);
        go->setObjectName(QString::fromUtf8(moves[i].name));
        const PairMove m = moves[i].move;
        connect(go, &QPushButton::clicked, this, [this, m] { move(m); });
        auto* halt = new QPushButton(QStringLiteral("停止"), this);
        halt->setObjectName(QStringLiteral("Command%1").arg(5 + i));
        connect(halt, &QPushButton::clicked, this, &ManualControlWindow::stop);
        grid->addWidget(go, i, 0);
        grid->addWidget(halt, i, 1);
    }
    grid->addWidget(picture_, 0, 2, 4, 1);
    connect(picture_, &KeyCaptureBox::keyPressed, this, &ManualControlWindow::keyPressed);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addLayout(grid);
    layout->addWidget(speed_);
}

QWidget* ManualControlWindow::focusControl() const {
    return picture_;
}

void ManualControlWindow::move(PairMove pairMove) {
    runMove(
        [pairMove](ManualMover& mover, Workspace& ws) {
            return mover.continuousMove(ws, pairMoveByte(ws.settings.derived, pairMove));
        },
        QStringLiteral("Module 15, Move"));
}

void ManualControlWindow::stop() {
    mover_->requestStop();
    picture_->setFocus(Qt::OtherFocusReason);
}

void ManualControlWindow::keyPressed(int key) {
    switch (key) {
        case Qt::Key_Left:
            move(PairMove::XForward);
            break;
        case Qt::Key_Right:
            move(PairMove::XBack);
            break;
        case Qt::Key_Up:
            move(PairMove::YUp);
            break;
        case Qt::Key_Down:
            move(PairMove::YDown);
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
