// Where each tool window puts itself on every activation, inside the main window: most at 15% of
// the frame's inner height from the top and 10% of its inner width from the left; the runners,
// editors and the main menu at 10, 10 twips (a twip is 1/1440 inch).
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace corvane {

enum class Placement {
    Tool,    // 10% of the inner width from the left, 15% of the inner height from the top
    Corner,  // 10, 10 twips from the inner top left
};

// Pixels for a length in twips at `dpi` dots per inch, rounded.
int twipsToPixels(double twips, double dpi);

// The offset of a window's top left from the frame's inner top left.
QPoint placementOffset(Placement placement, QSize inner, double dpiX, double dpiY);

// The main window a tool window belongs to: its outermost ancestor (also for a window opened
// from another tool window); null when the window has no parent (a window under test alone).
QWidget* frameOf(const QWidget& window);

// Moves `window` (its frame, title bar included) to its place inside `frame`'s inner area (the
// central widget of a main window, else the whole client area). A null frame means
// frameOf(window); with no frame at all the window stays where it is.
void placeInFrame(QWidget& window, Placement placement = Placement::Tool,
                  const QWidget* frame = nullptr);

}  // namespace corvane
