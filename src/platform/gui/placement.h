// Where each tool window puts itself on every activation, inside the main window: most at 15% of
// the frame's inner height from the top and 10% of its inner width from the left; the runners,
// editors and the main menu at 10, 10 twips (a twip is 1/1440 inch).
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QLineEdit;
class QWidget;

namespace corvane {

enum class Placement {
    Tool,    // 10% of the inner width from the left, 15% of the inner height from the top
    Corner,  // 10, 10 twips from the inner top left
    Centre,  // centred in the inner area (the about box)
};

// Pixels for a length in twips at `dpi` dots per inch, rounded.
int twipsToPixels(double twips, double dpi);

// The offset of a window's top left from the frame's inner top left (`window` is the size of the
// window, title bar included; only the centred placement needs it).
QPoint placementOffset(Placement placement, QSize inner, double dpiX, double dpiY,
                       QSize window = {});

// The main window a tool window belongs to: its outermost ancestor (also for a window opened
// from another tool window); null when the window has no parent (a window under test alone).
QWidget* frameOf(const QWidget& window);

// The room a window of the main window `frame` may take: the screen that main window is on (its
// available area), or the main window itself where it reaches further.
QRect screenRoomOf(const QWidget& frame);

// The client size of `window` at most `wanted`, small enough that its whole frame fits the room
// of its main window's screen; `wanted` unchanged for a window without a main window.
QSize fitOnScreen(const QWidget& window, QSize wanted);

// Where a window whose frame (title bar included) is `outer` big and would stand at `topLeft`
// goes so that it is whole on the screen the main window `frame` is on (or within that main
// window, where it reaches further): moved up and left as far as needed, never above or left of
// that area, so its title bar stays in reach.
QPoint keptOnScreen(QPoint topLeft, QSize outer, const QWidget& frame);

// Moves `window` (its frame, title bar included) to its place inside `frame`'s inner area (the
// central widget of a main window, else the whole client area), kept on the screen. A null frame
// means frameOf(window); with no frame at all the window stays where it is.
void placeInFrame(QWidget& window, Placement placement = Placement::Tool,
                  const QWidget* frame = nullptr);

// The frame the window system or a drawn picture puts round a window's client area when the
// window system reports none (offscreen, or before the window is shown): a title bar and borders.
inline constexpr int kDrawnTitleBar = 26;
inline constexpr int kDrawnBorder = 3;

// The margins a window's frame adds round its client area: the window system's or the drawn
// title bar and borders above, whichever is bigger on each side.
QMargins frameMarginsOf(const QWidget& window);

// The frame's inner area: a main window's central widget, else its whole client area.
const QWidget* innerAreaOf(const QWidget& frame);

// The client size of a window that fills the main window's inner area: at most `wanted`, and
// small enough that its whole frame, title bar included, placed at `placement`, ends inside the
// inner area, so the main window's toolbar and status bar stay in view. A null frame means
// frameOf(window); with no frame `wanted` comes back unchanged. Every window that sizes itself
// from the main window goes through here.
QSize fitInInnerArea(const QWidget& window, QSize wanted, Placement placement,
                     const QWidget* frame = nullptr);

// Makes `window` at least wide enough that a window manager's title bar shows its caption
// whole beside the icon and the three buttons (a narrow window's title is elided otherwise).
void keepTitleWhole(QWidget& window);

// The width `box` needs to show `text` whole, frame and margins included (the calculated boxes
// hold values such as "1234.56").
int widthToShow(const QLineEdit& box, const QString& text);

}  // namespace corvane
