#include "platform/gui/printing.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QTextDocument>
#include <QWidget>
#include <memory>

#include "platform/gui/dialogs.h"

namespace corvane {

namespace {

// The hourglass while the job is drawn, the default pointer afterwards.
struct WaitPointer {
    WaitPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitPointer() { QApplication::restoreOverrideCursor(); }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;
};

}  // namespace

bool printWindow(Dialogs& dialogs, QWidget& window, const QString& title) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    if (!dialogs.choosePrinter(printer)) return false;
    WaitPointer wait;
    const QPixmap image = window.grab();
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = painter.viewport();
    QSize size = image.size();
    // The window at its screen size where it fits, scaled down to the page otherwise.
    const double scale = printer.resolution() / static_cast<double>(window.logicalDpiX());
    size = (size * scale).boundedTo(page.size());
    const QSize drawn = image.size().scaled(size, Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(page.topLeft(), drawn), image);
    painter.end();
    return true;
}

bool printRichText(Dialogs& dialogs, const QTextDocument& document, const QString& title) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    if (!dialogs.choosePrinter(printer)) return false;
    WaitPointer wait;
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->print(&printer);
    return true;
}

}  // namespace corvane
