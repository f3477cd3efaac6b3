#include "platform/gui/real_display.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <cstdlib>

namespace corvane {

namespace {

void pump(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    } while (clock.elapsed() < milliseconds);
}

QScreen* screenOf(const QWidget& window) {
    return window.screen() != nullptr ? window.screen() : QApplication::primaryScreen();
}

// `area` (global coordinates) as the screen shows it, clipped to the screen.
QImage grabScreen(const QWidget& window, QRect area) {
    QScreen* screen = screenOf(window);
    if (screen == nullptr) return {};
    area &= screen->geometry();
    if (area.isEmpty()) return {};
    const QPoint origin = screen->geometry().topLeft();
    return screen
        ->grabWindow(0, area.x() - origin.x(), area.y() - origin.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
           std::abs(qBlue(a) - qBlue(b)) <= 8;
}

}  // namespace

QString ScreenCheck::line() const {
    const char* verdict = ok() ? "ok" : colours < kMinColours ? "BLANK" : "DIFFERS";
    return QStringLiteral("%1 colours=%2 match=%3 %4")
        .arg(name)
        .arg(colours)
        .arg(match, 0, 'f', 3)
        .arg(QString::fromLatin1(verdict));
}

bool waitUntilOnScreen(QWidget& window) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        QWindow* handle = window.windowHandle();
        if (window.isVisible() && handle != nullptr && handle->isExposed()) {
            // The window manager places and frames a new window after it is exposed.
            pump(400);
            return true;
        }
        pump(20);
    }
    return false;
}

QImage screenPicture(const QWidget& window) {
    return grabScreen(window, window.frameGeometry());
}

ScreenCheck checkOnScreen(QWidget& window) {
    ScreenCheck check;
    check.name = window.objectName();
    const QRect client(window.mapToGlobal(QPoint(0, 0)), window.size());
    const QImage shown = grabScreen(window, client);
    if (shown.isNull()) return check;
    const QImage drawn = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The part of the client area inside the screen, in the window's own coordinates.
    const QPoint offset = (client & screenOf(window)->geometry()).topLeft() - client.topLeft();
    QSet<QRgb> colours;
    qint64 same = 0;
    for (int y = 0; y < shown.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            if (colours.size() < 4096) colours.insert(row[x] & 0xFFFFFFu);
            const QPoint at(x + offset.x(), y + offset.y());
            if (drawn.valid(at) && near(row[x], drawn.pixel(at))) ++same;
        }
    }
    check.colours = static_cast<int>(colours.size());
    check.match = static_cast<double>(same) / (static_cast<double>(shown.width()) * shown.height());
    return check;
}

}  // namespace corvane
