#include "shell/gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <cstdio>
#include <string_view>

#include "common/run_error.h"
#include "generate/cut_set_transaction.h"
#include "machine/controller_connection.h"
#include "machine/gui/device_settings_window.h"
#include "machine/position.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "manual/gui/return_move_commands.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/toolbar.h"
#include "platform/port_io.h"
#include "shell/gui/export_gcode_command.h"

namespace corvane {

MainWindow::MainWindow(Workspace& ws, Dialogs& dialogs, PortBackendInfo port, QWidget* parent)
    : QMainWindow(parent), ws_(ws), dialogs_(dialogs), port_(std::move(port)), windows_(this) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QString::fromUtf8(kTitle));
    area_ = new QMdiArea(this);
    area_->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(area_);

    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    homePageUrl = websiteUrl();
    supportPageUrl = supportUrl();
    startDetached = [](const QString& program, const QString& dir) {
        return QProcess::startDetached(program, {}, dir);
    };

    buildMenus();
    buildToolbar();
    buildStatusBar();
    registerWindows();

    ws_.showStatus = [this](int panel, const std::string& text) {
        setPanel(panel, QString::fromStdString(text));
    };
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { noteFocus(now); });
    resize(1024, 720);
}

void MainWindow::buildMenus() {
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption, auto slot) {
        QAction* a = m->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto separator = [](QMenu* m, const char* name) {
        m->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    // Each menu opens with Alt and its underlined letter, the keyboard's way into the bar.
    QMenu* file = menu("file", QStringLiteral("&File"));
    item(file, "OpenMainMenu", QStringLiteral("打开主菜单"), [this] { windows_.show("Form5"); });
    item(file, "LoadCutFile", QStringLiteral("装入切割文件"), [this] { loadCutFile(); });
    separator(file, "FileSep1");
    item(file, "SaveCutFile", QStringLiteral("保存切割文件"), [this] { saveCutFile(); });
    separator(file, "FileSep2");
    item(file, "PrintForm", QStringLiteral("打印"), [this] { printActiveWindow(); });
    separator(file, "FileSepExport");
    item(file, "ExportGCode", QStringLiteral("Export G-code…"),
         [this] { runExportGcode(ws_, dialogs_); });
    item(file, "ControllerSettings", QStringLiteral("Controller Settings…"),
         [this] { windows_.show("FormController"); });
    separator(file, "FileSep3");
    item(file, "exit", QStringLiteral("Exit"), [this] { shutDown(); });

    QMenu* home = menu("HomeControl", QStringLiteral("起点控制(&O)"));
    item(home, "SetHome", QStringLiteral("Set Home Position"), [this] {
        setHome();
    })->setCheckable(true);
    item(home, "ReturnHome", QStringLiteral("返回起点坐标"), [this] { planMove(0); });
    separator(home, "HomeSep1");
    item(home, "SetWayPoint1", QStringLiteral("Set WayPoint #1"), [this] { setWayPoint(1); });
    item(home, "MoveWayPoint1", QStringLiteral("Move to WayPoint #1"), [this] { planMove(1); });
    item(home, "DisplayWayPoint1", QStringLiteral("Display WayPoint #1"),
         [this] { displayWayPoint(1); });
    separator(home, "HomeSep2");
    item(home, "SetWayPoint2", QStringLiteral("Set WayPoint #2"), [this] { setWayPoint(2); });
    item(home, "MoveWayPoint2", QStringLiteral("Move to WayPoint #2"), [this] { planMove(2); });
    item(home, "DisplayWayPoint2", QStringLiteral("Display WayPoint #2"),
         [this] { displayWayPoint(2); });

    QMenu* view = menu("ViewMenu", QStringLiteral("查看(&V)"));
    QAction* viewStatus =
        item(view, "ViewStatusBar", QStringLiteral("查看状态栏"), [this] { toggleStatusBar(); });
    QAction* viewToolbar =
        item(view, "ViewToolbar", QStringLiteral("查看工具条"), [this] { toggleToolbar(); });
    for (QAction* a : {viewStatus, viewToolbar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }

    QMenu* notes = menu("ViewNotes", QStringLiteral("&Notes"));
    item(notes, "OpenNotes", QStringLiteral("打开记事本"), [this] { windows_.show("Form19"); });

    QMenu* scripts = menu("mnuScripts", QStringLiteral("脚本(&S)"));
    item(scripts, "CuttingScripts", QStringLiteral("编译/运行切割脚本"),
         [this] { windows_.show("script"); });

    QMenu* help = menu("help", QStringLiteral("帮助(&H)"));
    item(help, "OpenHelp", QStringLiteral("显示帮助"), [this] { openHelp(); });
    item(help, "OpenWebsite", QStringLiteral("Corvane 站点"), [this] { openWebsite(); });
    item(help, "OpenSupport", QStringLiteral("Corvane 在线支持"), [this] { openSupport(); });
    item(help, "OpenMonitor", QStringLiteral("Parallel Port Output Explained"),
         [this] { windows_.show("ppMonitor"); });
    item(help, "ViewPort", QStringLiteral("查看并口活动状态"), [this] { startPortscope(); });
    item(help, "OpenAbout", QStringLiteral("关于"), [this] { windows_.show("frmAbout"); });

    // The live backend sits in the menu bar, which cannot be hidden, so a dry run is never
    // mistaken for a cut (and the reverse).
    portLabel_ = new QLabel(this);
    portLabel_->setObjectName(QStringLiteral("PortBackend"));
    portLabel_->setContentsMargins(8, 0, 8, 0);
    refreshPortLabel();
    menuBar()->setCornerWidget(portLabel_, Qt::TopRightCorner);
}

void MainWindow::buildToolbar() {
    toolbar_ = new Toolbar(this);
    toolbar_->setButtons(
        {{QStringLiteral("Load Cut File"), QStringLiteral("Load Cut File"), QStringLiteral("load"),
          QStringLiteral("Load a Cut File")},
         toolbarSeparator(),
         {QStringLiteral("Save Cut File"), QStringLiteral("Save Cut File"), QStringLiteral("save"),
          QStringLiteral("save")},
         toolbarSeparator(),
         {QStringLiteral("Print Active Screen"), QStringLiteral("Print Active Screen"),
          QStringLiteral("print"), QStringLiteral("Print Active Form")},
         toolbarSeparator()});
    addToolBar(Qt::TopToolBarArea, toolbar_);
    connect(toolbar_, &Toolbar::buttonClicked, this, &MainWindow::onToolbar);
}

void MainWindow::onToolbar(int index) {
    switch (index) {
        case 1:
            loadCutFile();
            break;
        case 3:
            saveCutFile();
            break;
        case 5:
            printActiveWindow();
            break;
        default:
            break;
    }
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    // Panel 3 carries "N Delay Points are currently active": wide enough for it at 1024 px.
    const int stretch[3] = {4, 3, 3};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setMinimumWidth(120);
        bar->addWidget(panels_[i], stretch[i]);
    }
    // Panel 1 holds the position of all four axes: whole at 1024 px, the others share the rest.
    const QString widest = QStringLiteral(
        "X1, Y1 = -0000.000, -0000.000   X2, Y2 = -0000.000, "
        "-0000.000");
    const int frame = 2 * panels_[0]->frameWidth() + 2 * panels_[0]->margin() + 8;
    panels_[0]->setMinimumWidth(panels_[0]->fontMetrics().horizontalAdvance(widest) + frame);
    simulatedPanel_ = new QLabel(bar);
    simulatedPanel_->setObjectName(QStringLiteral("SimulatedPortPanel"));
    simulatedPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    simulatedPanel_->setStyleSheet(QStringLiteral("QLabel { color: #003a8c; font-weight: bold; }"));
    bar->addPermanentWidget(simulatedPanel_);
    refreshPortLabel();
}

void MainWindow::showFolderWait(const std::string& text) {
    if (text.empty()) {
        if (!waitingForFolder_) return;
        waitingForFolder_ = false;
        setPanel(2, panel2BeforeWait_);
    } else {
        if (!waitingForFolder_) panel2BeforeWait_ = statusText(2);
        waitingForFolder_ = true;
        setPanel(2, QString::fromStdString(text));
    }
    // The window repaints while it waits; the operator's input and a shut-down request (its
    // socket notifier) wait with it, so nothing unloads the windows under the waiting handler.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

void MainWindow::setPanel(int panel, const QString& text) {
    if (panel >= 1 && panel <= 3) panels_[panel - 1]->setText(text);
}

QString MainWindow::statusText(int panel) const {
    return panel >= 1 && panel <= 3 ? panels_[panel - 1]->text() : QString();
}

QAction* MainWindow::menuAction(const QString& name) const {
    return findChild<QAction*>(name);
}

void MainWindow::startUp() {
    // A generation killed mid-way left its backups: put the previous working set back before
    // anything reads it.
    try {
        if (recoverInterruptedGeneration(ws_.appFolder())) {
            dialogs_.message(
                "The last cut-file generation did not finish; the previous cut files were "
                "restored.",
                "Generation Interrupted");
        }
    } catch (const std::exception& e) {
        reportError(dialogs_, e, "Module Main, Load");
    }
    // Each step of the start-up goes on when another fails; what failed is said on stderr (no box
    // at start-up: the operator's first sight stays the main menu).
    auto step = [](const char* what, const auto& run) {
        try {
            run();
        } catch (const RunError& e) {
            if (e.number() == static_cast<int>(ErrorNumber::FileNotFound) &&
                std::string_view(what) == "reading the waypoints")
                return;  // no waypoint.txt yet: every waypoint stays at zero
            std::fprintf(stderr, "corvane: start-up, %s: %s\n", what, e.what());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "corvane: start-up, %s: %s\n", what, e.what());
        }
    };
    // 1. The help file: the application folder's corvane.hlp, keyword lookup, empty keyword.
    step("finding the help file",
         [&] { helpFile_ = QString::fromStdString(ws_.file("corvane.hlp").string()); });
    // 2. No home position, no waypoint being edited.
    step("clearing the home position", [&] {
        ws_.position.HomeSet = false;
        ws_.position.WayPointTarget = 0;
        if (QAction* a = menuAction("SetHome")) a->setChecked(false);
    });
    // 3. The waypoints; a missing or short file leaves what was not read at zero.
    step("reading the waypoints", [&] { loadWaypoints(ws_.file("waypoint.txt"), ws_.position); });
    // 4. The settings window, loaded hidden: it reads settings.txt and reports its own errors.
    step("loading the device settings", [&] {
        if (auto* form9 = windows_.load<DeviceSettingsWindow>("Form9")) form9->loadSettings();
    });
    // The controller of controller.txt, when one is chosen, reaches the machine from here on.
    step("loading the controller settings", [&] { windows_.load("FormController"); });
    // 5. The main menu.
    step("showing the main menu", [&] { windows_.show("Form5"); });
    // 6. The position display.
    step("showing the position",
         [&] { setPanel(1, QString::fromStdString(positionStatusText(ws_.position))); });
}

void MainWindow::onSettingsApplied() {
    // The settings came into force with the wire pins driven inactive (applyMachineSettings);
    // the backend now names the port they set.
    port_.description = QString::fromStdString(ws_.port().describe());
    refreshPortLabel();
    emit settingsApplied();
}

void MainWindow::refreshPortLabel() {
    QString style;
    const bool controller = ws_.controller != nullptr;
    if (controller) {
        // A controller moves the machine whatever port backend runs beside it.
        portLabel_->setText(QStringLiteral("端口 Port: controller %1 — LIVE")
                                .arg(QString::fromStdString(ws_.controller->describe())));
        style = "color: white; background: #b00020;";
        portLabel_->setToolTip(QStringLiteral("Cuts, jogs and moves go to the controller."));
    } else if (port_.hardware) {
        portLabel_->setText(QStringLiteral("端口 Port: %1 — LIVE").arg(port_.description));
        style = "color: white; background: #b00020;";
        portLabel_->setToolTip(QStringLiteral("Port writes reach the machine."));
    } else {
        portLabel_->setText(QStringLiteral("端口 Port: %1 (dry run)").arg(port_.description));
        style = "color: #003a8c; background: #dce9ff;";
        portLabel_->setToolTip(QStringLiteral("No port writes reach any machine."));
    }
    if (!controller && !ws_.portKnown()) {
        // Nothing can move or heat: say so where the backend is shown, and why in the tip.
        portLabel_->setText(portLabel_->text() + QStringLiteral(" — NO PORT SET"));
        style = "color: black; background: #ffcc00;";
        portLabel_->setToolTip(QString::fromStdString(ws_.portRefusal()));
    }
    portLabel_->setStyleSheet(
        QStringLiteral("QLabel { %1 font-weight: bold; padding: 2px 6px; }").arg(style));
    // A simulated port moves nothing: the title and the status bar say so too, where an operator
    // who started the program from the menu looks first.
    const QString note = QString::fromUtf8(kSimulatedPortNote);
    const bool nothingMoves = !port_.hardware && !controller;
    setWindowTitle(nothingMoves ? QString::fromUtf8(kTitle) + QStringLiteral(" — ") + note
                                : QString::fromUtf8(kTitle));
    if (simulatedPanel_ != nullptr) {
        simulatedPanel_->setText(note);
        simulatedPanel_->setVisible(nothingMoves);
    }
}

bool MainWindow::shutDown(bool force) {
    if (shutDownDone_) return true;
    if (shuttingDown_) return false;
    shuttingDown_ = true;
    stopMoves();
    const bool all = windows_.unloadAll(force);
    shuttingDown_ = false;
    if (!all && !force) return false;
    // A wire left on by a window closed beside another source's motion has no window left to
    // switch it off: with the machine free, the way out does (the holder's close did it if not).
    if (!ws_.lease.held()) {
        try {
            WireOff(ws_);
        } catch (...) {
            // The program's last WireOff on the way out tries again.
        }
    }
    shutDownDone_ = true;
    close();
    emit shutDownComplete();
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shutDownDone_ || shutDown()) {
        event->accept();
        return;
    }
    event->ignore();
}

void MainWindow::noteFocus(QWidget* now) {
    if (now == nullptr) return;
    QWidget* window = now->window();
    if (window != this && window->isVisible()) lastChild_ = window;
}

QWidget* MainWindow::activeChild() const {
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active != this && active->isVisible()) return active;
    if (!lastChild_.isNull() && lastChild_->isVisible()) return lastChild_.data();
    return const_cast<MainWindow*>(this);
}

}  // namespace corvane
