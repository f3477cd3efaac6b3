// Picture1 of the manual-control and return windows: takes the arrow and Clear keys, and shows
// light yellow while it has the focus so the operator sees that the keys will move the wire.
#pragma once

#include <QColor>
#include <QFrame>

namespace corvane {

class KeyCaptureBox : public QFrame {
    Q_OBJECT
public:
    explicit KeyCaptureBox(QWidget* parent = nullptr);

    // C0FFFF in blue-green-red order.
    static QColor focusColor() { return QColor(0xFF, 0xFF, 0xC0); }
    QColor backgroundColor() const;

signals:
    void keyPressed(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void setBackground(const QColor& color);
};

}  // namespace corvane
