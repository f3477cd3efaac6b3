#include "generate/gui/wing_features_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/number_format.h"
#include "common/number_text.h"
#include "generate/wing_features_record.h"
#include "platform/gui/ui_language.h"

namespace corvane {

namespace {

double number(const QString& text) {
    try {
        return leadingNumber(text.toStdString());
    } catch (const std::exception&) {
        return 0;
    }
}

QString shown(double v) {
    return QString::fromStdString(formatDouble(v));
}

// Table headers and list entries are not captions the window's translation pass reaches.
QString tr(const char* text) {
    return translatedText(QString::fromUtf8(text));
}

QComboBox* combo(const std::initializer_list<const char*>& items, int current) {
    auto* c = new QComboBox;
    for (const char* item : items) c->addItem(tr(item));
    c->setCurrentIndex(current);
    return c;
}

}  // namespace

WingFeaturesBox::WingFeaturesBox(QWidget* parent) : QGroupBox(parent) {
    setObjectName("FrameFeatures");
    setTitle("机翼特征");
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("左侧面", this), 0, 1);
    grid->addWidget(new QLabel("右侧面", this), 0, 2);
    int row = 1;
    auto pairRow = [&](const char* name, const char* caption) {
        FaceBoxes b;
        grid->addWidget(new QLabel(caption, this), row, 0);
        for (bool right : {false, true}) {
            auto* e = new QLineEdit("0", this);
            e->setObjectName(QString("%1_%2").arg(name, right ? "right" : "left"));
            e->setMaximumWidth(80);
            connect(e, &QLineEdit::textEdited, this, &WingFeaturesBox::changed);
            grid->addWidget(e, row, right ? 2 : 1);
            (right ? b.right : b.left) = e;
        }
        ++row;
        return b;
    };
    sheetingUpper_ = pairRow("sheeting_upper", "蒙皮厚度 上表面 - 毫米");
    sheetingLower_ = pairRow("sheeting_lower", "蒙皮厚度 下表面 - 毫米");
    teThickness_ = pairRow("te_thickness", "后缘最小厚度 - 毫米");
    leStock_ = pairRow("le_stock", "前缘余量 - 毫米");
    teStock_ = pairRow("te_stock", "后缘余量 - 毫米");
    grid->setRowStretch(row, 1);  // the boxes at the top when the picture is taller

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName("spar_slots");
    table_->setHorizontalHeaderLabels({tr("表面"), tr("位置"), tr("单位"), tr("宽度 - 毫米"),
                                       tr("深度 - 毫米"), tr("右侧面"), tr("右侧位置"),
                                       tr("右侧宽度"), tr("右侧深度")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setDefaultSectionSize(24);
    table_->setFixedHeight(3 * 24 + 34);  // the header and three slots; more scroll
    connect(table_, &QTableWidget::itemChanged, this, &WingFeaturesBox::changed);

    auto* add = add_ = new QPushButton("添加翼梁槽", this);
    add->setObjectName("spar_add");
    auto* remove = new QPushButton("删除翼梁槽", this);
    remove->setObjectName("spar_remove");
    connect(add, &QPushButton::clicked, this, &WingFeaturesBox::addSlot);
    connect(remove, &QPushButton::clicked, this, &WingFeaturesBox::removeSlot);
    bothHalves_ = new QCheckBox("两侧机翼面板（另存镜像面板）", this);
    bothHalves_->setObjectName("both_halves");
    connect(bothHalves_, &QCheckBox::toggled, this, &WingFeaturesBox::changed);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel("翼梁槽", this));
    buttons->addStretch(1);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    // The boxes at the left, room for a picture beside them, the slot table across the width.
    top_ = new QHBoxLayout;
    top_->addLayout(grid);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top_);
    layout->addLayout(buttons);
    layout->addWidget(table_);
    layout->addWidget(bothHalves_);
}

void WingFeaturesBox::setPicture(QWidget* picture) {
    picture->setParent(this);
    top_->addWidget(picture, 1);
}

FacePair WingFeaturesBox::pair(const FaceBoxes& b) const {
    return {number(b.left->text()), number(b.right->text())};
}

void WingFeaturesBox::setPair(const FaceBoxes& b, const FacePair& p) {
    b.left->setText(shown(p.left));
    b.right->setText(shown(p.right));
}

