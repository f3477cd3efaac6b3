#include "generate/gui/wing_setup_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
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

const QString kSweepLabel = QStringLiteral("Sweep - degrees");
const QString kOffsetLabel = QStringLiteral("Root / Tip Offset");

// The planform buttons: label of Text2, window for a right panel, window for a left panel.
struct PlanformButton {
    const char* text2Label;
    const char* right;
    const char* left;
    const char* toolTip;
};
const PlanformButton kPlanformButtons[4] = {
    {"Sweep - degrees", "Form7", "Form8", "Swept Wing"},
    {"Root / Tip Offset", "right_taper", "left_taper", "Tapered Wing"},
    {"Root / Tip Offset", "right_TE_taper", "left_TE_taper", "Trailing Edge Tapered Wing"},
    {"Root / Tip Offset", "right_LE_taper", "left_LE_taper", "Leading Edge Tapered Wing"},
};

// The picture on a planform button: the panel's outline, root at the left.
QIcon planformIcon(int index) {
    QPixmap pix(72, 40);
    pix.fill(Qt::white);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 60, 140), 1.5));
    p.setBrush(QColor(200, 220, 250));
    // Root chord at x = 8, tip at x = 64, leading edge on top.
    QPolygonF shape;
    switch (index) {
        case 0:
            shape = {{8, 4}, {50, 16}, {64, 34}, {22, 36}};
            break;  // swept
        case 1:
            shape = {{8, 4}, {64, 12}, {64, 30}, {8, 36}};
            break;  // tapered
        case 2:
            shape = {{8, 4}, {64, 4}, {64, 24}, {8, 36}};
            break;  // trailing edge taper
        default:
            shape = {{8, 4}, {64, 16}, {64, 36}, {8, 36}};
            break;  // leading edge taper
    }
    p.drawPolygon(shape);
    return QIcon(pix);
}

}  // namespace

