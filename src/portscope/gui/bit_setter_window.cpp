// The grid holds eight rows, bit 0 at the top; every cell carries its row's bit mask.
#include "portscope/gui/bit_setter_window.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "portscope/bit_setter_model.h"
#include "portscope/port_access.h"

namespace portscope {

BitSetterWindow::BitSetterWindow(IoUnit& io, QWidget* parent) : QDialog(parent), io_(io) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Bit Setter"));
    setModal(true);
    grid_ = new QTableWidget(8, 5, this);
    grid_->setObjectName(QStringLiteral("BitGrid"));
    QStringList headers;
    for (const char* h : kBitSetterHeaders) headers << QString::fromLatin1(h);
    grid_->setHorizontalHeaderLabels(headers);
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setFocusPolicy(Qt::NoFocus);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->horizontalHeader()->setSectionsClickable(false);
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 5; ++col) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            item->setData(Qt::UserRole, 1 << row);
            grid_->setItem(row, col, item);
        }
    }
    grid_->setMinimumSize(
        440, grid_->horizontalHeader()->sizeHint().height() + 8 * 30 + 2 * grid_->frameWidth() + 2);
    for (int row = 0; row < 8; ++row) grid_->setRowHeight(row, 30);
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) { rowClicked(row); });

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void BitSetterWindow::setRegister(uint16_t base, int offset) {
    offset_ = offset;
    address_ = static_cast<uint16_t>(base + offset);
    setWindowTitle(QString::fromLatin1(bitSetterSetup(offset).caption));
    refresh();
}

void BitSetterWindow::openFor(uint16_t base, int offset) {
    setRegister(base, offset);
    exec();
}

void BitSetterWindow::showEvent(QShowEvent* event) {
    shown_ = true;
    QDialog::showEvent(event);
}

void BitSetterWindow::refresh() {
    const uint8_t value = address_ == 0 ? 0 : io_.read(address_);
    const auto rows = bitSetterRows(bitSetterSetup(offset_), value);
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 5; ++col) {
            QTableWidgetItem* item = grid_->item(row, col);
            const QString text =
                QString::fromStdString(rows[static_cast<size_t>(row)][static_cast<size_t>(col)]);
            if (item->text() != text) item->setText(text);
        }
    }
}

void BitSetterWindow::rowClicked(int row) {
    if (address_ == 0) return;
    const auto mask = static_cast<uint8_t>(grid_->item(row, 0)->data(Qt::UserRole).toInt());
    io_.write(address_, static_cast<uint8_t>(io_.read(address_) ^ mask));
    refresh();
}

}  // namespace portscope
