// corvane: the operator's program. Chooses the application folder and the port backend, builds
// the program-wide Workspace, shows the main window and runs its start-up; on every way out the
// hot wire goes to its inactive level (normal exit here, signals through WireGuard).
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "build_version.h"
#include "common/folder_lock.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "machine/step_output.h"
#include "machine/wire_guard.h"
#include "machine/workspace.h"
#include "platform/app_folder.h"
#include "platform/gui/qt_dialogs.h"
#include "platform/gui/toolbar.h"
#include "platform/monotonic_clock.h"
#include "platform/port_select.h"
#include "platform/tracing_port.h"
#include "run/gui/wing_cut_window.h"
#include "shell/gui/headless_dialogs.h"
#include "shell/gui/main_window.h"
#include "shell/gui/screenshots.h"

using namespace corvane;

namespace {

// The application folder's own files (not the build outputs that share a build tree's folder)
// and its samples, copied into `to`.
std::filesystem::path copyForScreenshots(const std::filesystem::path& from,
                                         const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    if (to.empty()) throw std::runtime_error("no temporary folder");
    const std::set<std::string> kinds{".txt", ".hlp", ".ct1", ".ct2", ".ct3",
                                      ".rtf", ".ini", ".dat", ".cor", ".fwn"};
    for (const fs::directory_entry& e : fs::directory_iterator(from))
        if (e.is_regular_file() && kinds.count(e.path().extension().string()) != 0)
            fs::copy_file(e.path(), to / e.path().filename());
    if (fs::is_directory(from / "samples"))
        fs::copy(from / "samples", to / "samples", fs::copy_options::recursive);
    return to;
}

std::optional<std::string> optionValue(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name)) return std::nullopt;
    return parser.value(name).toStdString();
}

int fail(Dialogs& dialogs, bool interactive, const QString& text) {
    std::fprintf(stderr, "corvane: %s\n", text.toLocal8Bit().constData());
    if (interactive)
        dialogs.message(text, QStringLiteral("Corvane"), MsgButtons::Ok, MsgIcon::Critical);
    return 1;
}

void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Drives a four-axis hot-wire foam cutter."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"app-dir", "Application folder (settings, waypoints, cut files).", "DIR"});
    parser.addOption({"init", "Create the --app-dir folder when it does not exist."});
    parser.addOption({"port",
                      "Port backend: sim, direct, ppdev or ppdev:/dev/parportN "
                      "(default: CORVANE_PORT, else sim).",
                      "BACKEND"});
    parser.addOption({"trace", "Write every port operation to FILE.", "FILE"});
    parser.addOption({"screenshot", "Write pictures of the windows to DIR and exit.", "DIR"});
    parser.addOption({"wire-on",
                      "Open the wing cut window and switch the wire on with its button "
                      "(simulated port only; a check of the shut-down safety)."});
    parser.addOption({"begin-cut",
                      "With --wire-on: then press Begin Cut on the working set (simulated port "
                      "only)."});
}

