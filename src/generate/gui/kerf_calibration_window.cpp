#include "generate/gui/kerf_calibration_window.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "common/file_io.h"
#include "common/fixed_point.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/gui/kerf_calibration_drawing.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"
#include "platform/gui/ui_language.h"

namespace corvane {

namespace {

constexpr const char* kObjectName = "FormKerfCalibration";
constexpr int kSpeedColumn = 0, kNominalColumn = 1, kMeasuredColumn = 2, kPowerColumn = 3,
              kKerfColumn = 4;

QString u(const char* text) {
    return QString::fromUtf8(text);
}
QString q(const std::string& text) {
    return QString::fromStdString(text);
}
QString number(double v) {
    return q(formatDouble(v));
}
QString title() {
    return u("切缝标定");
}

// A typed number filling its text; nullopt for an empty text, NaN for anything else.
std::optional<double> typedNumber(const QString& typed) {
    const std::string text = typed.trimmed().toStdString();
    if (text.empty()) return std::nullopt;
    try {
        if (isWholeNumberText(text)) {
            if (const std::optional<double> v = leadingNumberIfAny(text)) return v;
        }
    } catch (const RunError&) {
    }
    return std::nan("");
}

QString cellText(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

QTableWidgetItem* fixedCell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setBackground(QColor(238, 238, 238));
    return item;
}

// The help: the method and its arithmetic, a paragraph a line.
const char* const kHelp[] = {
    "方法: 从一块泡沫上切出一把梳子, 梳齿排成一行, 每个齿用自己的速度切割一周。",
    "切割时电热丝的中心沿着每个齿的名义边线走, 齿的两个切面各被熔掉半个切缝。",
    "切割后用卡尺在齿高一半处 (图中的红色虚线) 测量每个齿的宽度, 最好在块的两端各量一次, "
    "取平均值。",
    "计算: 切缝 = 名义宽度 - 测量宽度。例如名义宽度 20 毫米, 测得 19.2 毫米, 则该速度的切缝为 "
    "0.8 毫米。",
    "切割文件按最快的齿的速度生成, 较慢的齿在切割文件里放慢; 所以切割时滑块要放在这个速度, "
    "切割中不要移动。",
    "测得的宽度不大于 0, 大于名义宽度, 或小于名义宽度的一半时, 该齿不给出切缝, 请重新测量。",
    "存入材料时, 相同速度的旧测量点被替换, 其余的测量点保留。",
};

}  // namespace

KerfCalibrationWindow::KerfCalibrationWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    setObjectName(u(kObjectName));
    setWindowTitle(title());
    setWindowFlag(Qt::Window);

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{QStringLiteral("Done"), {}, {}, {}}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index == 1) hide();
    });

    auto* boxes = new QGridLayout;
    auto addRow = [this, boxes](int row, int labelNumber, const char* caption, QWidget* box) {
        auto* l = new QLabel(u(caption), this);
        l->setObjectName(QStringLiteral("Label%1").arg(labelNumber));
        l->setBuddy(box);
        boxes->addWidget(l, row / 2, (row % 2) * 2);
        boxes->addWidget(box, row / 2, (row % 2) * 2 + 1);
    };
    material_ = new QComboBox(this);
    material_->setObjectName(QStringLiteral("Combo1"));
    material_->setEditable(true);
    material_->setMinimumWidth(160);
    addRow(0, 1, "材料", material_);
    speeds_ = new QLineEdit(QStringLiteral("2, 3, 4, 6"), this);
    speeds_->setObjectName(QStringLiteral("Text1"));
    addRow(1, 2, "速度 - 毫米/秒 (逗号分隔)", speeds_);
    const KerfCalibrationDesign defaults;
    const std::pair<const char*, double> sizes[5] = {{"齿宽 - 毫米", defaults.toothWidthMm},
                                                     {"齿高 - 毫米", defaults.toothHeightMm},
                                                     {"齿间距 - 毫米", defaults.gapMm},
                                                     {"两端余量 - 毫米", defaults.marginMm},
                                                     {"底座高度 - 毫米", defaults.baseMm}};
    for (int i = 0; i < 5; ++i) {
        sizes_[i] = new QLineEdit(number(sizes[i].second), this);
        sizes_[i]->setObjectName(QStringLiteral("Text%1").arg(i + 2));
        addRow(i + 2, i + 3, sizes[i].first, sizes_[i]);
    }

    drawing_ = new KerfCalibrationDrawing(this);
    teeth_ = new QTableWidget(0, 5, this);
    teeth_->setObjectName(QStringLiteral("Grid1"));
    // Headers are no captions the window pass reaches: given in the window's language here.
    QStringList headers;
    for (const char* h :
         {"速度 - 毫米/秒", "名义宽度 - 毫米", "测量宽度 - 毫米", "功率 (可不填)", "切缝 - 毫米"})
        headers << translatedText(u(h));
    teeth_->setHorizontalHeaderLabels(headers);
    teeth_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    teeth_->verticalHeader()->setDefaultSectionSize(teeth_->fontMetrics().height() + 8);

    auto makeButton = [this](int index, const char* caption) {
        auto* b = new QPushButton(u(caption), this);
        b->setObjectName(QStringLiteral("Command%1").arg(index));
        return b;
    };
    QPushButton* make = makeButton(1, "生成标定切割文件");
    QPushButton* compute = makeButton(2, "计算切缝");
    QPushButton* store = makeButton(3, "存入材料");
    QPushButton* helpButton = makeButton(4, "方法说明");
    connect(make, &QPushButton::clicked, this, &KerfCalibrationWindow::makeCalibrationSet);
    connect(compute, &QPushButton::clicked, this, &KerfCalibrationWindow::computeKerf);
    connect(store, &QPushButton::clicked, this, &KerfCalibrationWindow::storeInMaterial);
    connect(helpButton, &QPushButton::clicked, this, &KerfCalibrationWindow::toggleHelp);

    QStringList help;
    for (const char* line : kHelp) help << u(line);
    help_ = new QLabel(help.join(QLatin1Char('\n')), this);
    help_->setObjectName(QStringLiteral("Label9"));
    help_->setWordWrap(true);
    help_->setStyleSheet(QStringLiteral("QLabel { background: #fffbe6; padding: 6px; }"));
    help_->hide();
    stored_ = new QLabel(this);
    stored_->setObjectName(QStringLiteral("Label10"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(make);
    buttons->addWidget(compute);
    buttons->addWidget(store);
    buttons->addWidget(helpButton);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 0, 4, 4);
    top->addWidget(toolbar_);
    top->addLayout(boxes);
    top->addWidget(drawing_, 2);
    top->addWidget(teeth_, 1);
    top->addLayout(buttons);
    top->addWidget(stored_);
    top->addWidget(help_);

    connect(speeds_, &QLineEdit::textChanged, this, &KerfCalibrationWindow::designChanged);
    for (QLineEdit* box : sizes_)
        connect(box, &QLineEdit::textChanged, this, &KerfCalibrationWindow::designChanged);
    designChanged();
    resize(760, 640);
}

