// The drawn 25-pin connector: a D-shaped shell with one round pin shape per pin (object names
// "STB", "D0" ... "Gnd1", hints "Pin 2 D0 Output" ...), mirrored for the male orientation.
#pragma once

#include <QColor>
#include <QWidget>
#include <array>

namespace portscope {

class PinShape : public QWidget {
    Q_OBJECT
public:
    PinShape(int pin, QWidget* parent);
    int pin() const { return pin_; }
    QColor colour() const { return colour_; }
    void setColour(const QColor& colour);

signals:
    void clicked(int pin);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int pin_;
    QColor colour_ = Qt::gray;
};

class ConnectorView : public QWidget {
    Q_OBJECT
public:
    explicit ConnectorView(QWidget* parent = nullptr);

    void setMale(bool male);
    bool isMale() const { return male_; }
    PinShape* pinShape(int pin) const { return shapes_.at(static_cast<size_t>(pin - 1)); }
    QSize sizeHint() const override;

signals:
    void pinClicked(int pin);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placePins();
    std::array<PinShape*, 25> shapes_{};
    bool male_ = false;
};

}  // namespace portscope
