#include "platform/gui/placement.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace corvane {

int twipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

QPoint placementOffset(Placement placement, QSize inner, double dpiX, double dpiY, QSize window) {
    if (placement == Placement::Corner) return {twipsToPixels(10, dpiX), twipsToPixels(10, dpiY)};
    if (placement == Placement::Centre)
        return {std::max(0, (inner.width() - window.width()) / 2),
                std::max(0, (inner.height() - window.height()) / 2)};
    return {static_cast<int>(std::lround(inner.width() * 0.10)),
            static_cast<int>(std::lround(inner.height() * 0.15))};
}

QWidget* frameOf(const QWidget& window) {
    // The outermost ancestor: a window opened from another tool window still belongs to the
    // main window.
    QWidget* frame = window.parentWidget();
    while (frame != nullptr && frame->parentWidget() != nullptr) frame = frame->parentWidget();
    return frame;
}

const QWidget* innerAreaOf(const QWidget& frame) {
    if (const auto* main = qobject_cast<const QMainWindow*>(&frame))
        if (main->centralWidget() != nullptr) return main->centralWidget();
    return &frame;
}

QMargins frameMarginsOf(const QWidget& window) {
    // Room for whichever frame is bigger: the window system's, or the one a picture draws (the
    // offscreen platform reports a thin border without a title bar).
    QMargins m(kDrawnBorder, kDrawnTitleBar, kDrawnBorder, kDrawnBorder);
    const QRect outer = window.frameGeometry(), inner = window.geometry();
    if (window.isVisible() && outer != inner)
        m = QMargins(std::max(m.left(), inner.left() - outer.left()),
                     std::max(m.top(), inner.top() - outer.top()),
                     std::max(m.right(), outer.right() - inner.right()),
                     std::max(m.bottom(), outer.bottom() - inner.bottom()));
    return m;
}

QSize fitInInnerArea(const QWidget& window, QSize wanted, Placement placement,
                     const QWidget* frame) {
    if (frame == nullptr) frame = frameOf(window);
    if (frame == nullptr) return wanted;
    const QWidget* inner = innerAreaOf(*frame);
    const QMargins m = frameMarginsOf(window);
    const QSize outer(wanted.width() + m.left() + m.right(),
                      wanted.height() + m.top() + m.bottom());
    const QPoint at = placementOffset(placement, inner->size(), inner->logicalDpiX(),
                                      inner->logicalDpiY(), outer);
    const int roomW = inner->width() - at.x() - m.left() - m.right();
    const int roomH = inner->height() - at.y() - m.top() - m.bottom();
    return {std::max(1, std::min(wanted.width(), roomW)),
            std::max(1, std::min(wanted.height(), roomH))};
}

QRect screenRoomOf(const QWidget& frame) {
    QRect bounds = frame.frameGeometry();
    if (const QScreen* screen = frame.screen()) bounds = bounds.united(screen->availableGeometry());
    return bounds;
}

QSize fitOnScreen(const QWidget& window, QSize wanted) {
    const QWidget* frame = frameOf(window);
    if (frame == nullptr) return wanted;
    const QRect room = screenRoomOf(*frame);
    const QMargins m = frameMarginsOf(window);
    return {std::max(1, std::min(wanted.width(), room.width() - m.left() - m.right())),
            std::max(1, std::min(wanted.height(), room.height() - m.top() - m.bottom()))};
}

QPoint keptOnScreen(QPoint topLeft, QSize outer, const QWidget& frame) {
    const QRect bounds = screenRoomOf(frame);
    // The title bar first: a window taller than the room keeps its top edge in reach.
    const int x =
        std::max(bounds.left(), std::min(topLeft.x(), bounds.right() + 1 - outer.width()));
    const int y =
        std::max(bounds.top(), std::min(topLeft.y(), bounds.bottom() + 1 - outer.height()));
    return {x, y};
}

void placeInFrame(QWidget& window, Placement placement, const QWidget* frame) {
    if (frame == nullptr) frame = frameOf(window);
    if (frame == nullptr) return;
    const QWidget* inner = innerAreaOf(*frame);
    // The frame as it will be (before the first show the window system reports none yet).
    const QSize outer = window.size().grownBy(frameMarginsOf(window));
    const QPoint offset = placementOffset(placement, inner->size(), inner->logicalDpiX(),
                                          inner->logicalDpiY(), outer);
    QPoint target = inner->mapToGlobal(QPoint(0, 0)) + offset;
    // A child widget (not a window of its own) is placed in its parent's coordinates.
    if (!window.isWindow() && window.parentWidget() != nullptr) {
        target = window.parentWidget()->mapFromGlobal(target);
    } else if (window.isWindow()) {
        target = keptOnScreen(target, outer, *frame);
    }
    window.move(target);
}

void keepTitleWhole(QWidget& window) {
    // Title bars draw their caption in a bold face, often a little larger than the window's.
    QFont title = window.font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.1);
    constexpr int kIconAndButtons = 4 * 26 + 24;
    const int wanted =
        QFontMetrics(title).horizontalAdvance(window.windowTitle()) + kIconAndButtons;
    window.setMinimumWidth(std::max(window.minimumWidth(), wanted));
}

int widthToShow(const QLineEdit& box, const QString& text) {
    // The line edit's own inner margin (2 px a side), its text margins and the cursor's pixel.
    const QMargins margins = box.textMargins();
    const int inner =
        box.fontMetrics().horizontalAdvance(text) + 2 * 2 + margins.left() + margins.right() + 2;
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.lineWidth =
        box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    option.state |= QStyle::State_Sunken;
    return box.style()
        ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, box.fontMetrics().height()),
                           &box)
        .width();
}

}  // namespace corvane
