// A colour drop-down list: the 18 named colours, each drawn with its swatch. Setting a colour
// selects the first entry of that value; a colour in no entry leaves the selection alone.
#pragma once

#include <QComboBox>
#include <cstdint>

namespace portscope {

QColor toQColor(uint32_t colourRef);

class ColourBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColourBox(QWidget* parent = nullptr);
    void setColour(uint32_t colourRef);
    // The selected entry's colour reference.
    uint32_t colour() const;

signals:
    // The operator picked an entry.
    void colourChosen(uint32_t colourRef);
};

}  // namespace portscope
