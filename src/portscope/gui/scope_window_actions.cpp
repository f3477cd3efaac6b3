// TForm1 at work: sampling, redrawing what changed, and the operator's writes by value, by pin
// and by menu.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include "portscope/display_tables.h"
#include "portscope/gui/bit_setter_window.h"
#include "portscope/gui/colour_box.h"
#include "portscope/gui/connector_view.h"
#include "portscope/gui/scope_window.h"
#include "portscope/value_entry.h"

namespace portscope {

namespace {
// Idle sampling runs on a zero-interval timer while the port keeps changing; after this many
// samples without a change it waits a millisecond between samples, so a quiet port costs a
// thousand samples a second instead of a whole processor core.
constexpr int kQuietSamplesBeforeBackOff = 100;
}  // namespace

void ScopeWindow::addPortItems() {
    bool first = true;
    for (uint16_t address : monitor_.portSlots()) {
        if (address == 0) continue;
        if (first) portMenu_->addSeparator();
        first = false;
        QAction* item = portMenu_->addAction(QString::fromStdString(addressText(address)));
        connect(item, &QAction::triggered, this, [this, address] {
            if (monitor_.selectAddress(address)) portChanged();
        });
    }
}

void ScopeWindow::portChanged() {
    const uint16_t base = monitor_.base();
    if (base != 0) io_.grant(base);
    // A port that could not be claimed shows no values (never the FF of registers nobody
    // read) and says why; one watched read-only says so too.
    const bool unclaimed = base != 0 && !io_.allowed(base);
    const QString why = base == 0 ? QString() : QString::fromStdString(io_.backend().refusal(base));
    setWindowTitle(QStringLiteral("portscope - ") + backend_ +
                   (base == 0 ? QStringLiteral(" - no port detected")
                    : unclaimed
                        ? QStringLiteral(" - not claimed: ") +
                              (why.isEmpty() ? QStringLiteral("the kernel refused it") : why)
                    : why.isEmpty() ? QString()
                                    : QStringLiteral(" - ") + why));
    for (int k = 0; k < 3; ++k) {
        address_[static_cast<size_t>(k)]->setText(
            base == 0 ? QString()
                      : QString::fromStdString(addressText(static_cast<uint16_t>(base + k))));
        if (base == 0 || unclaimed)
            for (ClickCell* cell : values_[static_cast<size_t>(k)]) cell->clear();
    }
    // Nothing watched or the connector disabled: the connector stays grey.
    if (base == 0 || unclaimed || connectorDisabled_) paintGrey();
    if (base == 0 || unclaimed) return;
    paintGround();
    sampleNow();
}

void ScopeWindow::sampleNow() {
    if (monitor_.base() != 0 && !io_.allowed(monitor_.base())) return;
    if (blinkIndicator_->isVisible()) {
        blinkTimer_.stop();
        blinkIndicator_->setStyleSheet(
            QStringLiteral("background:%1; border:1px solid black; border-radius:7px;")
                .arg(toQColor(highColour_).name()));
        blinkTimer_.start();
    }
    const Sample s = monitor_.sample();
    for (int k = 0; k < 3; ++k)
        if (s.changed & (1 << k)) showRegister(k, s.values[static_cast<size_t>(k)]);
    if (s.beep && beep) beep();
    quietSamples_ = s.changed ? 0 : quietSamples_ + 1;
}

void ScopeWindow::showRegister(int offset, uint8_t value) {
    auto& row = values_[static_cast<size_t>(offset)];
    row[0]->setText(QString::fromStdString(decText(value)));
    row[1]->setText(QString::fromStdString(hexText(value)));
    row[2]->setText(QString::fromStdString(binText(value)));
    if (!connectorDisabled_) paintPins(offset, value);
    if (bitSetter_->isVisible() && bitSetter_->offset() == offset) bitSetter_->refresh();
}

void ScopeWindow::paintPins(int offset, uint8_t value) {
    for (const PinInfo& pin : pins()) {
        if (pin.offset != offset) continue;
        connector_->pinShape(pin.pin)->setColour(
            toQColor(pinIsHigh(pin, value) ? highColour_ : lowColour_));
    }
}

void ScopeWindow::paintGround() {
    if (connectorDisabled_ || !monitor_.hasPort()) return;
    for (const PinInfo& pin : pins())
        if (pin.offset < 0) connector_->pinShape(pin.pin)->setColour(toQColor(lowColour_));
}

void ScopeWindow::paintGrey() {
    for (int pin = 1; pin <= 25; ++pin)
        connector_->pinShape(pin)->setColour(toQColor(kDisabledColour));
}

void ScopeWindow::redrawAfterColourChange() {
    monitor_.resetPrevious();
    sampleNow();
}

void ScopeWindow::idleTick() {
    sampleNow();
    const int wanted = quietSamples_ >= kQuietSamplesBeforeBackOff ? 1 : 0;
    if (idleTimer_.interval() != wanted) idleTimer_.start(wanted);
}

void ScopeWindow::setSampleRate(int index) {
    const int period = samplePeriodMs(index);
    if (index <= 0) {
        sampleTimer_.stop();
        quietSamples_ = 0;
        idleTimer_.start(0);
    } else {
        idleTimer_.stop();
        sampleTimer_.start(period);
    }
}

void ScopeWindow::setConnectorDisabled(bool disabled) {
    connectorDisabled_ = disabled;
    if (!monitor_.hasPort()) return;
    if (disabled) {
        paintGrey();
        return;
    }
    paintGround();
    for (int k = 0; k < 3; ++k) paintPins(k, monitor_.previous()[static_cast<size_t>(k)]);
}

void ScopeWindow::setOnTop(bool on) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    // Changing the flag recreates the native window: put it back where its frame stood.
    const QPoint at = pos();
    const QSize size = this->size();
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    resize(size);
    move(at);
    if (visible) show();
}

void ScopeWindow::startEdit(int row, int column) {
    if (!monitor_.hasPort()) return;
    ClickCell* cell = values_[static_cast<size_t>(row)][static_cast<size_t>(column)];
    editRow_ = row;
    editColumn_ = column;
    edit_->setGeometry(cell->geometry());
    edit_->setText(cell->text());
    edit_->show();
    edit_->raise();
    edit_->setFocus();
    edit_->selectAll();
}

void ScopeWindow::hideEdit() {
    edit_->hide();
    editRow_ = -1;
}

void ScopeWindow::finishEdit() {
    if (editRow_ < 0) return;
    const int row = editRow_;
    const auto column = static_cast<ValueColumn>(editColumn_);
    const std::string text = edit_->text().toStdString();
    hideEdit();
    const EntryResult r = parseEntry(column, text);
    if (!r.error.empty()) {
        if (showError) showError(QString::fromStdString(r.error));
        return;
    }
    if (r.value) writeRegister(row, *r.value);
}

void ScopeWindow::writeRegister(int offset, uint8_t value) {
    if (!monitor_.hasPort()) return;
    monitor_.write(offset, value);
    sampleNow();
}

void ScopeWindow::pinClicked(int pin) {
    const PinInfo& info = pinInfo(pin);
    if (connectorDisabled_ || !info.clickable || !monitor_.hasPort()) return;
    monitor_.flipBits(info.offset, info.mask);
    sampleNow();
}

void ScopeWindow::openBitSetter(int row) {
    hideEdit();
    if (!monitor_.hasPort()) return;
    bitSetter_->openFor(monitor_.base(), row);
}

bool ScopeWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        hideEdit();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScopeWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) hideEdit();
    QWidget::changeEvent(event);
}

}  // namespace portscope
