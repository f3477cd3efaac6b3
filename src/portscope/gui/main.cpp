// portscope: the separate port monitor. Chooses the port backend, ends with one clear message
// when no port access is possible, prints the ports for --list, else shows TForm1 until it
// is closed and keeps its settings in parport.ini.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "build_version.h"
#include "common/kernel_ports.h"
#include "platform/gui/x11_colormap.h"
#include "portscope/command_line.h"
#include "portscope/gui/scope_window.h"
#include "portscope/gui/screenshots.h"
#include "portscope/parport_ini.h"
#include "portscope/simulated_machine.h"

using namespace portscope;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

// Ctrl+C, a logout or a kill end the event loop the ordinary way, so parport.ini is written.
void quitOnSignals(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, onSignal);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const Options options = parseOptions(args);
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("portscope %s\n", CORVANE_BUILD_VERSION);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "portscope: %s\n%s", options.error.c_str(), usageText().c_str());
        return 2;
    }
    PortChoice choice;
    try {
        // The pictures always watch the simulated machine with two ports.
        choice = parsePortChoice(options.screenshotDir ? std::string("sim:378,278")
                                                       : portChoiceText(options.port));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "portscope: %s\n", e.what());
        return 2;
    }
    // --list with no port chosen lists the machine's ports, never the simulated one.
    const bool chosen = options.port || std::getenv("PORTSCOPE_PORT") != nullptr ||
                        std::getenv("CORVANE_PORT") != nullptr;
    if (options.list && !chosen) {
        if (corvane::listKernelPorts().empty()) {
            std::fprintf(stderr,
                         "portscope: no parallel port: the kernel lists none (load the drivers "
                         "with \"sudo modprobe parport_pc ppdev\"); --port sim lists the "
                         "simulated port\n");
            return 1;
        }
        choice = parsePortChoice("ppdev");
    }
    std::unique_ptr<PortBackend> backend = makeBackend(choice);
    IoUnit io(*backend);

    if (options.list) {
        try {
            io.start();
        } catch (const AccessError& e) {
            std::fprintf(stderr, "portscope: %s\n", e.what());
            return 1;
        }
        std::string refused;
        const std::string lines = listPorts(io, &refused);
        std::fputs(lines.c_str(), stdout);
        if (!refused.empty()) {
            std::fprintf(stderr, "portscope: not claimed:\n%s", refused.c_str());
            return 1;
        }
        if (lines.empty()) {
            std::fprintf(stderr, "portscope: no parallel port detected (%s)\n",
                         backend->describe().c_str());
            return 1;
        }
        return 0;
    }

    QApplication app(argc, argv);
    corvane::useDefaultColormapOnX11(app);
    QApplication::setApplicationName(QStringLiteral("portscope"));
    try {
        io.start();
    } catch (const AccessError& e) {
        std::fprintf(stderr, "portscope: %s\n", e.what());
        QMessageBox::critical(nullptr, QStringLiteral("portscope"), QString::fromUtf8(e.what()));
        return 1;
    }
    const QString describe = QString::fromStdString(backend->describe());
    if (options.screenshotDir) {
        ScopeWindow window(io, {}, describe);
        window.start();
        QString error;
        const QStringList files = writeScreenshots(window, static_cast<SimulatedMachine&>(*backend),
                                                   QString::fromStdString(*options.screenshotDir),
                                                   &error, options.realDisplay);
        for (const QString& f : files) std::printf("%s\n", f.toLocal8Bit().constData());
        if (!error.isEmpty()) {
            std::fprintf(stderr, "portscope: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    ScopeWindow window(io, settingsPath(), describe);
    window.start();
    window.show();
    quitOnSignals(app);
    const int rc = QApplication::exec();
    // Ended by a signal the window never closed: the settings are saved here, a failure on stderr.
    if (!window.settingsSaved()) window.saveSettings(false);
    return rc;
}