KerfCalibrationWindow* KerfCalibrationWindow::openIn(Workspace& ws, Dialogs& dialogs,
                                                     QWidget* frame, const QString& material) {
    KerfCalibrationWindow* w =
        frame ? frame->findChild<KerfCalibrationWindow*>(u(kObjectName), Qt::FindDirectChildrenOnly)
              : nullptr;
    if (w == nullptr) w = new KerfCalibrationWindow(ws, dialogs, frame);
    w->chooseMaterial(material);
    w->showAndActivate();
    return w;
}

void KerfCalibrationWindow::showAndActivate() {
    show();
    placeInFrame(*this);
    raise();
    activateWindow();
}

bool KerfCalibrationWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) placeInFrame(*this);
    return QWidget::event(event);
}

void KerfCalibrationWindow::chooseMaterial(const QString& material) {
    MaterialTable table;
    try {
        table = readMaterials(ws_.file(kMaterialsFileName));
    } catch (const std::exception&) {
        // The materials window says what is wrong with the file; Command3 says it again.
    }
    material_->clear();
    for (const Material& m : table.materials) material_->addItem(q(m.name));
    material_->setCurrentText(material.isEmpty() ? q(table.inUse) : material);
}

void KerfCalibrationWindow::refuse(const QString& text) {
    dialogs_.message(text, title(), MsgButtons::Ok, MsgIcon::Warning);
}

