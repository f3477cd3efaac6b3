#include "generate/gui/materials_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/gui/kerf_calibration_window.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"
#include "platform/gui/ui_language.h"

namespace corvane {

namespace {

constexpr const char* kObjectName = "FormMaterials";
constexpr int kDone = 1;
constexpr int kSpeedColumn = 0, kKerfColumn = 1, kPowerColumn = 2;

QString u(const char* text) {
    return QString::fromUtf8(text);
}
QString q(const std::string& text) {
    return QString::fromStdString(text);
}
QString number(double value) {
    return q(formatDouble(value));
}

QString title() {
    return u("材料与切缝");
}

// A cell's number: nullopt for an empty cell, NaN for text that is not one whole number.
std::optional<double> cellNumber(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    const std::string text = item ? item->text().trimmed().toStdString() : std::string();
    if (text.empty()) return std::nullopt;
    try {
        if (isWholeNumberText(text)) {
            if (const std::optional<double> v = leadingNumberIfAny(text)) return v;
        }
    } catch (const RunError&) {  // beyond a double's range is no measurement either
    }
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

MaterialsWindow::MaterialsWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    setObjectName(u(kObjectName));
    setWindowTitle(title());
    setWindowFlag(Qt::Window);

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{QStringLiteral("Done"), {}, {}, {}}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index == kDone) hide();
    });

    // Left: the materials and the one in use.
    auto* inUseCaption = new QLabel(u("使用中的材料:"), this);
    inUseCaption->setObjectName(QStringLiteral("Label1"));
    inUse_ = new QLabel(this);
    inUse_->setObjectName(QStringLiteral("Label2"));
    inUse_->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; }"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("List1"));
    list_->setMinimumWidth(180);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= static_cast<int>(table_.materials.size())) return;
        loadEditor(&table_.materials[static_cast<std::size_t>(row)]);
    });
    auto makeButton = [this](int index, const char* caption) {
        auto* b = new QPushButton(u(caption), this);
        b->setObjectName(QStringLiteral("Command%1").arg(index));
        return b;
    };
    QPushButton* useButton = makeButton(6, "设为使用中");
    QPushButton* noneButton = makeButton(7, "不使用材料");
    QPushButton* removeButton = makeButton(5, "删除材料");
    connect(useButton, &QPushButton::clicked, this, &MaterialsWindow::useSelected);
    connect(noneButton, &QPushButton::clicked, this, &MaterialsWindow::useNone);
    connect(removeButton, &QPushButton::clicked, this, &MaterialsWindow::removeMaterial);
    auto* left = new QVBoxLayout;
    auto* inUseRow = new QHBoxLayout;
    inUseRow->addWidget(inUseCaption);
    inUseRow->addWidget(inUse_, 1);
    left->addLayout(inUseRow);
    left->addWidget(list_, 1);
    auto* useRow = new QHBoxLayout;
    useRow->addWidget(useButton);
    useRow->addWidget(noneButton);
    left->addLayout(useRow);
    left->addWidget(removeButton);

    // Right: the material in the editor, its points, and what they give at the cutting speed.
    auto* nameLabel = new QLabel(u("材料名称"), this);
    nameLabel->setObjectName(QStringLiteral("Label3"));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("Text1"));
    nameLabel->setBuddy(name_);
    points_ = new QTableWidget(0, 3, this);
    points_->setObjectName(QStringLiteral("Grid1"));
    // Headers are no captions the window pass reaches: given in the window's language here.
    points_->setHorizontalHeaderLabels({translatedText(u("速度 - 毫米/秒")),
                                        translatedText(u("切缝 - 毫米")),
                                        translatedText(u("功率 (可不填)"))});
    points_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    points_->verticalHeader()->setDefaultSectionSize(points_->fontMetrics().height() + 8);
    points_->setMinimumWidth(360);
    QPushButton* addRow = makeButton(1, "添加测量点");
    QPushButton* removeRow = makeButton(2, "删除测量点");
    QPushButton* newButton = makeButton(3, "新建材料");
    QPushButton* saveButton = makeButton(4, "保存材料");
    calibrate_ = makeButton(8, "切缝标定...");
    connect(addRow, &QPushButton::clicked, this, &MaterialsWindow::addPointRow);
    connect(removeRow, &QPushButton::clicked, this, &MaterialsWindow::removePointRow);
    connect(newButton, &QPushButton::clicked, this, &MaterialsWindow::newMaterial);
    connect(saveButton, &QPushButton::clicked, this, &MaterialsWindow::saveMaterial);
    connect(calibrate_, &QPushButton::clicked, this, &MaterialsWindow::openCalibration);
    kerfAtSpeed_ = new QLabel(this);
    kerfAtSpeed_->setObjectName(QStringLiteral("Label5"));
    kerfAtSpeed_->setWordWrap(true);
    auto* note =
        new QLabel(u("测量点之间的切缝按直线插值; 超出测量范围时取最近测量点的切缝并给出警告。"
                     "功率用于控制器 (S 字), 并口只显示。"),
                   this);
    note->setObjectName(QStringLiteral("Label4"));
    note->setWordWrap(true);

    auto* right = new QGridLayout;
    right->addWidget(nameLabel, 0, 0);
    right->addWidget(name_, 0, 1, 1, 3);
    right->addWidget(points_, 1, 0, 1, 4);
    right->addWidget(addRow, 2, 0, 1, 2);
    right->addWidget(removeRow, 2, 2, 1, 2);
    right->addWidget(kerfAtSpeed_, 3, 0, 1, 4);
    right->addWidget(note, 4, 0, 1, 4);
    right->addWidget(newButton, 5, 0);
    right->addWidget(saveButton, 5, 1);
    right->addWidget(calibrate_, 5, 2, 1, 2);
    right->setRowStretch(1, 1);

    auto* body = new QHBoxLayout;
    body->addLayout(left, 2);
    body->addLayout(right, 3);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 0, 4, 4);
    top->addWidget(toolbar_);
    top->addLayout(body);
    resize(720, 420);
}

