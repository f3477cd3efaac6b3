// corvane: the operator's program. Chooses the application folder and the port backend, builds
// the program-wide Workspace, shows the main window and runs its start-up; on every way out the
// hot wire goes to its inactive level (normal exit here, signals through WireGuard).
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
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
#include "common/kernel_ports.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "machine/port_opening.h"
#include "machine/wire_guard.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "platform/app_folder.h"
#include "platform/gui/qt_dialogs.h"
#include "platform/gui/toolbar.h"
#include "platform/gui/ui_language.h"
#include "platform/gui/x11_colormap.h"
#include "platform/gui/x11_transient.h"
#include "platform/monotonic_clock.h"
#include "platform/port_select.h"
#include "platform/realtime_priority.h"
#include "platform/tracing_port.h"
#include "run/gui/cut_window.h"
#include "shell/gui/guarded_application.h"
#include "shell/gui/headless_dialogs.h"
#include "shell/gui/main_window.h"
#include "shell/gui/screen_fit.h"
#include "shell/gui/screenshots.h"

using namespace corvane;

namespace {

// The application folder's own files (not the build outputs that share a build tree's folder)
// and its samples, copied into `to`.
std::filesystem::path copyForScreenshots(const std::filesystem::path& from,
                                         const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    if (to.empty()) throw std::runtime_error("no temporary folder");
    const std::set<std::string> kinds{".txt", ".hlp", ".ct1", ".ct2", ".ct3", ".rtf",
                                      ".ini", ".dat", ".cor", ".fwn", ".html"};
    for (const fs::directory_entry& e : fs::directory_iterator(from))
        if (e.is_regular_file() && kinds.count(e.path().extension().string()) != 0)
            fs::copy_file(e.path(), to / e.path().filename());
    if (fs::is_directory(from / "samples"))
        fs::copy(from / "samples", to / "samples", fs::copy_options::recursive);
    return to;
}

// The --port text that gives portscope the same backend and device as this program.
std::string portscopeChoiceText(const PortChoice& choice, int dataPort) {
    switch (choice.kind) {
        case PortChoice::Kind::Direct:
            return "direct";
        case PortChoice::Kind::Ppdev:
            if (!choice.device.empty()) return "ppdev:" + choice.device;
            try {
                if (dataPort > 0)
                    return "ppdev:" + ppdevDeviceFor(static_cast<uint16_t>(dataPort), "").device;
            } catch (const std::exception&) {
            }
            return "ppdev";
        case PortChoice::Kind::Simulated:
            break;
    }
    return "sim";
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
                      "Port backend: sim, direct, ppdev, ppdev:/dev/parportN or auto "
                      "(default: CORVANE_PORT, else auto: the parallel port the kernel lists "
                      "when this user may open it, else sim).",
                      "BACKEND"});
    parser.addOption({"trace", "Write every port operation to FILE.", "FILE"});
    parser.addOption({"lang",
                      "Language of the windows: zh (the program's own texts) or en (default: "
                      "the locale, LANGUAGE/LC_ALL/LC_MESSAGES/LANG; C/POSIX keep the own "
                      "texts). The command-line messages stay as they are.",
                      "LANG"});
    parser.addOption({"screenshot", "Write pictures of the windows to DIR and exit.", "DIR"});
    parser.addOption({"real-display",
                      "With --screenshot: take the pictures from the screen of the running X "
                      "server, as a person sees them, and check that every window shows what "
                      "it drew (DIR/display-check.txt)."});
    parser.addOption({"screen-fit",
                      "With --screenshot and --real-display: open every window on the screen as "
                      "it is and check that each stands whole on it without scrolling "
                      "(DIR/screen-fit.txt, a picture of each window)."});
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
    GuardedApplication app(argc, argv);
    useDefaultColormapOnX11(app);
    keepWindowsAboveTheirOpenersOnX11(app);
    QApplication::setApplicationName(QStringLiteral("corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_BUILD_VERSION));

    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);
    const bool screenshots = parser.isSet("screenshot");

    // The windows' language, before the first window: a Chinese or C locale keeps the program's
    // own texts; an English one loads the shipped translation.
    std::optional<QString> langOption;
    if (parser.isSet("lang")) {
        langOption = parser.value("lang");
        if (!parseLanguageOption(*langOption)) {
            std::fprintf(stderr, "corvane: --lang takes zh or en, not \"%s\"\n",
                         langOption->toLocal8Bit().constData());
            return 2;
        }
    }
    WindowTranslation translation;
    const UiLanguage language = chooseLanguage(langOption);
    if (language != UiLanguage::Own) {
        const QString file = translationFile(
            QString::fromStdString(findResources(executableDir()).string()), language);
        if (translation.load(file))
            translation.install();
        else
            std::fprintf(stderr,
                         "corvane: no translation at %s; the windows keep their own texts\n",
                         file.toLocal8Bit().constData());
    }

    QtDialogs interactiveDialogs;
    HeadlessDialogs headlessDialogs;
    Dialogs& dialogs = screenshots ? static_cast<Dialogs&>(headlessDialogs) : interactiveDialogs;
    app.setDialogs(&dialogs);
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

    PortChoice choice;
    try {
        // The operator's program finds the real port by itself; pictures never touch one.
        choice = parsePortChoice(optionValue(parser, "port"), screenshots ? "sim" : "auto");
    } catch (const std::exception& e) {
        return fail(dialogs, !screenshots,
                    QStringLiteral("The port could not be opened: %1").arg(e.what()));
    }

    // The signal guard comes first: from here on a termination signal ends the program even
    // while a message box is open (the box is dismissed, then the normal shut-down runs).
    WireGuard::install(choice.kind);
    MainWindow* frameForShutdown = nullptr;
    QTimer dismissBoxes;
    dismissBoxes.setInterval(20);
    QObject::connect(&dismissBoxes, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(box))
                dialog->reject();
            else
                box->hide();
        }
    });
    QSocketNotifier request(WireGuard::shutdownRequestFd(), QSocketNotifier::Read);
    QObject::connect(&request, &QSocketNotifier::activated, [&] {
        char buffer[16];
        while (::read(WireGuard::shutdownRequestFd(), buffer, sizeof buffer) > 0) {
        }
        dismissBoxes.start();
        if (frameForShutdown != nullptr) frameForShutdown->shutDown(true);
        app.quit();
    });

    // The port needs the settings' data address before the settings window reads them. Only
    // settings that loaded in full may name the port and the wire pin to claim it with: a
    // missing or damaged file claims nothing (never a guessed address).
    MachineSettings early;
    bool loadedInFull = true;
    try {
        early.load(appFolder / "settings.txt");
    } catch (...) {
        loadedInFull = false;
    }

    RealClock clock;
    MachinePort machinePort;
    std::unique_ptr<Workspace> wsHolder;
    try {
        machinePort = openMachinePort(
            choice, optionValue(parser, "trace"), loadedInFull ? &early : nullptr,
            [&wsHolder, &early]() -> const MachineSettings* {
                return wsHolder ? &wsHolder->settings : &early;
            },
            clock);
    } catch (const std::exception& e) {
        // Never a silent fall-back to another backend.
        return fail(dialogs, !screenshots,
                    QStringLiteral("The port could not be opened: %1").arg(e.what()));
    }
    PortIo& live = machinePort.live();
    // portscope started from Help watches this machine's own port (never a simulated one by
    // default): it reads its backend and device from the environment it inherits.
    qputenv("PORTSCOPE_PORT", QByteArray::fromStdString(portscopeChoiceText(
                                  choice, loadedInFull ? early.derived.DataPort : 0)));

    // Motions raise this (the window's) thread to real-time priority while they run.
    SystemScheduling scheduling;
    wsHolder = std::make_unique<Workspace>(appFolder, live, clock);
    Workspace& ws = *wsHolder;
    ws.yield = [] { QCoreApplication::processEvents(); };
    ws.scheduling = &scheduling;
    // Claiming a port can change the control pins: the wire pin goes inactive before anything
    // (the backend did so right after its claim; this puts it in the trace and the state).
    if (loadedInFull) {
        Workspace early_ws(appFolder, live, clock);
        early_ws.settings = early;
        try {
            WireOff(early_ws);
        } catch (...) {
        }
    }

    int rc = 0;
    {
        MainWindow frame(ws, dialogs, {QString::fromStdString(live.describe()), live.isHardware()});
        dialogs.setParentWidget(&frame);
        QObject::connect(&frame, &MainWindow::settingsApplied,
                         [&ws] { WireGuard::arm(ws.settings); });
        QObject::connect(&frame, &MainWindow::shutDownComplete, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        // A termination signal: the handler has switched the wire off; now the normal
        // shut-down unloads every window.
        frameForShutdown = &frame;

        frame.show();
        setFolderLockNotice([&frame](const std::string& text) { frame.showFolderWait(text); });
        frame.startUp();

        // A signal during start-up has asked for the shut-down: nothing is switched on.
        if (parser.isSet("wire-on") && WireGuard::requestedBy() == 0) {
            if (live.isHardware()) {
                dialogs.message(QStringLiteral("--wire-on is refused on a real port."));
            } else if (auto* form10 = qobject_cast<CutWindow*>(frame.windows().show("Form10"))) {
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
            const QStringList files =
                parser.isSet("screen-fit") && parser.isSet("real-display")
                    ? writeScreenFit(frame, parser.value("screenshot"), &error)
                    : writeScreenshots(frame, parser.value("screenshot"), &error,
                                       parser.isSet("real-display"));
            for (const QString& f : files) std::printf("%s\n", f.toLocal8Bit().constData());
            if (!error.isEmpty()) {
                std::fprintf(stderr, "corvane: %s\n", error.toLocal8Bit().constData());
                rc = 1;
            }
            frame.shutDown(true);
        } else if (WireGuard::requestedBy() == 0) {
            try {
                rc = app.exec();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "corvane: %s\n", e.what());
                rc = 1;
            }
        }
        setFolderLockNotice({});
        dialogs.setParentWidget(nullptr);
        frameForShutdown = nullptr;
    }

    // Every way out: the wire pin at its inactive level.
    try {
        WireOff(ws);
    } catch (...) {
    }
    WireGuard::release();
    return rc;
}