std::optional<KerfCalibrationDesign> KerfCalibrationWindow::design(bool tell) {
    KerfCalibrationDesign d;
    d.speedsMmS.clear();
    static const QRegularExpression separators(QStringLiteral("[,\\x{FF0C};\\s]+"));
    for (const QString& part : speeds_->text().split(separators, Qt::SkipEmptyParts)) {
        const std::optional<double> v = typedNumber(part);
        if (!v || std::isnan(*v)) {
            if (tell) refuse(u("速度须为用逗号分隔的数字 (毫米/秒), 例如 2, 3, 4, 6。"));
            return std::nullopt;
        }
        d.speedsMmS.push_back(*v);
    }
    double* sizes[5] = {&d.toothWidthMm, &d.toothHeightMm, &d.gapMm, &d.marginMm, &d.baseMm};
    for (int i = 0; i < 5; ++i) {
        const std::optional<double> v = typedNumber(sizes_[i]->text());
        if (!v || std::isnan(*v)) {
            if (tell) refuse(u("梳子的尺寸须为数字 (毫米)。"));
            return std::nullopt;
        }
        *sizes[i] = *v;
    }
    const std::vector<std::string> no = calibrationRefusals(d);
    if (!no.empty()) {
        if (tell) {
            QString text = u("标定切割不能生成:");
            for (const std::string& why : no) text += QStringLiteral("\r") + q(why);
            refuse(text);
        }
        return std::nullopt;
    }
    return d;
}

void KerfCalibrationWindow::designChanged() {
    // What was typed for a speed stays with that speed.
    std::map<double, std::pair<QString, QString>> typed;
    for (int row = 0; cut_ && row < teeth_->rowCount(); ++row)
        typed[cut_->teeth[static_cast<std::size_t>(row)].speedMmS] = {
            cellText(*teeth_, row, kMeasuredColumn), cellText(*teeth_, row, kPowerColumn)};
    const std::optional<KerfCalibrationDesign> d = design(false);
    cut_ = d ? std::optional(kerfCalibrationCut(*d)) : std::nullopt;
    computed_.clear();
    drawing_->setCut(cut_);
    teeth_->setRowCount(0);
    if (!cut_) return;
    teeth_->setRowCount(static_cast<int>(cut_->teeth.size()));
    for (int row = 0; row < teeth_->rowCount(); ++row) {
        const CalibrationTooth& t = cut_->teeth[static_cast<std::size_t>(row)];
        const auto& [measured, power] = typed[t.speedMmS];
        teeth_->setItem(row, kSpeedColumn, fixedCell(number(t.speedMmS)));
        teeth_->setItem(row, kNominalColumn, fixedCell(number(t.nominalMm())));
        teeth_->setItem(row, kMeasuredColumn, new QTableWidgetItem(measured));
        teeth_->setItem(row, kPowerColumn, new QTableWidgetItem(power));
        teeth_->setItem(row, kKerfColumn, fixedCell(QString()));
    }
}

bool KerfCalibrationWindow::makeCalibrationSet() {
    const std::optional<KerfCalibrationDesign> d = design(true);
    if (!d) return false;
    const KerfCalibrationCut cut = kerfCalibrationCut(*d);
    const QString label = QStringLiteral("Module Calibration, Command1");
    GenerationOutcome outcome;
    try {
        const std::filesystem::path dat = ws_.file(kCalibrationDatFileName);
        writeFileAtomic(dat, calibrationDatText(cut));
        const GenerationRequest request = kerfCalibrationRequest(
            cut, dat.string(), material_->currentText().trimmed().toStdString());
        GenerationCallbacks callbacks;
        callbacks.yield = [] { QCoreApplication::processEvents(); };
        CutGenerator generator(ws_);
        outcome = generator.generate(request, callbacks);
    } catch (const std::exception& e) {
        reportError(dialogs_, e, label);
        return false;
    }
    for (const UserMessage& m : outcome.warnings) dialogs_.message(q(m.text), q(m.title));
    for (const UserMessage& m : outcome.messages)
        dialogs_.message(q(withDetail(m.text, m.detail)), q(m.title));
    if (outcome.status != GenerationStatus::Finished) return false;
    // The comb is made for its fastest tooth (its record says so): the cut window starts at
    // that speed and warns when the slider leaves it.
    ws_.motion.CutSpeed = Fixed4::fromDouble(cut.cutSpeedMmS);
    dialogs_.message(u("标定切割文件已生成, 现在是工作切割文件。请在切割窗口中以 %1 毫米/秒 "
                       "切割, 切割中不要移动滑块。")
                         .arg(number(cut.cutSpeedMmS)),
                     title(), MsgButtons::Ok, MsgIcon::Information);
    return true;
}

