#include "shell/gui/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QSlider>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>

#include "platform/gui/drawing_view.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/wing_cut_window.h"
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

// A cut window with a set loaded is pictured partway through a cut on the simulated port, at
// the slider's top speed: once a third of the segments are marked, or after 15 seconds.
// False when there is nothing to cut (the caller pictures the window as it stands).
bool shootDuringCut(QWidget* window, bool hardware, const std::function<void()>& shoot) {
    auto* cut = qobject_cast<WingCutWindow*>(window);
    if (cut == nullptr || hardware || !cut->progressView().hasProfiles()) return false;
    bool taken = false;
    auto takeAndStop = [&] {
        if (taken) return;
        taken = true;
        shoot();
        cut->toolbar().click(2);
    };
    const int third = std::max(2, cut->progressView().pointCount() / 3);
    const QMetaObject::Connection marked =
        QObject::connect(cut, &WingCutWindow::segmentMarked, cut, [&](int g) {
            if (g >= third) takeAndStop();
        });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, cut, takeAndStop);
    guard.start(15000);
    if (auto* slider = cut->findChild<QSlider*>(QStringLiteral("Slider1"))) {
        slider->setValue(slider->maximum());
        // The operator's zoom key until the profile fills about half of the view.
        for (int i = 0; i < 8 && cut->progressView().leftView().viewWindow().height() > 2.5; ++i) {
            QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
            QApplication::sendEvent(slider, &plus);
        }
    }
    cut->toolbar().click(1);
    QObject::disconnect(marked);
    if (!taken) shoot();  // the cut ended early (a short set, a refusal)
    return true;
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
                               "Form1", "Form11", "Form19", "frmAbout", "ppMonitor"};
    for (const QString& name : shown) {
        QWidget* window = windows.show(name);
        if (window == nullptr) continue;
        settle();
        auto shoot = [&] {
            save(windowPicture(*window), name);
            if (name != QLatin1String("Form5"))
                save(framePicture(frame, {menu, window}), QStringLiteral("FrmMain_") + name);
        };
        if (!shootDuringCut(window, frame.portBackend().hardware, shoot)) shoot();
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
