#include "generate/gui/planform_window.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "common/number_text.h"
#include "generate/gui/planform_diagram.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {

const PlanformWindowInfo& lookUp(std::string_view name) {
    const PlanformWindowInfo* info = findPlanformWindow(name);
    if (!info) throw std::invalid_argument("unknown planform window " + std::string(name));
    return *info;
}

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

// The boxes listed beside the drawing, in order (the others sit on the drawing).
const std::vector<std::string_view> kListedBoxes{"Text9",  "Text10", "Text11", "Text14",
                                                 "Text12", "Text13", "Text7",  "Text8"};

}  // namespace

PlanformWindow::PlanformWindow(std::string_view name, Workspace& ws, Dialogs& dialogs,
                               QWidget* parent)
    : QWidget(parent), info_(lookUp(name)), ws_(ws), dialogs_(dialogs) {
    setObjectName(qs(info_.name));
    setWindowTitle(qs(info_.title));
    setWindowFlag(Qt::Window);

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{QStringLiteral("Calculate"), {}, {}, QStringLiteral("Calculate Values")},
                          {QStringLiteral("Done"), {}, {}, {}}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index == 1) calculate();
        if (index == 2) done();
    });

    auto* boxesGroup = new QGroupBox(this);
    auto* form = new QFormLayout(boxesGroup);
    for (auto boxName : kListedBoxes) {
        QLineEdit* b = makeBox(boxName);
        auto* label = new QLabel(labelFor(boxName), boxesGroup);
        label->setObjectName(QStringLiteral("Label_") + qs(boxName));
        label->setBuddy(b);
        form->addRow(label, b);
    }

    auto* notes = new QLabel(QStringLiteral("1. Enter Values in mm or Degrees\n"
                                            "2. Red boxes are calculated values\n"
                                            "3. White boxes require user to enter a value"),
                             this);
    notes->setObjectName(QStringLiteral("Notes"));

    diagram_ = new PlanformDiagram(info_, this);
    for (auto boxName : diagram_->boxNames()) diagram_->placeBox(boxName, makeBox(boxName));
    diagram_->setChordBoxes(box("Text12"), box("Text13"));

    auto* left = new QVBoxLayout;
    left->addWidget(boxesGroup);
    left->addWidget(notes);
    left->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(diagram_, 1);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 0, 4, 4);
    top->addWidget(toolbar_);
    top->addLayout(body);
}

QLineEdit* PlanformWindow::makeBox(std::string_view name) {
    auto* b = new QLineEdit(this);
    b->setObjectName(qs(name));
    const bool entered =
        std::find(info_.inputs.begin(), info_.inputs.end(), name) != info_.inputs.end();
    // White boxes take the operator's values; red ones show what "Calculate" worked out.
    b->setStyleSheet(entered ? QStringLiteral("QLineEdit { background: white; color: black; }")
                             : QStringLiteral("QLineEdit { background: #ff6060; color: black; }"));
    b->setProperty("calculated", !entered);
    b->setMinimumWidth(widthToShow(*b, QStringLiteral("1234.56")));
    boxes_.push_back(b);
    return b;
}

QString PlanformWindow::labelFor(std::string_view name) const {
    using K = PlanformKind;
    const K kind = info_.kind;
    const bool foam = info_.foam;
    if (name == "Text12")
        return kind == K::Concentric ? QStringLiteral("Calc. Left Side Horizontal Distance")
                                     : QStringLiteral("Calculated Root Cord");
    if (name == "Text13")
        return kind == K::Concentric ? QStringLiteral("Calc. Right Side Horizontal Distance")
                                     : QStringLiteral("Calculated Tip Cord");
    if (name == "Text7") return QStringLiteral("Foam Blank Depth");
    if (name == "Text8") return QStringLiteral("Foam Blank Width");
    if (name == "Text14") return QStringLiteral("Distance Between Cutting Towers");
    if (name == "Text9")
        return foam ? QStringLiteral("Desired Left Horizontal Distance")
                    : QStringLiteral("成品翼根弦长");
    if (name == "Text10")
        return foam ? QStringLiteral("Desired Right Horizontal Distance")
                    : QStringLiteral("成品翼尖弦长");
    if (name == "Text11") {
        if (kind == K::Swept) return QStringLiteral("Desired Sweep Angle");
        if (foam) return QStringLiteral("Offset");
        return QStringLiteral("Root / Tip Offset");
    }
    return qs(name);
}