MaterialsWindow* MaterialsWindow::openIn(Workspace& ws, Dialogs& dialogs, QWidget* frame) {
    MaterialsWindow* w =
        frame ? frame->findChild<MaterialsWindow*>(u(kObjectName), Qt::FindDirectChildrenOnly)
              : nullptr;
    if (w == nullptr) w = new MaterialsWindow(ws, dialogs, frame);
    w->showAndActivate();
    return w;
}

void MaterialsWindow::showAndActivate() {
    reload();
    show();
    placeInFrame(*this);
    raise();
    activateWindow();
}

bool MaterialsWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) placeInFrame(*this);
    return QWidget::event(event);
}

void MaterialsWindow::reload() {
    const std::string keep = editing_;
    try {
        table_ = readMaterials(ws_.file(kMaterialsFileName));
        fileFault_.clear();
    } catch (const std::exception& e) {
        table_ = {};
        fileFault_ = e.what();
        refuseUnreadableFile();
    }
    showTable(keep);
}

void MaterialsWindow::showTable(const std::string& selectName) {
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const Material& m : table_.materials) {
            auto* item = new QListWidgetItem(q(m.name), list_);
            QFont f = item->font();
            f.setBold(m.name == table_.inUse);
            item->setFont(f);
        }
    }
    inUse_->setText(table_.inUse.empty() ? u("无") : q(table_.inUse));
    const Material* chosen = table_.find(selectName);
    if (chosen == nullptr) {
        loadEditor(nullptr);
        return;
    }
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(static_cast<int>(chosen - table_.materials.data()));
    loadEditor(chosen);
}

void MaterialsWindow::loadEditor(const Material* m) {
    editing_ = m ? m->name : std::string();
    name_->setText(m ? q(m->name) : QString());
    points_->setRowCount(0);
    const std::size_t rows = m ? m->points.size() : 2;  // a new material starts with two rows
    points_->setRowCount(static_cast<int>(rows));
    for (std::size_t i = 0; m && i < rows; ++i) {
        const KerfPoint& p = m->points[i];
        const int row = static_cast<int>(i);
        points_->setItem(row, kSpeedColumn, new QTableWidgetItem(number(p.speedMmS)));
        points_->setItem(row, kKerfColumn, new QTableWidgetItem(number(p.kerfMm)));
        points_->setItem(row, kPowerColumn,
                         new QTableWidgetItem(p.power ? number(*p.power) : QString()));
    }
    showKerfAtCutSpeed();
}