WingSetupWindow::WingSetupWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("机翼切割 - 设置信息"));
    setWindowFlag(Qt::Window);

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons(
        {{QStringLiteral("Tapered Wing"), {}, {}, QStringLiteral("Tapered Wing Setup")},
         {QStringLiteral("Constant Cord Wing"), {}, {}, QStringLiteral("Constant Cord Wing Setup")},
         {QStringLiteral("Done"), {}, {}, {}}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index == 1) setTaperedMode();
        if (index == 2) setConstantChordMode();
        if (index == 3) hide();
    });

    // Tapered wing.
    frame1_ = new QGroupBox(QStringLiteral("Tapered Wing Setup"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    auto* g1 = new QGridLayout(frame1_);
    const QString speed = QStringLiteral("切割速度 - 毫米/秒");
    addBox(frame1_, g1, 0, 1, speed);
    addBox(frame1_, g1, 1, 2, kOffsetLabel);
    text2Label_ = frame1_->findChild<QLabel*>(QStringLiteral("Label2"));
    addBox(frame1_, g1, 2, 3, QStringLiteral("翼根弦长计算值 - 毫米"));
    addBox(frame1_, g1, 3, 4, QStringLiteral("翼尖弦长计算值 - 毫米"));
    addBox(frame1_, g1, 4, 5, QStringLiteral("成品翼展 - 毫米"));
    addBox(frame1_, g1, 5, 6, QStringLiteral("成品翼根弦长 - 毫米"));
    addBox(frame1_, g1, 6, 7, QStringLiteral("成品翼尖弦长 - 毫米"));
    addBox(frame1_, g1, 7, 8, QStringLiteral("Foam Blank Depth"));
    addBox(frame1_, g1, 8, 9, QStringLiteral("Foam Blank Width"));
    command1_ = new QPushButton(QStringLiteral("设置完成"), frame1_);
    command1_->setObjectName(QStringLiteral("Command1"));
    g1->addWidget(command1_, 9, 0, 1, 2);

    // Which half, and the planform buttons.
    frame3_ = new QGroupBox(this);
    frame3_->setObjectName(QStringLiteral("Frame3"));
    auto* v3 = new QVBoxLayout(frame3_);
    option1_ = new QRadioButton(QStringLiteral("Right Wing Panel"), frame3_);
    option1_->setObjectName(QStringLiteral("Option1"));
    option2_ = new QRadioButton(QStringLiteral("左机翼面板"), frame3_);
    option2_->setObjectName(QStringLiteral("Option2"));
    option1_->setChecked(true);
    v3->addWidget(option1_);
    v3->addWidget(option2_);

    planformLabel_ = new QLabel(QStringLiteral("选择机翼类型"), this);
    planformLabel_->setObjectName(QStringLiteral("Label16"));
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("Command%1").arg(6 + i));
        b->setIcon(planformIcon(i));
        b->setIconSize(QSize(72, 40));
        b->setToolTip(QString::fromUtf8(kPlanformButtons[i].toolTip));
        connect(b, &QPushButton::clicked, this, [this, i] { openPlanform(6 + i); });
        planformButtons_[i] = b;
        buttons->addWidget(b);
    }

    // Constant chord wing.
    frame2_ = new QGroupBox(QStringLiteral("矩形机翼设置"), this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    auto* g2 = new QGridLayout(frame2_);
    constantChordLabel_ = new QLabel(QStringLiteral("Constant Cord Wing"), frame2_);
    constantChordLabel_->setObjectName(QStringLiteral("Label17"));
    g2->addWidget(constantChordLabel_, 0, 0, 1, 2);
    addBox(frame2_, g2, 1, 10, speed);
    addBox(frame2_, g2, 2, 11, QStringLiteral("Panel Span - mm"));
    addBox(frame2_, g2, 3, 12, QStringLiteral("成品翼根弦长 - 毫米"));
    addBox(frame2_, g2, 4, 13, QStringLiteral("成品翼尖弦长 - 毫米"));
    addBox(frame2_, g2, 5, 14, QStringLiteral("Foam Blank Depth"));
    addBox(frame2_, g2, 6, 15, QStringLiteral("Foam Blank Width"));
    command2_ = new QPushButton(QStringLiteral("设置完成"), frame2_);
    command2_->setObjectName(QStringLiteral("Command2"));
    g2->addWidget(command2_, 7, 0, 1, 2);
    g2->setRowStretch(8, 1);

    // The kerf by material and speed, for the generation that follows this setup.
    auto* materials = new QPushButton(QStringLiteral("材料与切缝..."), this);
    materials->setObjectName(QStringLiteral("Command10"));
    connect(materials, &QPushButton::clicked, this, &WingSetupWindow::openMaterials);

    auto* right = new QVBoxLayout;
    right->addWidget(frame3_);
    right->addWidget(planformLabel_);
    right->addLayout(buttons);
    right->addWidget(frame2_, 1);
    right->addWidget(materials);
    auto* body = new QHBoxLayout;
    body->addWidget(frame1_, 1);
    body->addLayout(right, 1);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 0, 4, 4);
    top->addWidget(toolbar_);
    top->addLayout(body);

    connect(command1_, &QPushButton::clicked, this, &WingSetupWindow::confirmTapered);
    connect(command2_, &QPushButton::clicked, this, &WingSetupWindow::confirmConstantChord);
    for (int n : {1, 10}) {
        QLineEdit* box = text(n);
        connect(box, &QLineEdit::textChanged, this, [this, box] { limitCutSpeedBox(*box, ws_); });
    }
    connect(text(12), &QLineEdit::textChanged, this, &WingSetupWindow::mirrorConstantChord);
    connect(text(11), &QLineEdit::textChanged, this, &WingSetupWindow::mirrorConstantSpan);

    setTaperedMode();
}

WingSetupWindow::~WingSetupWindow() {
    for (auto& [name, window] : planforms_)
        if (window && window->parent() != this) delete window.data();
}

