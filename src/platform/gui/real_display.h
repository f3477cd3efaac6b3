// Pictures of windows as a person sees them on a real display: taken from the screen, frame and
// title bar as the window manager drew them, never from the widget's own rendering. Each picture
// comes with a check that the screen shows what the window drew (a window the window system
// left black or blank fails it). Both programs' screenshot tools use it with --real-display.
#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace corvane {

struct ScreenCheck {
    QString name;        // the window's object name
    int colours = 0;     // distinct colours of its client area on the screen
    double match = 0.0;  // share of the client area's pixels that equal the window's own drawing
    bool ok() const { return colours >= kMinColours && match >= kMinMatch; }
    QString line() const;  // "<name> colours=<n> match=<0.000> ok|BLANK|DIFFERS"

    static constexpr int kMinColours = 8;
    static constexpr double kMinMatch = 0.9;
};

// Processes events until `window` is exposed on the screen and has had time to paint (at most
// a few seconds); false when it never was.
[[nodiscard]] bool waitUntilOnScreen(QWidget& window);

// The window's frame as the screen shows it (the part inside the screen).
QImage screenPicture(const QWidget& window);

// Compares what the screen shows in the window's client area with the window's own drawing.
ScreenCheck checkOnScreen(QWidget& window);

}  // namespace corvane