bool KerfCalibrationWindow::computeKerf() {
    computed_.clear();
    if (!cut_) {
        design(true);  // says what keeps the comb from being drawn
        return false;
    }
    std::vector<ToothMeasurement> measured;
    std::vector<int> rows;
    for (int row = 0; row < teeth_->rowCount(); ++row) {
        teeth_->item(row, kKerfColumn)->setText(QString());
        const std::optional<double> width = typedNumber(cellText(*teeth_, row, kMeasuredColumn));
        const std::optional<double> power = typedNumber(cellText(*teeth_, row, kPowerColumn));
        if (!width && !power) continue;
        if (!width || std::isnan(*width) || (power && std::isnan(*power))) {
            refuse(u("第 %1 个齿: 测量宽度须为数字, 功率为数字或不填。").arg(row + 1));
            return false;
        }
        const CalibrationTooth& t = cut_->teeth[static_cast<std::size_t>(row)];
        measured.push_back({t.speedMmS, t.nominalMm(), *width, power});
        rows.push_back(row);
    }
    if (measured.empty()) {
        refuse(u("请至少填写一个齿的测量宽度。"));
        return false;
    }
    const KerfCalibrationResult result = kerfFromMeasurements(measured);
    computed_ = result.points;
    for (std::size_t i = 0; i < measured.size(); ++i) {
        for (const KerfPoint& p : computed_)
            if (p.speedMmS == measured[i].speedMmS)
                teeth_->item(rows[i], kKerfColumn)->setText(q(fixedDecimals(p.kerfMm, 3)));
    }
    if (!result.problems.empty()) {
        QString text = u("有的齿不能给出切缝:");
        for (const std::string& why : result.problems) text += QStringLiteral("\r") + q(why);
        refuse(text);
    }
    return !computed_.empty();
}

bool KerfCalibrationWindow::storeInMaterial() {
    if (computed_.empty()) {
        refuse(u("请先填写测量宽度并计算切缝。"));
        return false;
    }
    const std::string name = material_->currentText().trimmed().toStdString();
    if (name.empty()) {
        refuse(u("请填写材料名称。"));
        return false;
    }
    std::string why;
    std::size_t speeds = 0;
    bool made = false;
    try {
        updateMaterials(ws_.appFolder(), [&](MaterialTable& t) {
            std::set<double> distinct;
            for (const KerfPoint& p : computed_) distinct.insert(p.speedMmS);
            if (const Material* old = t.find(name))
                for (const KerfPoint& p : old->points) distinct.insert(p.speedMmS);
            speeds = distinct.size();
            const std::optional<Material> m = calibratedMaterial(t, name, computed_, why);
            if (!m) return false;
            t.put(*m);
            made = true;
            return true;
        });
    } catch (const std::exception& e) {
        reportError(dialogs_, e, QStringLiteral("Module Calibration, Command3"));
        return false;
    }
    if (!made) {
        refuse(speeds < 2 ? u("一种材料至少需要两个测量点 (速度, 切缝), 现在有 %1 个。").arg(speeds)
                          : q(why));
        return false;
    }
    stored_->setText(u("已存入材料") + QStringLiteral(": ") + q(name));
    chooseMaterial(q(name));
    emit materialsChanged();
    return true;
}

void KerfCalibrationWindow::toggleHelp() {
    help_->setVisible(!help_->isVisible());
}

}  // namespace corvane
