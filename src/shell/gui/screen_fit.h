// Does every window fit the operator's screen? With the main window maximized on the screen it
// is on, each window of the catalogue and each planform window is opened as the operator opens
// it and checked: its frame, title bar included, stands whole on the screen, and its body needs
// no scrolling. `corvane --screenshot DIR --real-display` runs it on the real X server, so the
// window manager's frame and placement count, and keeps a picture of each window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace corvane {

class MainWindow;

// "<prefix><name> whole on the screen ok", or the same with what is wrong in place of "ok":
// "OFF SCREEN (frame x,y wxh, screen wxh)" or "SCROLLS".
QString screenFitLine(const QWidget& window, const QString& prefix);

// Maximizes the frame, opens each window, calls `picture` with it (to keep what the screen
// shows) and returns one fit line a window; every window is closed again and the frame left
// maximized.
QStringList checkWindowsOnTheScreen(MainWindow& frame, const QString& prefix,
                                    const std::function<void(QWidget&)>& picture);

// `corvane --screenshot DIR --real-display --screen-fit`: the check above on the screen as it
// is, a picture of each window as DIR/<name>.png and the lines in DIR/screen-fit.txt. Returns
// the files written; `error` says what failed (a window that does not fit, a file not written).
QStringList writeScreenFit(MainWindow& frame, const QString& dir, QString* error);

}  // namespace corvane
