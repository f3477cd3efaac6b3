#include "generate/gui/foam_setup_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/fixed_point.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/gui/materials_window.h"
#include "generate/gui/planform_window.h"
#include "generate/gui/setup_boxes.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {

constexpr int kConcentric = 1, kEccentric = 2, kNonTapered = 3, kDone = 4;
const char* const kPlanformNames[2] = {"concentric", "eccentric"};

// The boxes from top to bottom: number, label, calculated (red) or entered (white).
struct BoxRow {
    int number;
    const char* label;
    bool calculated;
};
const BoxRow kRows[] = {
    {10, "切割速度 - 毫米/秒", false},
    {11, "Offset  - mm", false},
    {2, "X1 Calculated Horizontal Distance of Shape  - mm", true},
    {3, "X2 Calculated Horizontal Distance of Shape  - mm", true},
    {4, "X1 Desired Horizontal Distance of Shape  - mm", false},
    {5, "X2 Desired Horizontal Distance of Shape  - mm", false},
    {6, "Desired Part Span  - mm", false},
    {14, "Foam Blank Depth", false},
    {1, "Foam Blank Width", false},
};

QString show2(Fixed4 value) {
    return QString::fromStdString(formatTwoDecimals(value.toDouble()));
}

}  // namespace

FoamSetupWindow::FoamSetupWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("泡沫切割 - 设置信息"));
    setWindowFlag(Qt::Window);

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons(
        {{QStringLiteral("Concentric Cut"), {}, {}, QStringLiteral("Setup Concentric Cut")},
         {QStringLiteral("Eccentric Cut"), {}, {}, QStringLiteral("Setup Eccentric Cut")},
         {QStringLiteral("Non-tapered Cut"), {}, {}, {}},
         {QStringLiteral("Done"), {}, {}, {}}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index == kConcentric) openPlanform(kPlanformNames[0]);
        if (index == kEccentric) openPlanform(kPlanformNames[1]);
        if (index == kNonTapered) nonTaperedCut();
        if (index == kDone) hide();
    });

    auto* grid = new QGridLayout;
    int row = 0;
    for (const BoxRow& r : kRows) {
        auto* label = new QLabel(QString::fromUtf8(r.label), this);
        label->setObjectName(QStringLiteral("Label%1").arg(r.number));
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text%1").arg(r.number));
        if (r.calculated)
            box->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid red; }"));
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        ++row;
    }
    auto* command2 = new QPushButton(QStringLiteral("设置完成"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    connect(command2, &QPushButton::clicked, this, &FoamSetupWindow::confirm);
    // The kerf by material and speed, for the generation that follows this setup.
    auto* command3 = new QPushButton(QStringLiteral("材料与切缝..."), this);
    command3->setObjectName(QStringLiteral("Command3"));
    connect(command3, &QPushButton::clicked, this, &FoamSetupWindow::openMaterials);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(toolbar_);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("红色方框内为计算结果"), this));
    layout->addWidget(
        new QLabel(QStringLiteral("2. White boxes require user to enter a value"), this));
    layout->addWidget(command3);
    layout->addWidget(command2);

    QLineEdit* speed = text(10);
    connect(speed, &QLineEdit::textChanged, this, [this, speed] { limitCutSpeedBox(*speed, ws_); });
}

FoamSetupWindow::~FoamSetupWindow() {
    for (auto& window : planforms_)
        if (window && window->parent() != this) delete window.data();
}

QLineEdit* FoamSetupWindow::text(int number) const {
    return findChild<QLineEdit*>(QStringLiteral("Text%1").arg(number));
}

PlanformWindow* FoamSetupWindow::planformWindow(std::string_view name) {
    for (int i = 0; i < 2; ++i) {
        if (name != kPlanformNames[i]) continue;
        if (!planforms_[i]) {
            // Parented to the main window like every tool window; to this one when there is none.
            QWidget* owner = parentWidget() ? parentWidget() : this;
            planforms_[i] = new PlanformWindow(name, ws_, dialogs_, owner);
            planforms_[i]->setDoneTarget(this);
        }
        return planforms_[i];
    }
    return nullptr;
}

void FoamSetupWindow::openPlanform(std::string_view name) {
    if (PlanformWindow* w = planformWindow(name)) w->showAndActivate();
}

std::optional<double> FoamSetupWindow::askPositive(const QString& title, const QString& prompt,
                                                   const QString& invalid) {
    for (;;) {
        const std::optional<QString> answer = dialogs_.input(prompt, title, QStringLiteral("1"));
        if (!answer || answer->isEmpty()) return std::nullopt;
        // The whole answer must be the number ("300mm" is not), and one the sizes can hold.
        std::optional<double> value;
        try {
            const std::string text = answer->toStdString();
            if (isWholeNumberText(text)) value = leadingNumberIfAny(text);
            if (value) static_cast<void>(Fixed4::fromDouble(*value));
        } catch (const RunError&) {  // too large to read or to hold is no valid size either
            value.reset();
        }
        if (value && *value > 0) return value;
        dialogs_.message(invalid);
    }
}

void FoamSetupWindow::nonTaperedCut() {
    text(11)->setText(QStringLiteral("0"));
    const std::optional<double> h = askPositive(
        QStringLiteral("Horizontal Cut Distance"),
        QStringLiteral("Enter the desired horizontal cut distance."),
        QStringLiteral("Invalid entry, Horizontal size must be a number greater than 0"));
    if (!h) return;
    const std::optional<double> p = askPositive(
        QStringLiteral("Part Span"), QStringLiteral("Enter the desired span of the part."),
        QStringLiteral("Invalid entry, Part span size must be a number greater than 0"));
    if (!p) return;
    try {
        const Fixed4 size = Fixed4::fromDouble(*h);
        const Fixed4 span = Fixed4::fromDouble(*p);
        const bool oversize = ws_.settings.fields.oversize_foam == 1;
        const DerivedSettings& d = ws_.settings.derived;
        for (int n : {2, 3, 4, 5}) text(n)->setText(show2(size));
        text(6)->setText(show2(span));
        text(14)->setText(show2(oversize ? size + d.BlankDepthMm : size));
        text(1)->setText(show2(oversize ? span + d.BlankWidthMm : span));
    } catch (const RunError& e) {  // a size beyond the fixed-point range
        reportError(dialogs_, e, QStringLiteral("Module 12, Toolbar"));
    }
}

void FoamSetupWindow::openMaterials() {
    MaterialsWindow::openIn(ws_, dialogs_, parentWidget() ? parentWidget() : this);
}

void FoamSetupWindow::confirm() {
    hide();
    storeSetupValues(ws_, dialogs_, *text(10), *text(2), *text(3),
                     QStringLiteral("Module 12, Command2"));
}

void FoamSetupWindow::showAndActivate() {
    show();
    placeInFrame(*this);
    raise();
    activateWindow();
}

bool FoamSetupWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) placeInFrame(*this);
    return QWidget::event(event);
}

}  // namespace corvane
