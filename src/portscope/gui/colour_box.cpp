// Swatches are drawn once as icons; the list itself is a plain combo box.
#include "portscope/gui/colour_box.h"

#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>

#include "portscope/display_tables.h"

namespace portscope {

QColor toQColor(uint32_t ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

ColourBox::ColourBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(28, 14));
    for (const NamedColour& c : colourList()) {
        QPixmap swatch(iconSize());
        swatch.fill(toQColor(c.rgb));
        QPainter p(&swatch);
        p.setPen(Qt::black);
        p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        p.end();
        addItem(QIcon(swatch), QString::fromLatin1(c.name), static_cast<uint>(c.rgb));
    }
    connect(this, &QComboBox::activated, this, [this](int index) {
        emit colourChosen(static_cast<uint32_t>(itemData(index).toUInt()));
    });
}

void ColourBox::setColour(uint32_t ref) {
    const int index = colourIndex(ref);
    if (index < 0) return;
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
}

uint32_t ColourBox::colour() const {
    return static_cast<uint32_t>(currentData().toUInt());
}

}  // namespace portscope
