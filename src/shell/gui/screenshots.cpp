#include "shell/gui/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "script/gui/cutting_script_window.h"
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

QImage framePicture(QWidget& frame, const QList<QWidget*>& windows) {
    QImage image(decoratedSize(frame), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintDecorated(painter, frame, QPoint(0, 0));
    for (QWidget* window : windows) {
        if (window == nullptr || !window->isVisible()) continue;
        // Offscreen windows have no decorations: the drawn title bar takes the place a window
        // manager's would, at the window's position inside the drawn frame.
        paintDecorated(painter, *window,
                       window->pos() - frame.pos() + QPoint(kBorder, kTitleHeight));
    }
    return image;
}

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
    // Room for the biggest tool window below the main menu.
    frame.resize(frame.size().expandedTo(QSize(1280, 960)));
    frame.show();
    settle();

    // The frame with the main menu where it places itself, and with each window over both.
    WindowCatalog& windows = frame.windows();
    QWidget* menu = windows.show(QStringLiteral("Form5"));
    settle();
    save(framePicture(frame, {menu}), QStringLiteral("FrmMain"));

    const QStringList shown = {"Form5", "Form9",  "Form14", "Form2",    "Form10",
                               "Form3", "Form4",  "Form15", "Form6",    "Form12",
                               "Form1", "Form11", "Form19", "frmAbout", "ppMonitor",
                               "script"};
    for (const QString& name : shown) {
        QWidget* window = windows.show(name);
        if (window == nullptr) continue;
        settle();
        // The script window with the shipped sample script in its list and its help shown.
        if (auto* script = qobject_cast<CuttingScriptWindow*>(window)) {
            const QString sample =
                QDir(script->appFolder()).filePath(CuttingScriptWindow::kSampleFile);
            if (script->lines().empty() && QFile::exists(sample)) script->loadScriptFile(sample);
            script->toggleHelp();
            settle();
        }
        save(windowPicture(*window), name);
        if (name != QLatin1String("Form5"))
            save(framePicture(frame, {menu, window}), QStringLiteral("FrmMain_") + name);
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
