// A window's controls below its toolbar in a scroll area: the window asks for room to show all
// of them, and where a small main window cannot give it, the body scrolls instead of the window
// running past the main window's edges.
#pragma once

#include <QScrollArea>

#include "platform/gui/placement.h"

namespace corvane {

class FittedBody : public QScrollArea {
public:
    // Takes `content` (its layout holds the controls) as the scrolled widget.
    FittedBody(QWidget* content, QWidget* parent);

    // The whole content, scroll bars not needed.
    QSize sizeHint() const override;
    // A corner of the content is enough: the scroll bars show the rest.
    QSize minimumSizeHint() const override;
};

// Sizes `window` to its size hint where the main window's inner area has room for it at
// `placement`, smaller where it has not, then places it. A window without a frame keeps its
// size hint.
void fitAndPlaceInFrame(QWidget& window, Placement placement);

}  // namespace corvane