void MaterialsWindow::showKerfAtCutSpeed() {
    const Material* m = table_.find(editing_);
    if (m == nullptr) {
        kerfAtSpeed_->clear();
        return;
    }
    const double speed = ws_.motion.CutSpeed.toDouble();
    const KerfAtSpeed k = kerfAt(*m, speed);
    QString text = u("切割速度 %1 毫米/秒 时的切缝: %2 毫米")
                       .arg(number(speed), q(fixedDecimals(k.kerfMm, 3)));
    if (k.outside) text += QStringLiteral("\n") + u("超出测量范围, 取最近测量点的切缝");
    kerfAtSpeed_->setText(text);
}

QString MaterialsWindow::selectedName() const {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(table_.materials.size())) return QString();
    return q(table_.materials[static_cast<std::size_t>(row)].name);
}

void MaterialsWindow::newMaterial() {
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(-1);
    loadEditor(nullptr);
    name_->setFocus();
}

void MaterialsWindow::addPointRow() {
    const int row = points_->rowCount();
    points_->insertRow(row);
    points_->setCurrentCell(row, kSpeedColumn);
}

void MaterialsWindow::removePointRow() {
    const int row = points_->currentRow();
    if (row >= 0) points_->removeRow(row);
}

void MaterialsWindow::refuse(const QString& text) {
    dialogs_.message(text, title(), MsgButtons::Ok, MsgIcon::Warning);
}

bool MaterialsWindow::refuseUnreadableFile() {
    if (fileFault_.empty()) return false;
    refuse(u("materials.txt 无法读取, 为不丢失其中的内容, "
             "本窗口不写入该文件。请修正或移走该文件后重新打开本窗口。") +
           QStringLiteral("\r") + q(fileFault_));
    return true;
}

std::optional<std::vector<KerfPoint>> MaterialsWindow::editorPoints() {
    std::vector<KerfPoint> points;
    for (int row = 0; row < points_->rowCount(); ++row) {
        const std::optional<double> speed = cellNumber(*points_, row, kSpeedColumn);
        const std::optional<double> kerf = cellNumber(*points_, row, kKerfColumn);
        const std::optional<double> power = cellNumber(*points_, row, kPowerColumn);
        if (!speed && !kerf && !power) continue;  // an empty row is no point
        const bool bad = !speed || !kerf || std::isnan(*speed) || std::isnan(*kerf) ||
                         (power && std::isnan(*power));
        if (bad) {
            refuse(u("第 %1 个测量点: 速度和切缝须为数字, 功率为数字或不填。").arg(row + 1));
            return std::nullopt;
        }
        if (*speed <= 0 || *kerf < 0 || (power && *power < 0)) {
            refuse(u("第 %1 个测量点: 速度须为正数, 切缝和功率不能为负数。").arg(row + 1));
            return std::nullopt;
        }
        points.push_back({*speed, *kerf, power});
    }
    return points;
}

bool MaterialsWindow::write(const std::function<bool(MaterialTable&)>& edit, const char* handler) {
    try {
        table_ = updateMaterials(ws_.appFolder(), edit);
        return true;
    } catch (const RunError& e) {
        reportError(dialogs_, e, QStringLiteral("Module Materials, ") + u(handler));
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Materials, ") + u(handler));
    }
    reload();
    return false;
}