WingFeatures WingFeaturesBox::features() const {
    WingFeatures f;
    f.sheetingUpperMm = pair(sheetingUpper_);
    f.sheetingLowerMm = pair(sheetingLower_);
    f.teThicknessMm = pair(teThickness_);
    f.leStockMm = pair(leStock_);
    f.teStockMm = pair(teStock_);
    for (int r = 0; r < table_->rowCount(); ++r) {
        auto cell = [&](int c) {
            const QTableWidgetItem* item = table_->item(r, c);
            return item != nullptr ? number(item->text()) : 0.0;
        };
        auto choice = [&](int c) {
            const auto* box = qobject_cast<const QComboBox*>(table_->cellWidget(r, c));
            return box != nullptr ? box->currentIndex() : 0;
        };
        SparSlot s;
        s.surface = choice(Surface) == 1 ? SlotSurface::Lower : SlotSurface::Upper;
        s.centreIsFraction = choice(Unit) == 1;
        s.scaling = static_cast<SlotScaling>(choice(Scaling));
        s.centre.left = cell(Position);
        s.widthMm.left = cell(Width);
        s.depthMm.left = cell(Depth);
        // Same and proportional slots read the left figures only: the right ones mirror them.
        const bool perFace = s.scaling == SlotScaling::PerFace;
        s.centre.right = perFace ? cell(RightPosition) : s.centre.left;
        s.widthMm.right = perFace ? cell(RightWidth) : s.widthMm.left;
        s.depthMm.right = perFace ? cell(RightDepth) : s.depthMm.left;
        f.sparSlots.push_back(s);
    }
    f.mirror = bothHalves_->isChecked();
    return f;
}

void WingFeaturesBox::setFeatures(const WingFeatures& f) {
    setPair(sheetingUpper_, f.sheetingUpperMm);
    setPair(sheetingLower_, f.sheetingLowerMm);
    setPair(teThickness_, f.teThicknessMm);
    setPair(leStock_, f.leStockMm);
    setPair(teStock_, f.teStockMm);
    table_->setRowCount(0);
    for (const SparSlot& s : f.sparSlots) addRow(s);
    add_->setEnabled(table_->rowCount() < static_cast<int>(kMaxSparSlots));
    bothHalves_->setChecked(f.mirror);
    emit changed();
}

void WingFeaturesBox::addSlot() {
    // A set's line holds so many slots and no more.
    if (table_->rowCount() >= static_cast<int>(kMaxSparSlots)) return;
    SparSlot s;
    s.centre = {0.25, 0.25};
    s.centreIsFraction = true;
    s.widthMm = {6, 6};
    s.depthMm = {3, 3};
    addRow(s);
    add_->setEnabled(table_->rowCount() < static_cast<int>(kMaxSparSlots));
    emit changed();
}

void WingFeaturesBox::addRow(const SparSlot& s) {
    const QSignalBlocker quiet(table_);
    const int r = table_->rowCount();
    table_->insertRow(r);
    auto put = [&](int c, double v) { table_->setItem(r, c, new QTableWidgetItem(shown(v))); };
    put(Position, s.centre.left);
    put(Width, s.widthMm.left);
    put(Depth, s.depthMm.left);
    put(RightPosition, s.centre.right);
    put(RightWidth, s.widthMm.right);
    put(RightDepth, s.depthMm.right);
    auto* surface = combo({"上表面", "下表面"}, s.surface == SlotSurface::Lower ? 1 : 0);
    auto* unit = combo({"毫米", "弦长比例"}, s.centreIsFraction ? 1 : 0);
    auto* scaling = combo({"相同", "按弦长比例", "每个侧面"}, static_cast<int>(s.scaling));
    table_->setCellWidget(r, Surface, surface);
    table_->setCellWidget(r, Unit, unit);
    table_->setCellWidget(r, Scaling, scaling);
    for (QComboBox* c : {surface, unit, scaling})
        connect(c, &QComboBox::currentIndexChanged, this, &WingFeaturesBox::changed);
    connect(scaling, &QComboBox::currentIndexChanged, this, [this, scaling] {
        for (int row = 0; row < table_->rowCount(); ++row)
            if (table_->cellWidget(row, Scaling) == scaling) showRightCells(row);
    });
    showRightCells(r);
}

void WingFeaturesBox::showRightCells(int row) {
    const auto* scaling = qobject_cast<const QComboBox*>(table_->cellWidget(row, Scaling));
    const bool perFace =
        scaling != nullptr && scaling->currentIndex() == static_cast<int>(SlotScaling::PerFace);
    const QSignalBlocker quiet(table_);
    const std::pair<int, int> rightOf[] = {
        {RightPosition, Position}, {RightWidth, Width}, {RightDepth, Depth}};
    for (auto [c, leftColumn] : rightOf) {
        QTableWidgetItem* item = table_->item(row, c);
        const QTableWidgetItem* left = table_->item(row, leftColumn);
        if (item == nullptr) continue;
        Qt::ItemFlags flags = item->flags();
        item->setFlags(perFace ? flags | Qt::ItemIsEditable | Qt::ItemIsEnabled
                               : flags & ~Qt::ItemIsEditable & ~Qt::ItemIsEnabled);
        // A slot that follows the left face shows no figures of its own there; one given per
        // face starts from the left face's.
        if (!perFace)
            item->setText(QString());
        else if (item->text().isEmpty() && left != nullptr)
            item->setText(left->text());
    }
}

void WingFeaturesBox::removeSlot() {
    if (table_->rowCount() == 0) return;
    const int current = table_->currentRow();
    table_->removeRow(current >= 0 ? current : table_->rowCount() - 1);
    add_->setEnabled(true);
    emit changed();
}

}  // namespace corvane
