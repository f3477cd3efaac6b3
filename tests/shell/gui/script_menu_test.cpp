// The main window's script command opens the `script` window inside the client area, clear of
// the status bar, and the status bar shows the runner's line and cut-file texts.
#include <QMainWindow>
#include <QStatusBar>

#include "script/gui/cutting_script_window.h"
#include "shell_fixture.h"

namespace corvane {
namespace {

TEST_F(ShellTest, TheScriptCommandOpensTheScriptWindowInsideTheClientArea) {
    MainWindow& w = startedFrame();
    w.resize(1100, 760);
    QApplication::processEvents();
    trigger("CuttingScripts");
    QApplication::processEvents();
    auto* script = w.windows().loaded("script");
    ASSERT_NE(script, nullptr);
    EXPECT_TRUE(script->isVisible());
    const QWidget* inner = w.centralWidget();
    const QRect client(inner->mapToGlobal(QPoint(0, 0)), inner->size());
    EXPECT_TRUE(client.contains(script->frameGeometry()));
    const QStatusBar* bar = w.findChild<QStatusBar*>("StatusBar1");
    ASSERT_NE(bar, nullptr);
    EXPECT_LT(script->frameGeometry().bottom(), bar->mapToGlobal(QPoint(0, 0)).y());

    // The runner's texts reach panels 2 and 3; an empty script clears them at once.
    ws_->setStatus(3, "Running script, Line (4)");
    static_cast<CuttingScriptWindow*>(script)->runScript();
    EXPECT_EQ(w.statusText(3), "");
    EXPECT_EQ(w.statusText(2), "");
}

}  // namespace
}  // namespace corvane
