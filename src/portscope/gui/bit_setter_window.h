// The bit setter `TForm2`: one register of the watched port bit by bit (signal, pin, logic
// state, pin level); a click on a row flips that bit. Opened modally by the main window and
// refreshed by its sampler while it shows the register that changed.
#pragma once

#include <QDialog>
#include <cstdint>

class QTableWidget;

namespace portscope {

class IoUnit;

class BitSetterWindow : public QDialog {
    Q_OBJECT
public:
    BitSetterWindow(IoUnit& io, QWidget* parent);

    // Sets the register (base + offset), applies the register's set-up and refreshes.
    void setRegister(uint16_t base, int offset);
    // setRegister, then shows the window modally.
    void openFor(uint16_t base, int offset);
    // Re-reads the register; only cells whose text differs are replaced.
    void refresh();

    int offset() const { return offset_; }
    uint16_t address() const { return address_; }
    QTableWidget* grid() const { return grid_; }
    // True once moved by the program or shown, so its position is a real one.
    bool placed() const { return shown_ || testAttribute(Qt::WA_Moved); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rowClicked(int row);
    IoUnit& io_;
    QTableWidget* grid_;
    uint16_t address_ = 0;
    int offset_ = 0;
    bool shown_ = false;
};

}  // namespace portscope