QLineEdit* PlanformWindow::box(std::string_view name) const {
    for (QLineEdit* b : boxes_)
        if (b->objectName() == qs(name)) return b;
    return nullptr;
}

bool PlanformWindow::refuseNonNumber() {
    for (std::string_view name : info_.inputs) {
        QLineEdit* b = box(name);
        if (b == nullptr || b->text().trimmed().isEmpty()) continue;
        if (isWholeNumberText(b->text().toStdString())) continue;
        QString field = diagram_->captionOf(name);
        if (const auto* label = findChild<QLabel*>(QStringLiteral("Label_") + qs(name)))
            field = label->text();
        if (field.isEmpty()) field = qs(name);
        dialogs_.message(QStringLiteral("%1: \"%2\" is not a number. Enter millimetres or "
                                        "degrees as digits, e.g. 250 or 12.5.")
                             .arg(field, b->text()),
                         QStringLiteral("Not a Number"), MsgButtons::Ok, MsgIcon::Warning);
        b->setFocus();
        b->selectAll();
        return true;
    }
    return false;
}

void PlanformWindow::calculate() {
    if (refuseNonNumber()) return;
    BoxTexts texts;
    for (QLineEdit* b : boxes_)
        texts.emplace_back(b->objectName().toStdString(), b->text().toStdString());
    const PlanformResult result =
        calculatePlanform(info_, texts, OversizeBlank::fromSettings(ws_.settings));
    for (const FilledBox& filled : result.boxes)
        if (QLineEdit* b = box(filled.name)) b->setText(QString::fromStdString(filled.text));
    // A tower chord of 0 or less cannot be cut: said now, and Done hands nothing over.
    cannotBuild_ = !result.problems.empty();
    if (cannotBuild_) {
        QString text;
        for (const std::string& p : result.problems)
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                    QString::fromStdString(p) + QStringLiteral(".");
        dialogs_.message(text, QStringLiteral("Planform Cannot Be Built"), MsgButtons::Ok,
                         MsgIcon::Warning);
    }

    // Both halves of a wing always show the same inputs.
    if (!twin_) return;
    PlanformWindow* twin = twin_();
    if (!twin) return;
    for (auto [from, to] : info_.twinCopies) {
        QLineEdit* src = box(from);
        QLineEdit* dst = twin->box(to);
        if (src && dst) dst->setText(src->text());
    }
    twin->hide();
}

void PlanformWindow::done() {
    if (cannotBuild_) {
        dialogs_.message(QStringLiteral("The last calculation gave a tower chord of 0 or less, so "
                                        "nothing is handed to the setup window. Correct the "
                                        "boxes and press Calculate again."),
                         QStringLiteral("Planform Cannot Be Built"), MsgButtons::Ok,
                         MsgIcon::Warning);
        return;
    }
    if (doneTarget_) {
        for (auto [setupBox, ownBox] : planformHandover(info_)) {
            auto* dst = doneTarget_->findChild<QLineEdit*>(qs(setupBox));
            QLineEdit* src = box(ownBox);
            if (dst && src) dst->setText(src->text());
        }
    }
    hide();
}

void PlanformWindow::showAndActivate() {
    // As big as it asks where the screen has room, whole on the screen wherever it stands.
    if (!isVisible()) {
        resize(fitOnScreen(*this, sizeHint()));
        if (info_.placedInFrame) placeInFrame(*this);  // the window manager maps it there
    }
    show();
    if (info_.placedInFrame) {
        placeInFrame(*this);
    } else if (const QWidget* frame = frameOf(*this)) {
        move(keptOnScreen(pos(), size().grownBy(frameMarginsOf(*this)), *frame));
    }
    raise();
    activateWindow();
}

bool PlanformWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && info_.placedInFrame) placeInFrame(*this);
    return QWidget::event(event);
}

}  // namespace corvane
