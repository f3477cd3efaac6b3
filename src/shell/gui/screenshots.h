// Pictures of the windows as the operator sees them, for the documentation and for review:
// `corvane --screenshot DIR` (best offscreen: QT_QPA_PLATFORM=offscreen) writes one PNG per
// window, each with a drawn title bar carrying its caption, and the main window with the
// main menu over it.
#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

namespace corvane {

class MainWindow;

// A window's picture under a title bar that shows its caption (offscreen windows have none).
QImage windowPicture(QWidget& window);

// The main window with `windows` drawn over it where they stand.
QImage framePicture(QWidget& frame, const QList<QWidget*>& windows);

// The main window sizes the pictures are taken at: a roomy screen and a short one.
QList<QSize> screenshotSizes();

// For each size, in DIR/<width>x<height>/ (created as needed): FrmMain.png (the frame with Form5
// in place), <name>.png and FrmMain_<name>.png (the frame with Form5 and the window over it) for
// each window worth showing, closed afterwards as the operator would. When the application
// folder has the sample airfoils, a demo set is generated first, so the cut window shows it
// partly cut and the delay editor (DelayForm) shows three picked points. Run it on a scratch
// application folder: the working cut-file set is replaced. Returns the files written; `error`
// says what failed (a file or folder that could not be written).
// With `realDisplay` the pictures come from the screen of the running X server (frame and title
// bar as the window manager draws them), each menu of the menu bar is opened and taken too, and
// DIR/display-check.txt gets one line a window (ScreenCheck::line); a window whose screen does
// not show what it drew sets `error`.
QStringList writeScreenshots(MainWindow& frame, const QString& dir, QString* error,
                             bool realDisplay = false);

inline constexpr const char* kDisplayCheckFile = "display-check.txt";

}  // namespace corvane
