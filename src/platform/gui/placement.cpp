#include "platform/gui/placement.h"

#include <QMainWindow>
#include <QWidget>
#include <cmath>

namespace corvane {

int twipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

QPoint placementOffset(Placement placement, QSize inner, double dpiX, double dpiY) {
    if (placement == Placement::Corner) return {twipsToPixels(10, dpiX), twipsToPixels(10, dpiY)};
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

void placeInFrame(QWidget& window, Placement placement, const QWidget* frame) {
    if (frame == nullptr) frame = frameOf(window);
    if (frame == nullptr) return;
    const QWidget* inner = frame;
    if (const auto* main = qobject_cast<const QMainWindow*>(frame))
        if (main->centralWidget() != nullptr) inner = main->centralWidget();
    const QPoint offset =
        placementOffset(placement, inner->size(), inner->logicalDpiX(), inner->logicalDpiY());
    QPoint target = inner->mapToGlobal(QPoint(0, 0)) + offset;
    // A child widget (not a window of its own) is placed in its parent's coordinates.
    if (!window.isWindow() && window.parentWidget() != nullptr)
        target = window.parentWidget()->mapFromGlobal(target);
    window.move(target);
}

}  // namespace corvane