// --help and --version answer on a terminal without a display (QApplication would need one).
void answerWithoutDisplay(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" ||
            arg == "-v") {
            QCoreApplication core(argc, argv);
            QCoreApplication::setApplicationName(QStringLiteral("corvane"));
            QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_BUILD_VERSION));
            QCommandLineParser parser;
            describeOptions(parser);
            parser.process(core);  // prints and exits
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    answerWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_BUILD_VERSION));

    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);
    const bool screenshots = parser.isSet("screenshot");

    QtDialogs interactiveDialogs;
    HeadlessDialogs headlessDialogs;
    Dialogs& dialogs = screenshots ? static_cast<Dialogs&>(headlessDialogs) : interactiveDialogs;
    std::filesystem::path appFolder;
    try {
        std::optional<std::string> dir = optionValue(parser, "app-dir");
        if (!dir) {
            const QByteArray env = qgetenv("CORVANE_APP_DIR");
            if (!env.isEmpty()) dir = env.toStdString();
        }
        AppFolderRequest request{dir, executableDir(), {}};
        request.createExplicit = parser.isSet("init");
        appFolder = resolveAppFolder(request);
    } catch (const std::exception& e) {
        return fail(dialogs, !screenshots,
                    QStringLiteral("The application folder cannot be used: %1").arg(e.what()));
    }

    // Pictures are taken in a scratch copy of the application folder: they generate a demo set,
    // which must not replace the operator's working cut files.
    QTemporaryDir scratch;
    if (screenshots) {
        try {
            appFolder = copyForScreenshots(appFolder, scratch.path().toStdString());
        } catch (const std::exception& e) {
            return fail(dialogs, false,
                        QStringLiteral("No scratch application folder: %1").arg(e.what()));
        }
    }

    // The port needs the settings' data address before the settings window reads them.
    MachineSettings early;
    try {
        early.load(appFolder / "settings.txt");
    } catch (...) {
    }
    // No known port: the backend opens with nothing granted and refuses every access until
    // the settings name a port (never a guessed address).
    const uint16_t dataPort =
        early.derived.DataPort > 0 ? static_cast<uint16_t>(early.derived.DataPort) : 0;

    PortChoice choice;
    std::unique_ptr<PortIo> port;
    try {
        choice = parsePortChoice(optionValue(parser, "port"));
        port = openPort(choice, dataPort);
    } catch (const std::exception& e) {
        // Never a silent fall-back to another backend.
        return fail(dialogs, !screenshots,
                    QStringLiteral("The port could not be opened: %1").arg(e.what()));
    }
    RealClock clock;
    std::unique_ptr<TracingPort> tracer;
    if (parser.isSet("trace")) {
        try {
            tracer =
                std::make_unique<TracingPort>(*port, clock, parser.value("trace").toStdString());
        } catch (const std::exception& e) {
            return fail(dialogs, !screenshots, QString::fromUtf8(e.what()));
        }
    }
    PortIo& live = tracer ? static_cast<PortIo&>(*tracer) : *port;

    Workspace ws(appFolder, live, clock);
    ws.yield = [] { QCoreApplication::processEvents(); };

    // Claiming a port can change the control pins: the wire pin goes inactive before anything.
    WireGuard::install(choice.kind, choice.device);
    if (tracer) WireGuard::traceTo(tracer->fd(), tracer->startCount());
    {
        Workspace early_ws(appFolder, live, clock);
        early_ws.settings = early;
        try {
            WireOff(early_ws);
        } catch (...) {
        }
        WireGuard::arm(early);
    }

    int rc = 0;
    {
        MainWindow frame(ws, dialogs, {QString::fromStdString(live.describe()), live.isHardware()});
        dialogs.setParentWidget(&frame);
        QObject::connect(&frame, &MainWindow::settingsApplied,
                         [&ws] { WireGuard::arm(ws.settings); });
        QObject::connect(&frame, &MainWindow::shutDownComplete, &app, &QApplication::quit,
                         Qt::QueuedConnection);

        // SIGINT, SIGTERM, SIGHUP: the handler has switched the wire off; now the normal
        // shut-down unloads every window.
        QSocketNotifier request(WireGuard::shutdownRequestFd(), QSocketNotifier::Read);
        QObject::connect(&request, &QSocketNotifier::activated, &frame, [&frame, &app] {
            char buffer[16];
            while (::read(WireGuard::shutdownRequestFd(), buffer, sizeof buffer) > 0) {
            }
            frame.shutDown(true);
            app.quit();
        });

        frame.show();
        setFolderLockNotice([&frame](const std::string& text) { frame.showFolderWait(text); });
        frame.startUp();

        // A signal during start-up has asked for the shut-down: nothing is switched on.
        if (parser.isSet("wire-on") && WireGuard::requestedBy() == 0) {
            if (live.isHardware()) {
                dialogs.message(QStringLiteral("--wire-on is refused on a real port."));
            } else if (auto* form10 =
                           qobject_cast<WingCutWindow*>(frame.windows().show("Form10"))) {
                // As the operator would: the wire button, then Begin Cut.
                emit form10->toolbar().buttonClicked(3);
                if (ws.wire.on()) {
                    std::printf("corvane: wire on (%s)\n", live.describe().c_str());
                    std::fflush(stdout);
                } else {
                    std::fprintf(stderr, "corvane: the wire did not switch on\n");
                }
                if (parser.isSet("begin-cut"))
                    QTimer::singleShot(0, form10,
                                       [form10] { emit form10->toolbar().buttonClicked(1); });
            }
        }

        if (screenshots) {
            QString error;
            const QStringList files = writeScreenshots(frame, parser.value("screenshot"), &error);
            for (const QString& f : files) std::printf("%s\n", f.toLocal8Bit().constData());
            if (!error.isEmpty()) {
                std::fprintf(stderr, "corvane: cannot write %s\n", error.toLocal8Bit().constData());
                rc = 1;
            }
            frame.shutDown(true);
        } else {
            try {
                rc = app.exec();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "corvane: %s\n", e.what());
                rc = 1;
            }
        }
        setFolderLockNotice({});
        dialogs.setParentWidget(nullptr);
    }

    // Every way out: the wire pin at its inactive level.
    try {
        WireOff(ws);
    } catch (...) {
    }
    WireGuard::disarm();
    WireGuard::traceTo(-1, 0);
    return rc;
}