QLineEdit* WingSetupWindow::addBox(QWidget* frame, QGridLayout* grid, int row, int number,
                                   const QString& label) {
    auto* l = new QLabel(label, frame);
    l->setObjectName(QStringLiteral("Label%1").arg(number));
    auto* box = new QLineEdit(frame);
    box->setObjectName(QStringLiteral("Text%1").arg(number));
    // Calculated chords and spans run to four digits and two decimals.
    box->setMinimumWidth(widthToShow(*box, QStringLiteral("1234.56")));
    l->setBuddy(box);
    grid->addWidget(l, row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

QLineEdit* WingSetupWindow::text(int number) const {
    return findChild<QLineEdit*>(QStringLiteral("Text%1").arg(number));
}

void WingSetupWindow::setTaperedMode() {
    command1_->setEnabled(true);
    command2_->setEnabled(false);
    frame1_->setEnabled(true);
    frame2_->setEnabled(false);
    planformLabel_->setVisible(true);
    constantChordLabel_->setVisible(false);
    for (QPushButton* b : planformButtons_) b->setEnabled(true);
    frame3_->setVisible(true);
    option1_->setVisible(true);
    option2_->setVisible(true);
}

void WingSetupWindow::setConstantChordMode() {
    command1_->setEnabled(false);
    command2_->setEnabled(true);
    frame1_->setEnabled(false);
    frame2_->setEnabled(true);
    planformLabel_->setVisible(false);
    constantChordLabel_->setVisible(true);
    for (QPushButton* b : planformButtons_) b->setEnabled(false);
    frame3_->setVisible(false);
    option1_->setVisible(false);
    option2_->setVisible(false);
}

bool WingSetupWindow::isTaperedMode() const {
    return frame1_->isEnabled();
}

void WingSetupWindow::mirrorConstantChord() {
    const QString chord = text(12)->text();
    text(14)->setText(chord);
    text(13)->setText(chord);
    if (ws_.settings.fields.oversize_foam != 1) return;
    try {
        double depth =
            leadingNumber(chord.toStdString()) + ws_.settings.derived.BlankDepthMm.toDouble();
        text(14)->setText(QString::fromStdString(formatDouble(depth)));
    } catch (const RunError&) {
    }
}

void WingSetupWindow::mirrorConstantSpan() {
    const QString span = text(11)->text();
    if (ws_.settings.fields.oversize_foam != 1) {
        text(15)->setText(span);
        return;
    }
    try {
        double width =
            leadingNumber(span.toStdString()) + ws_.settings.derived.BlankWidthMm.toDouble();
        text(15)->setText(QString::fromStdString(formatDouble(width)));
    } catch (const RunError&) {
        text(15)->setText(span);
    }
}

void WingSetupWindow::confirmTapered() {
    hide();
    if (!frame1_->isEnabled()) return;
    // The root of a left panel lies at the right tower.
    const bool left = option2_->isChecked();
    storeSetupValues(ws_, dialogs_, *text(1), *text(left ? 4 : 3), *text(left ? 3 : 4),
                     QStringLiteral("Module 6, Command1"));
}

void WingSetupWindow::confirmConstantChord() {
    hide();
    if (!frame2_->isEnabled()) return;
    storeSetupValues(ws_, dialogs_, *text(10), *text(12), *text(13),
                     QStringLiteral("Module 6, Command2"));
}

void WingSetupWindow::openPlanform(int command) {
    if (command < 6 || command > 9) return;
    const PlanformButton& b = kPlanformButtons[command - 6];
    text2Label_->setText(QString::fromUtf8(b.text2Label));
    PlanformWindow* w = planformWindow(option2_->isChecked() ? b.left : b.right);
    if (w) w->showAndActivate();
}

void WingSetupWindow::openMaterials() {
    MaterialsWindow::openIn(ws_, dialogs_, parentWidget() ? parentWidget() : this);
}

PlanformWindow* WingSetupWindow::planformWindow(std::string_view name) {
    if (auto it = planforms_.find(name); it != planforms_.end() && it->second) return it->second;
    const PlanformWindowInfo* info = findPlanformWindow(name);
    if (!info || info->foam) return nullptr;
    // Parented to the main window like every tool window; to this one when there is none.
    QWidget* owner = parentWidget() ? parentWidget() : this;
    auto* w = new PlanformWindow(name, ws_, dialogs_, owner);
    w->setDoneTarget(this);
    const std::string twin(info->twin);
    w->setTwinProvider([this, twin] { return planformWindow(twin); });
    planforms_[std::string(name)] = w;
    return w;
}

void WingSetupWindow::showAndActivate() {
    show();
    placeInFrame(*this);
    raise();
    activateWindow();
}

bool WingSetupWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) placeInFrame(*this);
    return QWidget::event(event);
}

}  // namespace corvane
