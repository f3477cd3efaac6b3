#include "shell/gui/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTextStream>
#include <QWidget>
#include <filesystem>

#include "controller/gui/controller_settings_window.h"
#include "delay/gui/delay_point_editor.h"
#include "generate/cut_generator.h"
#include "machine/workspace.h"
#include "platform/gui/drawing_view.h"
#include "platform/gui/placement.h"
#include "platform/gui/real_display.h"
#include "platform/gui/toolbar.h"
#include "run/cut_record.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/cut_window.h"
#include "run/gui/resume_offer.h"
#include "run/resume_plan.h"
#include "script/gui/cutting_script_window.h"
#include "shell/gui/main_window.h"
#include "shell/gui/notes_window.h"
#include "troubleshoot/gui/port_troubleshooter_window.h"

namespace corvane {

namespace {

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Title bar and border around a window picture, drawn at `at` (the window's outer top left).
void paintDecorated(QPainter& painter, QWidget& window, QPoint at) {
    const QPixmap body = window.grab();
    const QRect outer(
        at, QSize(body.width() + 2 * kDrawnBorder, body.height() + kDrawnTitleBar + kDrawnBorder));
    painter.fillRect(outer, QColor(0x1f, 0x4e, 0x8c));
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(outer.left() + 8, outer.top(), outer.width() - 16, kDrawnTitleBar),
                     Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawPixmap(outer.left() + kDrawnBorder, outer.top() + kDrawnTitleBar, body);
}

QSize decoratedSize(const QWidget& window) {
    return window.size() + QSize(2 * kDrawnBorder, kDrawnTitleBar + kDrawnBorder);
}

// The sample airfoils shipped beside the program, if this application folder has them.
std::filesystem::path sampleFile(Workspace& ws, const char* name) {
    const std::filesystem::path p = ws.file("samples") / name;
    return std::filesystem::exists(p) ? p : std::filesystem::path();
}

// A working cut-file set to show: the demo's tapered panel with two delay points, or for the foam
// runner a straight 300 mm foam section with the same points. Only in the scratch application
// folder the screenshot run works in.
bool makeDemoSet(Workspace& ws, CutSetKind kind = CutSetKind::Wing) {
    const std::filesystem::path root = sampleFile(ws, "naca2412.dat");
    const std::filesystem::path tip = sampleFile(ws, "naca0012.dat");
    if (root.empty() || tip.empty()) return false;
    ws.delays.ActiveDelayPoints = {20, 40};
    ws.delays.ActiveDelayPointCount = 2;
    GenerationRequest request;
    request.kind = kind;
    request.leftPath = root.string();
    request.rightPath = tip.string();
    request.leftChordText = "250";
    request.rightChordText = "160";
    request.rightWashout = true;
    request.rightAngleText = "-2";
    if (kind == CutSetKind::Foam) {
        request.leftPath = request.rightPath;
        request.leftChordText = request.rightChordText = "300";
        request.rightWashout = false;
        request.rightAngleText = "0";
    }
    CutGenerator generator(ws);
    return generator.generate(request).status == GenerationStatus::Finished;
}

// How the pictures are taken: drawn from the widgets under a drawn title bar (offscreen), or
// from the screen as the window manager shows them, each window checked against its own drawing.
struct Camera {
    bool realDisplay = false;
    QStringList checks;  // one line a window taken from the screen
    QString prefix;      // the frame size the checks are made at, e.g. "1280x960/"
    bool failed = false;

    QImage window(QWidget& w) {
        if (!realDisplay) return windowPicture(w);
        if (!waitUntilOnScreen(w)) {
            checks << prefix + w.objectName() + QStringLiteral(" NOT SHOWN");
            failed = true;
            return {};
        }
        const ScreenCheck check = checkOnScreen(w);
        checks << prefix + check.line();
        failed = failed || !check.ok();
        return screenPicture(w);
    }

    QImage frame(QWidget& frame, const QList<QWidget*>& over) {
        if (!realDisplay) return framePicture(frame, over);
        // A window the screen never showed fails the check as a single window's does.
        bool shown = waitUntilOnScreen(frame);
        for (QWidget* w : over)
            if (w != nullptr && w->isVisible()) shown = waitUntilOnScreen(*w) && shown;
        if (!shown) {
            checks << prefix + frame.objectName() + QStringLiteral(" NOT SHOWN");
            failed = true;
        }
        return screenPicture(frame);
    }
};

// Closing as the operator does, with the close box, runs the window's own unload (the cut window
// gives the main toolbar back).
void closeWindow(QWidget* window) {
    if (window != nullptr && window->isVisible()) window->close();
    settle();
}

// Pictures of one frame size into `dir`.
void shootAt(MainWindow& frame, QSize size, const QString& dir, bool demoSet, Camera& camera,
             const std::function<void(const QImage&, const QString&)>& save) {
    frame.resize(size);
    frame.show();
    settle();
    WindowCatalog& windows = frame.windows();
    QWidget* menu = windows.show(QStringLiteral("Form5"));
    settle();
    save(camera.frame(frame, {menu}), dir + QStringLiteral("/FrmMain"));
    if (camera.realDisplay) {
        // Each menu of the menu bar opened as a click opens it.
        for (QAction* action : frame.menuBar()->actions()) {
            QMenu* popup = action->menu();
            if (popup == nullptr) continue;
            frame.menuBar()->setActiveAction(action);
            save(camera.window(*popup), dir + QStringLiteral("/Menu_") + popup->objectName());
            save(camera.frame(frame, {menu, popup}),
                 dir + QStringLiteral("/FrmMain_Menu_") + popup->objectName());
            popup->hide();
            settle();
        }
    }

    const QStringList shown = {"Form9",  "Form14",   "Form2",     "Form10",
                               "Form3",  "Form4",    "Form15",    "Form6",
                               "Form12", "Form1",    "Form11",    "Form19",
                               "script", "frmAbout", "ppMonitor", "FormController"};
    for (const QString& name : shown) {
        if (!windows.has(name)) continue;
        // The foam runner shows a foam set; the wing set comes back for the windows after it.
        const bool foamSet = demoSet && name == QLatin1String("Form11") &&
                             makeDemoSet(frame.workspace(), CutSetKind::Foam);
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
        // The controller window with a board chosen (shown, not applied: no port is opened).
        if (auto* controller = qobject_cast<ControllerSettingsWindow*>(window)) {
            ControllerChoice chosen;
            chosen.address = "grbl:/dev/ttyUSB0@115200";
            controller->showChoice(chosen);
            settle();
        }
        QList<QWidget*> over{menu, window};
        if (auto* cut = qobject_cast<CutWindow*>(window); cut && demoSet) {
            // Part of the set cut: the first 40% of the segments drawn over in red.
            CutProgressView& view = cut->progressView();
            for (int g = 2; g <= view.pointCount() * 2 / 5; ++g) view.markSegment(g);
            cut->progressView().markDelayPoints(frame.workspace().delays);
        }
        save(camera.window(*window), dir + QStringLiteral("/") + name);
        save(camera.frame(frame, over), dir + QStringLiteral("/FrmMain_") + name);

        if (name == QLatin1String("Form14") && demoSet) {
            // The delay editor, opened from the generation window on the demo's airfoils, with
            // three points picked.
            auto* left = window->findChild<QLineEdit*>(QStringLiteral("Text1"));
            auto* right = window->findChild<QLineEdit*>(QStringLiteral("Text2"));
            if (left && right) {
                left->setText(
                    QString::fromStdString(sampleFile(frame.workspace(), "naca2412.dat").string()));
                right->setText(
                    QString::fromStdString(sampleFile(frame.workspace(), "naca0012.dat").string()));
                if (auto* bar = window->findChild<Toolbar*>(QStringLiteral("asxToolbar1")))
                    bar->click(5);
                settle();
                if (auto* editor =
                        frame.findChild<DelayPointEditor*>(QStringLiteral("DelayForm"))) {
                    const int segments = editor->view().entityCount();
                    for (int s : {segments / 6, segments / 2, segments * 5 / 6}) {
                        const DrawingEntity* e = editor->view().entity(s);
                        if (e == nullptr) continue;
                        editor->selectDelayPoint();
                        editor->clickAt((e->X0 + e->x1) / 2, (e->Y0 + e->y1) / 2);
                    }
                    settle();
                    save(camera.window(*editor), dir + QStringLiteral("/DelayForm"));
                    save(camera.frame(frame, {menu, window, editor}),
                         dir + QStringLiteral("/FrmMain_DelayForm"));
                    closeWindow(editor);
                }
            }
        }
        if (foamSet) makeDemoSet(frame.workspace());
        // The notes window keeps its sample note for the next size: hidden, not closed (its
        // close would offer to save the note).
        if (qobject_cast<NotesWindow*>(window) != nullptr)
            window->hide();
        else
            closeWindow(window);
    }
    frame.openHelp();
    if (QWidget* help = windows.loaded(QStringLiteral("HelpWindow")); help && help->isVisible()) {
        settle();
        save(camera.window(*help), dir + QStringLiteral("/HelpWindow"));
        closeWindow(help);
    }
}

// The wing cut window offering Resume after a Stop three fifths into the demo set (a record
// as the cut would have left it), then with a segment further back picked on the drawing.
void shootResumeOffer(MainWindow& frame, const QString& dir, Camera& camera,
                      const std::function<void(const QImage&, const QString&)>& save) {
    Workspace& ws = frame.workspace();
    try {
        CutRecord record = newCutRecord(ws, false);
        const CutTape tape = readCutTape(ws, record);
        const int segments = tape.segmentAt(tape.size());
        const int stopped = segments * 3 / 5;
        const int64_t tick = (tape.segmentStart(stopped) + tape.segmentStart(stopped + 1)) / 2;
        record.place = replayTo(record, tape, ws.settings.derived, tick);
        CutRecorder(ws.appFolder(), record).sync(RecordSync::Stop);
        auto* cut = qobject_cast<CutWindow*>(frame.windows().show(QStringLiteral("Form10")));
        if (cut != nullptr) {
            settle();
            for (int g = 2; g <= stopped; ++g) cut->progressView().markSegment(g);
            save(camera.window(*cut), dir + QStringLiteral("/Form10_resume"));
            cut->resumeOffer().pickSegment(stopped - segments / 8);
            // Closer, so the two points stand apart on the profiles.
            cut->progressView().zoomIn();
            cut->progressView().zoomIn();
            cut->resumeOffer().markPoints();
            settle();
            save(camera.window(*cut), dir + QStringLiteral("/Form10_resume_point"));
            closeWindow(cut);
        }
    } catch (const std::exception&) {
        // No set to show: no picture.
    }
    removeCutRecord(ws.appFolder());
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
                       window->pos() - frame.pos() + QPoint(kDrawnBorder, kDrawnTitleBar));
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

QList<QSize> screenshotSizes() {
    return {QSize(1280, 960), QSize(1024, 700)};
}

QStringList writeScreenshots(MainWindow& frame, const QString& dir, QString* error,
                             bool realDisplay) {
    QStringList written;
    Camera camera;
    camera.realDisplay = realDisplay;
    auto save = [&](const QImage& image, const QString& base) {
        const QString path = base + QStringLiteral(".png");
        if (image.isNull()) return;  // a window that never showed: its check line says so
        if (image.save(path)) {
            written << path;
        } else if (error != nullptr) {
            *error = QStringLiteral("cannot write ") + path;
        }
    };
    const bool demoSet = makeDemoSet(frame.workspace());
    WindowCatalog& windows = frame.windows();
    // The notes window with a short note of two paragraphs, emptied again afterwards so that
    // shut-down has nothing to offer for saving.
    auto* notes = qobject_cast<NotesWindow*>(windows.load(QStringLiteral("Form19")));
    if (notes != nullptr) {
        notes->setNote(QStringLiteral(
            "Wing job 3: root 250 mm, tip 150 mm, 2 mm washout. Foam blank 600 x 260 x 40, "
            "kerf 0.8 at 2.5 mm/s.\r\n\r\n下次: 切割速度降到 2 毫米/秒, check the Y2 driver's "
            "enable wire before the next cut."));
    }
    QString firstDir;
    for (QSize size : screenshotSizes()) {
        const QString sub =
            QDir(dir).filePath(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
        if (!QDir().mkpath(sub)) {
            if (error != nullptr) *error = QStringLiteral("cannot write ") + sub;
            continue;
        }
        if (firstDir.isEmpty()) firstDir = sub;
        camera.prefix = QDir(sub).dirName() + QLatin1Char('/');
        shootAt(frame, size, sub, demoSet, camera, save);
    }
    // The troubleshooter while it steps X forward with its page loaded: one step, on a
    // simulated port only (a picture must never move a real machine).
    if (!firstDir.isEmpty()) {
        frame.resize(screenshotSizes().front());
        settle();
        QWidget* menu = windows.show(QStringLiteral("Form5"));
        auto* monitor = qobject_cast<PortTroubleshooterWindow*>(windows.show("ppMonitor"));
        if (monitor != nullptr && !monitor->portIsHardware()) {
            settle();
            const QMetaObject::Connection shot =
                QObject::connect(monitor, &PortTroubleshooterWindow::stepWritten, monitor, [&] {
                    save(camera.window(*monitor), firstDir + QStringLiteral("/ppMonitor_stepping"));
                    save(camera.frame(frame, {menu, monitor}),
                         firstDir + QStringLiteral("/FrmMain_ppMonitor_stepping"));
                    monitor->stop();
                });
            monitor->step(StepPair::XForward);
            QObject::disconnect(shot);
            closeWindow(monitor);
        }
    }
    if (!firstDir.isEmpty() && demoSet) shootResumeOffer(frame, firstDir, camera, save);
    if (notes != nullptr) notes->setNote(QString());
    if (realDisplay) {
        QFile report(QDir(dir).filePath(kDisplayCheckFile));
        if (report.open(QIODevice::WriteOnly | QIODevice::Text)) {
            QTextStream(&report) << camera.checks.join(QLatin1Char('\n')) << '\n';
            written << report.fileName();
        } else if (error != nullptr) {
            *error = QStringLiteral("cannot write ") + report.fileName();
        }
        if (camera.failed && error != nullptr && error->isEmpty())
            *error = QStringLiteral("a window does not show on the screen what it drew (see %1)")
                         .arg(report.fileName());
    }
    return written;
}

}  // namespace corvane
