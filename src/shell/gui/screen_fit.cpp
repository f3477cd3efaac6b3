#include "shell/gui/screen_fit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>
#include <QThread>
#include <QWidget>
#include <memory>

#include "generate/gui/planform_window.h"
#include "generate/planform.h"
#include "platform/gui/real_display.h"
#include "shell/gui/main_window.h"
#include "shell/gui/window_catalog.h"

namespace corvane {

namespace {

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The window manager places and frames a window a little after it is mapped.
void letTheWindowManagerPlace() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 600) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// The windows an operator opens from the menus and the main menu (the return windows plan a
// move first; the cut windows and the editors are the catalogue's too).
const char* const kWindows[] = {"Form5",     "Form9",          "Form14",    "Form2",  "Form10",
                                "Form3",     "Form4",          "Form15",    "Form6",  "Form12",
                                "Form1",     "Form11",         "Form19",    "script", "frmAbout",
                                "ppMonitor", "FormController", "HelpWindow"};

}  // namespace

QString screenFitLine(const QWidget& window, const QString& prefix) {
    const QScreen* screen = window.screen() ? window.screen() : QApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect();
    const QRect outer = window.frameGeometry();
    QString verdict = QStringLiteral("ok");
    if (!room.contains(outer)) {
        verdict = QStringLiteral("OFF SCREEN (frame %1,%2 %3x%4, screen %5x%6)")
                      .arg(outer.x())
                      .arg(outer.y())
                      .arg(outer.width())
                      .arg(outer.height())
                      .arg(room.width())
                      .arg(room.height());
    } else {
        for (const QScrollArea* body : window.findChildren<QScrollArea*>("FittedBody"))
            if (body->verticalScrollBar()->isVisible() || body->horizontalScrollBar()->isVisible())
                verdict = QStringLiteral("SCROLLS");
    }
    return prefix + window.objectName() + QStringLiteral(" whole on the screen ") + verdict;
}

QStringList checkWindowsOnTheScreen(MainWindow& frame, const QString& prefix,
                                    const std::function<void(QWidget&)>& picture) {
    QStringList lines;
    frame.showMaximized();
    settle();
    WindowCatalog& windows = frame.windows();
    auto check = [&](QWidget& window) {
        // Measured all the same, but a window the screen never showed is said.
        if (!waitUntilOnScreen(window))
            lines << prefix + window.objectName() + QStringLiteral(" NOT SHOWN");
        letTheWindowManagerPlace();
        lines << screenFitLine(window, prefix);
        picture(window);
    };
    for (const char* name : kWindows) {
        const QString id = QString::fromLatin1(name);
        if (id == QLatin1String("HelpWindow")) {
            frame.openHelp();
        } else if (!windows.has(id) || windows.show(id) == nullptr) {
            continue;
        }
        QWidget* window = windows.loaded(id);
        if (window == nullptr || !window->isVisible()) continue;
        check(*window);
        // The main menu stays, as it does for the operator; the notes keep their note.
        if (id == QLatin1String("Form19"))
            window->hide();
        else if (id != QLatin1String("Form5"))
            window->close();
        settle();
    }
    // The planform windows, opened from the setup windows' buttons.
    for (const PlanformWindowInfo& info : planformWindows()) {
        auto planform =
            std::make_unique<PlanformWindow>(info.name, frame.workspace(), frame.dialogs(), &frame);
        planform->showAndActivate();
        check(*planform);
        planform->close();
        settle();
    }
    return lines;
}

QStringList writeScreenFit(MainWindow& frame, const QString& dir, QString* error) {
    QStringList written;
    auto fail = [&](const QString& what) {
        if (error != nullptr && error->isEmpty()) *error = what;
    };
    if (!QDir().mkpath(dir)) {
        fail(QStringLiteral("cannot write ") + dir);
        return written;
    }
    const QStringList lines = checkWindowsOnTheScreen(frame, QString(), [&](QWidget& window) {
        const QString path = QDir(dir).filePath(window.objectName() + QStringLiteral(".png"));
        if (screenPicture(window).save(path))
            written << path;
        else
            fail(QStringLiteral("cannot write ") + path);
    });
    QFile report(QDir(dir).filePath(QStringLiteral("screen-fit.txt")));
    if (report.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream(&report) << lines.join(QLatin1Char('\n')) << '\n';
        written << report.fileName();
    } else {
        fail(QStringLiteral("cannot write ") + report.fileName());
    }
    for (const QString& line : lines)
        if (!line.endsWith(QStringLiteral(" ok")))
            fail(
                QStringLiteral("a window does not fit the screen (see %1)").arg(report.fileName()));
    return written;
}

}  // namespace corvane
