// FrmMain's menu commands: home and waypoints, move planning, load/save of cut-file sets,
// printing, help, web pages, portscope and the view toggles.
#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QToolBar>

#include "common/run_error.h"
#include "generate/gui/cut_file_commands.h"
#include "machine/position.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/printing.h"
#include "platform/gui/toolbar.h"
#include "shell/gui/desktop_links.h"
#include "shell/gui/help_window.h"
#include "shell/gui/main_window.h"

namespace corvane {

void MainWindow::setHome() {
    toggleHome(ws_.position);
    if (QAction* a = menuAction("SetHome")) a->setChecked(ws_.position.HomeSet);
    setPanel(1, QString::fromStdString(positionStatusText(ws_.position)));
}

void MainWindow::setWayPoint(int which) {
    if (!ws_.position.HomeSet) {
        dialogs_.message(QString::fromUtf8(kNoHomeMessage));
        return;
    }
    ws_.position.WayPointTarget = which;
    windows_.show(QStringLiteral("Form2"));
}

void MainWindow::displayWayPoint(int which) {
    const AxisPosition& point = which == 1 ? ws_.position.WayPoint1 : ws_.position.WayPoint2;
    dialogs_.message(QString::fromStdString(waypointDisplayText(which, point)));
}

void MainWindow::loadCutFile() {
    runLoadCutFile(ws_, dialogs_);
}

void MainWindow::saveCutFile() {
    // A failed copy is reported by the command itself; Cancelled leaves nothing to do here.
    (void)runSaveCutFile(ws_, dialogs_);
}

void MainWindow::printActiveWindow() {
    QWidget* window = activeChild();
    if (window == nullptr) return;
    printWindow(dialogs_, *window);
}

void MainWindow::openHelp(const QString& keyword) {
    auto* help = windows_.load<HelpWindow>(QStringLiteral("HelpWindow"));
    if (help == nullptr) return;
    QString error;
    if (!help->open(helpFile_, keyword, &error)) {
        dialogs_.message(error, QStringLiteral("Corvane 帮助"), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    windows_.show(QStringLiteral("HelpWindow"));
}

void MainWindow::openWebsite() {
    openWebPage(WebPage::Home);
}

void MainWindow::openSupport() {
    openWebPage(WebPage::Support);
}

void MainWindow::openWebPage(WebPage page) {
    const QUrl& url = page == WebPage::Home ? homePageUrl : supportPageUrl;
    if (url.isValid() && !url.isEmpty()) {
        if (openUrl) openUrl(url);
        return;
    }
    openHelp(page == WebPage::Support ? QString::fromUtf8(kSupportHelpTopic) : QString());
}

void MainWindow::startPortscope() {
    const QString program = portscopePath(ws_.appFolder());
    const QString folder = QString::fromStdString(ws_.appFolder().string());
    if (program.isEmpty()) {
        dialogs_.message(
            QStringLiteral("portscope was not found in the application folder %1.").arg(folder),
            QString(), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    // Started on its own and never waited for or talked to.
    if (!startDetached || !startDetached(program, folder))
        dialogs_.message(QStringLiteral("portscope could not be started (%1).").arg(program),
                         QString(), MsgButtons::Ok, MsgIcon::Warning);
}

void MainWindow::toggleStatusBar() {
    const bool visible = !statusBar()->isHidden();
    statusBar()->setVisible(!visible);
    if (QAction* a = menuAction("ViewStatusBar")) a->setChecked(!visible);
}

void MainWindow::toggleToolbar() {
    const bool visible = !toolbar_->isHidden();
    toolbar_->setVisible(!visible);
    if (QAction* a = menuAction("ViewToolbar")) a->setChecked(!visible);
}

}  // namespace corvane
