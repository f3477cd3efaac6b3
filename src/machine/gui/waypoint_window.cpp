#include "machine/gui/waypoint_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {

const char* const kAxisNames[4] = {"X1", "Y1", "X2", "Y2"};

float& axis(AxisPosition& p, int i) {
    float* axes[4] = {&p.X1, &p.Y1, &p.X2, &p.Y2};
    return *axes[i];
}

}  // namespace

WaypointWindow::WaypointWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    setObjectName("Form2");
    setWindowFlag(Qt::Window);
    setWindowTitle("Set WayPoint #1");

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{"Select", "Select", "select", "Select Current Point"},
                          {"Reset", "Reset", "reset", "Reset Current Values"},
                          {"Done", "Done", "done", "Done and Close"}});
    connect(toolbar_, &Toolbar::buttonClicked, this, &WaypointWindow::onToolbar);

    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(kAxisNames[i], this);
        label->setObjectName(QString("Label%1").arg(i + 1));
        fields_[i] = new QLineEdit("0", this);
        fields_[i]->setObjectName(QString("Text%1").arg(i + 1));
        grid->addWidget(label, i, 0);
        grid->addWidget(fields_[i], i, 1);
    }
    auto* hint = new QLabel("Click Select to use the Current Position", this);
    hint->setObjectName("Label5");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addLayout(grid);
    layout->addWidget(hint);
}

void WaypointWindow::showAndActivate() {
    show();
    raise();
    activateWindow();
    activated();
}

void WaypointWindow::activated() {
    const int target = ws_.position.WayPointTarget;
    if (target == 1 || target == 2) {
        setWindowTitle(QString("Set WayPoint #%1").arg(target));
        AxisPosition& wp = target == 1 ? ws_.position.WayPoint1 : ws_.position.WayPoint2;
        for (int i = 0; i < 4; ++i)
            fields_[i]->setText(QString::fromStdString(formatSingle(axis(wp, i))));
    }
    placeInFrame(*this, Placement::Tool);
}

void WaypointWindow::noHome() {
    dialogs_.message(kNoHomeMessage);
    hide();
}

void WaypointWindow::select() {
    if (!ws_.position.HomeSet) return noHome();
    for (int i = 0; i < 4; ++i) {
        fields_[i]->setText(
            QString::fromStdString(formatWaypointField(axis(ws_.position.Position, i))));
    }
}

void WaypointWindow::reset() {
    for (auto* field : fields_) field->setText("0");
}

bool WaypointWindow::done() {
    if (!ws_.position.HomeSet) {
        noHome();
        return false;
    }
    const int target = ws_.position.WayPointTarget;
    if (target != 1 && target != 2) {
        hide();
        return false;
    }
    // Every field is checked before anything is stored, so a bad field stores nothing.
    std::array<float, 4> values{};
    for (int i = 0; i < 4; ++i) {
        const std::string text = fields_[i]->text().toStdString();
        const std::optional<double> typed = leadingNumberIfAny(text);
        bool ok = typed.has_value() && std::isfinite(*typed);
        if (ok) {
            try {
                values[i] = storedWaypointValue(*typed);
            } catch (const RunError&) {
                ok = false;
            }
        }
        if (!ok) {
            dialogs_.message(QString("%1 must hold a number (it holds \"%2\"). Nothing was stored.")
                                 .arg(kAxisNames[i], fields_[i]->text()));
            fields_[i]->setFocus();
            fields_[i]->selectAll();
            return false;
        }
    }
    AxisPosition& wp = target == 1 ? ws_.position.WayPoint1 : ws_.position.WayPoint2;
    for (int i = 0; i < 4; ++i) axis(wp, i) = values[i];
    try {
        saveWaypoints(ws_.file("waypoint.txt"), ws_.position);
    } catch (const std::exception& e) {
        const QString reason =
            dynamic_cast<const RunError*>(&e) != nullptr
                ? QString::fromStdString(static_cast<const RunError&>(e).description())
                : QString::fromLocal8Bit(e.what());
        dialogs_.message(QString("waypoint.txt could not be written (%1). WayPoint #%2 is set "
                                 "until the program ends but is not saved.")
                             .arg(reason)
                             .arg(target));
        return false;
    }
    hide();
    return true;
}

void WaypointWindow::onToolbar(int index) {
    if (index == 1) select();
    if (index == 2) reset();
    if (index == 3) done();
}

bool WaypointWindow::event(QEvent* event) {
    // Coming back from one of our own message boxes or file dialogs is not an activation.
    if (activation_.isActivation(this, event)) activated();
    return QWidget::event(event);
}

}  // namespace corvane
