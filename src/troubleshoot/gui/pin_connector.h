// The troubleshooter's 25 pin indicators (the control array Shape1) drawn as a DB-25 connector:
// pins 1-13 on the wide row, 14-25 on the narrow one, each a lamp with its number. Red when the
// pin's register bit is 1, green when it is 0; the ground pins 18-25 keep the shell's grey. The
// numbers of the pins the port's hardware inverts (1, 11, 14, 17) carry a bar: their voltage is
// low when the bit is set.
#pragma once

#include <QColor>
#include <QWidget>

#include "troubleshoot/port_troubleshooter.h"

namespace corvane {

class PinConnector : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb kRed = 0xFF0000;    // 255 as the window system writes it
    static constexpr QRgb kGreen = 0x00FF00;  // 65280

    explicit PinConnector(QWidget* parent = nullptr);

    void setLevels(const PinLevels& levels);
    const PinLevels& levels() const { return levels_; }
    // The lamp colour of pin 1..25 as drawn; invalid for an uncoloured pin.
    QColor pinColor(int pin) const;

    // Pins 1, 14 and 17 (control bits 0, 1, 3) and 11 (status bit 7): a set bit is 0 V there.
    static bool invertedByThePort(int pin) {
        return pin == 1 || pin == 11 || pin == 14 || pin == 17;
    }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PinLevels levels_{};
};

}  // namespace corvane