bool MaterialsWindow::saveMaterial() {
    if (refuseUnreadableFile()) return false;
    const std::string name = name_->text().trimmed().toStdString();
    if (name.empty()) {
        refuse(u("请填写材料名称。"));
        return false;
    }
    if (name.find('"') != std::string::npos) {
        refuse(u("材料名称不能含双引号 (\")。"));
        return false;
    }
    const std::optional<std::vector<KerfPoint>> typed = editorPoints();
    if (!typed) return false;
    if (typed->size() < 2) {
        refuse(u("一种材料至少需要两个测量点 (速度, 切缝), 现在有 %1 个。").arg(typed->size()));
        return false;
    }
    std::vector<KerfPoint> bySpeed = *typed;
    std::sort(bySpeed.begin(), bySpeed.end(),
              [](const KerfPoint& a, const KerfPoint& b) { return a.speedMmS < b.speedMmS; });
    for (std::size_t i = 1; i < bySpeed.size(); ++i) {
        if (bySpeed[i].speedMmS == bySpeed[i - 1].speedMmS) {
            refuse(u("速度 %1 毫米/秒 有两个测量点, 每个速度只能有一个。")
                       .arg(number(bySpeed[i].speedMmS)));
            return false;
        }
    }
    std::string why;
    const std::optional<Material> made = makeMaterial(name, bySpeed, why);
    if (!made) {  // the checks above cover every reason; the core's words if one slips past
        refuse(q(why));
        return false;
    }
    const std::string was = editing_;
    bool taken = false;
    const bool written = write(
        [&](MaterialTable& t) {
            // Another material of that name is not written over from here.
            if (name != was && t.find(name) != nullptr) {
                taken = true;
                return false;
            }
            auto it = std::find_if(t.materials.begin(), t.materials.end(),
                                   [&](const Material& m) { return m.name == was; });
            if (was.empty() || it == t.materials.end()) {
                t.materials.push_back(*made);
            } else {
                *it = *made;  // edited, perhaps renamed: the choice in use follows it
                if (t.inUse == was) t.inUse = name;
            }
            return true;
        },
        "Command4");
    if (taken) {
        refuse(u("已有同名材料, 请换一个名称, 或在列表中选中它再修改。") + QStringLiteral("\r") +
               q(name));
        showTable(was);
        return false;
    }
    showTable(written ? name : was);
    return written;
}

bool MaterialsWindow::removeMaterial() {
    if (refuseUnreadableFile()) return false;
    const QString chosen = selectedName();
    if (chosen.isEmpty()) {
        refuse(u("请先在列表中选中一种材料。"));
        return false;
    }
    if (dialogs_.message(u("删除所选材料?") + QStringLiteral("\r") + chosen, title(),
                         MsgButtons::YesNoDefaultNo, MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    const std::string name = chosen.toStdString();
    const bool written = write(
        [&](MaterialTable& t) {
            std::erase_if(t.materials, [&](const Material& m) { return m.name == name; });
            if (t.inUse == name) t.inUse.clear();
            return true;
        },
        "Command5");
    showTable(std::string());
    return written;
}

bool MaterialsWindow::useSelected() {
    if (refuseUnreadableFile()) return false;
    const QString chosen = selectedName();
    if (chosen.isEmpty()) {
        refuse(u("请先在列表中选中一种材料。"));
        return false;
    }
    const std::string name = chosen.toStdString();
    bool gone = false;
    const bool written = write(
        [&](MaterialTable& t) {
            gone = t.find(name) == nullptr;  // removed by another program meanwhile
            if (!gone) t.inUse = name;
            return !gone;
        },
        "Command6");
    showTable(name);
    return written && !gone;
}

bool MaterialsWindow::useNone() {
    if (refuseUnreadableFile()) return false;
    const bool written = write(
        [](MaterialTable& t) {
            t.inUse.clear();
            return true;
        },
        "Command7");
    showTable(editing_);
    return written;
}

void MaterialsWindow::openCalibration() {
    KerfCalibrationWindow* w = KerfCalibrationWindow::openIn(
        ws_, dialogs_, parentWidget() ? parentWidget() : this, name_->text().trimmed());
    // Points stored there show here at once.
    connect(w, &KerfCalibrationWindow::materialsChanged, this, &MaterialsWindow::reload,
            Qt::UniqueConnection);
}

bool MaterialsWindow::select(const std::string& name) {
    if (table_.find(name) == nullptr) return false;
    showTable(name);
    return true;
}

}  // namespace corvane
