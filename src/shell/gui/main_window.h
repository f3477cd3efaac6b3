// The main window FrmMain ("Corvane 3.0 - 公制版"): a multiple-document frame with the menus,
// the toolbar asxToolbar1, the status bar StatusBar1 (position, move/script state, delay points)
// and the live port backend always in view. It runs start-up and shut-down and opens every other
// window through its WindowCatalog; it holds no machine state of its own.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

#include "shell/gui/desktop_links.h"
#include "shell/gui/window_catalog.h"

class QAction;
class QLabel;
class QMdiArea;

namespace corvane {

class Dialogs;
class ReturnMoveCommands;
class Toolbar;
class Workspace;

struct PortBackendInfo {
    QString description;  // "Simulated port", "Direct I/O at 0x378", "ppdev /dev/parport0"
    bool hardware = false;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Corvane 3.0 - 公制版";
    // Shown after the title, in the status bar and in the cut windows on a simulated port.
    static constexpr const char* kSimulatedPortNote = "Simulated port: nothing will move";

    MainWindow(Workspace& ws, Dialogs& dialogs, PortBackendInfo port, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up steps in order; a step that fails is skipped and the next one runs.
    void startUp();
    // Unloads every window, then the main window. False when a window refused and `force` is
    // off (the program goes on); with `force` (a termination signal) it always ends.
    bool shutDown(bool force = false);

    WindowCatalog& windows() { return windows_; }
    Workspace& workspace() { return ws_; }
    Dialogs& dialogs() { return dialogs_; }
    const PortBackendInfo& portBackend() const { return port_; }
    QString helpFile() const { return helpFile_; }
    QString statusText(int panel) const;
    // Another program holds the application folder: panel 2 says for whom this one waits, and
    // gets its text back when `text` is empty (the wait is over).
    void showFolderWait(const std::string& text);
    QAction* menuAction(const QString& name) const;

    // Menu commands.
    void setHome();
    void setWayPoint(int which);
    void displayWayPoint(int which);
    // ReturnHome (0), MoveWayPoint1 (1), MoveWayPoint2 (2): plan the move, open its window.
    void planMove(int target);
    void loadCutFile();
    void saveCutFile();
    void printActiveWindow();
    // The help book at `keyword`'s topic ("" opens it at its contents).
    void openHelp(const QString& keyword = QString());
    void openWebsite();
    void openSupport();
    // The page's configured address through openUrl; with none, the shipped help at the page's
    // topic (support) or its contents (home), never a made-up host.
    void openWebPage(WebPage page);
    void startPortscope();
    void toggleStatusBar();
    void toggleToolbar();

    // Replaceable for tests: the desktop's URL opener and the detached program start.
    std::function<bool(const QUrl&)> openUrl;
    // The web pages' addresses, from the build (empty: not configured).
    QUrl homePageUrl;
    QUrl supportPageUrl;
    std::function<bool(const QString& program, const QString& workingDir)> startDetached;

    // The tool window the print command prints: the last one active, else the frame itself.
    QWidget* activeChild() const;

signals:
    // After every load of the machine settings and every "Done" of Form9.
    void settingsApplied();
    // Shut-down has finished unloading: the application may quit.
    void shutDownComplete();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void registerWindows();
    // Stops every running return move (before the windows are unloaded).
    void stopMoves();
    void onToolbar(int index);
    void onSettingsApplied();
    // The port indicator: backend, live or dry run, or that no port is set and why.
    void refreshPortLabel();
    void setPanel(int panel, const QString& text);
    void noteFocus(QWidget* now);

    Workspace& ws_;
    Dialogs& dialogs_;
    PortBackendInfo port_;
    WindowCatalog windows_;
    QMdiArea* area_ = nullptr;
    Toolbar* toolbar_ = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};
    bool waitingForFolder_ = false;
    QString panel2BeforeWait_;
    QLabel* portLabel_ = nullptr;
    QLabel* simulatedPanel_ = nullptr;  // the status bar's note on a simulated port
    QString helpFile_;
    QPointer<QWidget> lastChild_;
    std::unique_ptr<ReturnMoveCommands> returnMoves_;  // ReturnHome, MoveWayPoint1/2
    bool shuttingDown_ = false;
    bool shutDownDone_ = false;
};

}  // namespace corvane
