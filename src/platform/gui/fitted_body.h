// A window's controls below its toolbar in a scroll area: the window asks for room to show all
// of them, and where a small screen cannot give it, the body scrolls instead of the window
// running past the screen's edges.
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

// Where a window too big for its place in the main window goes.
enum class FitRoom {
    InnerArea,  // smaller, inside the main window's inner area: its body scrolls (a long text)
    Screen,     // as big as the screen allows, moved up and left: every control in reach
};

// Sizes `window` to its size hint where the main window's inner area has room for it at
// `placement`, else as `room` says, then places it (kept whole on the screen). A window without
// a frame keeps its size hint.
void fitAndPlaceInFrame(QWidget& window, Placement placement, FitRoom room = FitRoom::InnerArea);

}  // namespace corvane
