// The troubleshooter's 25 pin indicators (the control array Shape1) drawn as a DB-25 connector:
// pins 1-13 on the wide row, 14-25 on the narrow one, each a lamp with its number. Red when the
// pin's register bit is 1, green when it is 0; the ground pins 18-25 keep the shell's grey.
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

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PinLevels levels_{};
};

}  // namespace corvane
