// Pictures of the windows as the operator sees them, for the documentation and for review:
// `corvane --screenshot DIR` (best offscreen: QT_QPA_PLATFORM=offscreen) writes one PNG per
// window, each with a drawn title bar carrying its caption, and the main window with the
// main menu over it.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace corvane {

class MainWindow;

// A window's picture under a title bar that shows its caption (offscreen windows have none).
QImage windowPicture(QWidget& window);

// The main window with `windows` drawn over it where they stand.
QImage framePicture(QWidget& frame, const QList<QWidget*>& windows);

// Opens the windows worth showing, writes DIR/<name>.png for each and DIR/FrmMain.png (the
// frame with Form5 in place) and DIR/FrmMain_<name>.png (the frame with Form5 and that window
// over it). Returns the files written; `error` names a file that failed.
QStringList writeScreenshots(MainWindow& frame, const QString& dir, QString* error);

}  // namespace corvane
