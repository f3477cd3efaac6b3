#include "shell/gui/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "shell/gui/main_window.h"

namespace corvane {

namespace {

constexpr int kTitleHeight = 26;
constexpr int kBorder = 3;

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Title bar and border around a window picture, drawn at `at` (the window's outer top left).
void paintDecorated(QPainter& painter, QWidget& window, QPoint at) {
    const QPixmap body = window.grab();
    const QRect outer(at,
                      QSize(body.width() + 2 * kBorder, body.height() + kTitleHeight + kBorder));
    painter.fillRect(outer, QColor(0x1f, 0x4e, 0x8c));
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(outer.left() + 8, outer.top(), outer.width() - 16, kTitleHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawPixmap(outer.left() + kBorder, outer.top() + kTitleHeight, body);
}

QSize decoratedSize(const QWidget& window) {
    return window.size() + QSize(2 * kBorder, kTitleHeight + kBorder);
}

}  // namespace

QImage windowPicture(QWidget& window) {
    QImage image(decoratedSize(window), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintDecorated(painter, window, QPoint(0, 0));
    return image;
}

QStringList writeScreenshots(MainWindow& frame, const QString& dir, QString* error) {
    QStringList written;
    QDir().mkpath(dir);
    auto save = [&](const QImage& image, const QString& name) {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (image.save(path)) {
            written << path;
        } else if (error != nullptr) {
            *error = path;
        }
    };
    frame.show();
    settle();

    // The frame with the main menu where it places itself.
    WindowCatalog& windows = frame.windows();
    QWidget* menu = windows.show(QStringLiteral("Form5"));
    settle();
    {
        QImage image(decoratedSize(frame), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        paintDecorated(painter, frame, QPoint(0, 0));
        if (menu != nullptr) {
            const QPoint inFrame = menu->pos() - frame.pos() + QPoint(kBorder, kTitleHeight);
            paintDecorated(painter, *menu, inFrame);
        }
        painter.end();
        save(image, QStringLiteral("FrmMain"));
    }

    const QStringList shown = {"Form5", "Form9",  "Form14", "Form2",    "Form10",
                               "Form3", "Form4",  "Form15", "Form6",    "Form12",
                               "Form1", "Form11", "Form19", "frmAbout", "ppMonitor"};
    for (const QString& name : shown) {
        QWidget* window = windows.show(name);
        if (window == nullptr) continue;
        settle();
        save(windowPicture(*window), name);
        if (name != QLatin1String("Form5")) window->hide();
    }
    frame.openHelp();
    if (QWidget* help = windows.loaded(QStringLiteral("HelpWindow")); help && help->isVisible()) {
        settle();
        save(windowPicture(*help), QStringLiteral("HelpWindow"));
        help->hide();
    }
    return written;
}

}  // namespace corvane
