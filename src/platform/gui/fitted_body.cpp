#include "platform/gui/fitted_body.h"

#include <QScrollBar>
#include <algorithm>

namespace corvane {

FittedBody::FittedBody(QWidget* content, QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("FittedBody"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(content);
}

QSize FittedBody::sizeHint() const {
    const QMargins m = contentsMargins();
    const QSize content = widget() != nullptr
                              ? widget()->sizeHint().expandedTo(widget()->minimumSizeHint())
                              : QSize();
    return content + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FittedBody::minimumSizeHint() const {
    // Room for both scroll bars and a little of the content between them.
    const int bar = std::max(verticalScrollBar()->sizeHint().width(),
                             horizontalScrollBar()->sizeHint().height());
    const QSize corner(160, 100);
    return sizeHint().boundedTo(corner + QSize(bar, bar));
}

void fitAndPlaceInFrame(QWidget& window, Placement placement, FitRoom room) {
    const QSize wanted = window.sizeHint();
    QSize size = fitInInnerArea(window, wanted, placement);
    // placeInFrame moves a window that does not fit below its place up and left on the screen.
    if (size != wanted && room == FitRoom::Screen) size = fitOnScreen(window, wanted);
    window.resize(size);
    placeInFrame(window, placement);
}

}  // namespace corvane
