// FrmMain as the operator meets it: start-up (also with files missing), menus and their texts,
// the status panels and view toggles, home and waypoint commands, printing, help, web pages,
// portscope and shut-down.
#include <sys/wait.h>
#include <unistd.h>

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <fstream>

#include "common/folder_lock.h"
#include "delay/gui/delay_point_editor.h"
#include "generate/cut_set_transaction.h"
#include "generate/gui/wing_generation_window.h"
#include "machine/gui/device_settings_window.h"
#include "machine/gui/waypoint_window.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"
#include "run/gui/cut_window.h"
#include "shell/gui/help_window.h"
#include "shell_fixture.h"

namespace corvane {
namespace {

const QString kZeroPosition =
    QStringLiteral("X1, Y1 = 00000.000, 00000.000   X2, Y2 = 00000.000, 00000.000");

QStringList menuTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

TEST_F(ShellTest, FreshInstallStartsWithoutMessagesAndShowsTheMainMenu) {
    MainWindow& w = startedFrame();
    EXPECT_EQ(w.windowTitle(), "Corvane 3.0 - 公制版 — Simulated port: nothing will move");
    EXPECT_EQ(w.objectName(), "FrmMain");
    EXPECT_TRUE(dialogs_.calls().empty());
    QWidget* menu = w.windows().loaded("Form5");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->windowTitle(), "Main Menu -  Metric Version");
    // Form9 is loaded hidden and has read the settings.
    QWidget* settings = w.windows().loaded("Form9");
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(settings->isVisible());
    EXPECT_GT(ws_->settings.derived.StepsPerMm, 0);
    EXPECT_EQ(w.statusText(1), "起点位置尚未设置");
    EXPECT_EQ(w.helpFile(), QString::fromStdString(file("corvane.hlp").string()));
    // The controller settings, loaded hidden, hold no controller on a fresh install.
    EXPECT_EQ(w.windows().loadedNames(), (QStringList{"Form9", "FormController", "Form5"}));
    EXPECT_EQ(ws_->controller, nullptr);
}

TEST_F(ShellTest, MissingSettingsIsReportedThenTheWindowsStillAppear) {
    std::filesystem::remove(file("settings.txt"));
    std::filesystem::remove(file("waypoint.txt"));
    dialogs_.answerMessage();
    MainWindow& w = startedFrame();
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].text,
              "Error encountered, Error Number 53, File not found\rModule 9, Load Data");
    EXPECT_EQ(dialogs_.messages()[0].title, "");
    EXPECT_TRUE(w.isVisible());
    ASSERT_NE(w.windows().loaded("Form5"), nullptr);
    EXPECT_TRUE(w.windows().loaded("Form5")->isVisible());
    EXPECT_EQ(w.statusText(1), "起点位置尚未设置");
    EXPECT_EQ(ws_->position.WayPoint1, AxisPosition{});
    EXPECT_EQ(ws_->position.WayPoint2, AxisPosition{});
}

TEST_F(ShellTest, StartUpPutsBackTheSetThatAKilledGenerationWasReplacing) {
    {
        std::ofstream(file("cut.ct1"), std::ios::binary) << "1\r\n2\r\n";
        std::ofstream(file("cut_cnt.ct2"), std::ios::binary) << "2\r\n";
        std::ofstream(file("datinfo.ct3"), std::ios::binary) << "\"a.dat\",\"b.dat\",200,200\r\n";
    }
    // A killed process runs no destructor: the transaction is left as it was, one rename done.
    auto* tx = new CutSetTransaction(folder_);
    tx->begin();
    tx->stepFile().append("9\r\n");
    tx->stepFile().close();
    std::filesystem::rename(file(".corvane-cut.ct1.part"), file("cut.ct1"));

    dialogs_.answerMessage();
    startedFrame();
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].title, "Generation Interrupted");
    std::ifstream in(file("cut.ct1"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "1\r\n2\r\n");
    EXPECT_FALSE(std::filesystem::exists(file(".corvane-hold.open")));
    EXPECT_FALSE(std::filesystem::exists(file(".corvane-hold1")));
}

// corvane-cli generating on the same folder while corvane starts: the window's recovery waits
// for it (the window says for whom in panel 2, then gets its text back) and never undoes it.
TEST_F(ShellTest, StartUpBesideAnotherProgramOnTheFolderWaitsAndSaysForWhom) {
    MainWindow& w = frame();
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        FolderLock held(ws_->appFolder());
        char c = 'r';
        if (::write(ready[1], &c, 1) != 1 || ::read(go[0], &c, 1) != 1) ::_exit(3);
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    std::vector<QString> panel2;
    setFolderLockNotice([&](const std::string& text) {
        w.showFolderWait(text);
        panel2.push_back(w.statusText(2));
        if (panel2.size() == 1 && ::write(go[1], "g", 1) != 1) std::abort();
    });
    startedFrame();
    setFolderLockNotice({});
    int status = 0;
    ::waitpid(other, &status, 0);
    for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
    ASSERT_GE(panel2.size(), 2u);
    EXPECT_EQ(panel2.front(),
              QString::fromStdString(
                  "Waiting for shell_gui_tests (process " + std::to_string(other) +
                  ") to finish with the working "
                  "cut-file set in " +
                  std::filesystem::weakly_canonical(ws_->appFolder()).string() + " ..."));
    EXPECT_EQ(panel2.back(), "") << "panel 2 kept the waiting text";
    EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(ShellTest, StartUpReadsTheWaypointsAndClearsTheFlags) {
    {
        std::ofstream out(file("waypoint.txt"), std::ios::binary | std::ios::trunc);
        out << "12.5,-3.125,0,.5,1,2,3,4\r\n";
    }
    ws_->position.HomeSet = true;
    ws_->position.WayPointTarget = 2;
    MainWindow& w = startedFrame();
    EXPECT_FALSE(ws_->position.HomeSet);
    EXPECT_EQ(ws_->position.WayPointTarget, 0);
    EXPECT_FALSE(w.menuAction("SetHome")->isChecked());

    dialogs_.answerMessage().answerMessage();
    trigger("DisplayWayPoint1");
    trigger("DisplayWayPoint2");
    EXPECT_EQ(
        dialogs_.messageTexts(),
        (QStringList{"Current WayPoint #1 Position \r\rX1, Y1 = 12.5, -3.125\r\rX2, Y2 = 0, 0.5",
                     "Current WayPoint #2 Position \r\rX1, Y1 = 1, 2\r\rX2, Y2 = 3, 4"}));
}

TEST_F(ShellTest, MenusCarryTheirCaptionsSeparatorsAndNames) {
    MainWindow& w = frame();
    QStringList bar;
    for (QAction* a : w.menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar,
              (QStringList{"&File", "起点控制(&O)", "查看(&V)", "&Notes", "脚本(&S)", "帮助(&H)"}));
    // Alt and the underlined letter open each menu: no letter serves two.
    QSet<QChar> letters;
    for (const QString& caption : bar) {
        const qsizetype at = caption.indexOf(QLatin1Char('&'));
        ASSERT_GE(at, 0) << caption.toStdString();
        EXPECT_FALSE(letters.contains(caption.at(at + 1).toUpper())) << caption.toStdString();
        letters.insert(caption.at(at + 1).toUpper());
    }

    EXPECT_EQ(menuTexts(w.findChild<QMenu*>("file")),
              (QStringList{"打开主菜单", "装入切割文件", "-", "保存切割文件", "-", "打印", "-",
                           "Export G-code…", "Controller Settings…", "-", "Exit"}));
    EXPECT_EQ(menuTexts(w.findChild<QMenu*>("HomeControl")),
              (QStringList{"Set Home Position", "返回起点坐标", "-", "Set WayPoint #1",
                           "Move to WayPoint #1", "Display WayPoint #1", "-", "Set WayPoint #2",
                           "Move to WayPoint #2", "Display WayPoint #2"}));
    EXPECT_EQ(menuTexts(w.findChild<QMenu*>("ViewMenu")),
              (QStringList{"查看状态栏", "查看工具条"}));
    EXPECT_EQ(menuTexts(w.findChild<QMenu*>("ViewNotes")), QStringList{"打开记事本"});
    EXPECT_EQ(menuTexts(w.findChild<QMenu*>("mnuScripts")), QStringList{"编译/运行切割脚本"});
    EXPECT_EQ(menuTexts(w.findChild<QMenu*>("help")),
              (QStringList{"显示帮助", "Corvane 站点", "Corvane 在线支持",
                           "Parallel Port Output Explained", "查看并口活动状态", "关于"}));
    for (const char* name :
         {"OpenMainMenu",  "LoadCutFile",      "SaveCutFile",      "PrintForm",     "exit",
          "SetHome",       "ReturnHome",       "SetWayPoint1",     "SetWayPoint2",  "MoveWayPoint1",
          "MoveWayPoint2", "DisplayWayPoint1", "DisplayWayPoint2", "ViewStatusBar", "ViewToolbar",
          "OpenNotes",     "CuttingScripts",   "OpenHelp",         "OpenWebsite",   "OpenSupport",
          "OpenMonitor",   "ViewPort",         "OpenAbout"})
        EXPECT_NE(w.menuAction(name), nullptr) << name;

    auto* toolbar = w.findChild<Toolbar*>("asxToolbar1");
    ASSERT_NE(toolbar, nullptr);
    ASSERT_EQ(toolbar->buttonCount(), 6);
    EXPECT_EQ(toolbar->buttonCaption(1), "Load Cut File");
    EXPECT_EQ(toolbar->action(1)->toolTip(), "Load a Cut File");
    EXPECT_EQ(toolbar->buttonCaption(3), "Save Cut File");
    EXPECT_EQ(toolbar->action(3)->toolTip(), "save");
    EXPECT_EQ(toolbar->buttonCaption(5), "Print Active Screen");
    EXPECT_EQ(toolbar->action(5)->toolTip(), "Print Active Form");
    for (int i : {2, 4, 6}) EXPECT_TRUE(toolbar->button(i).separator);
}

TEST_F(ShellTest, StatusBarHasThreePanelsAndTheViewTogglesFollowTheControls) {
    MainWindow& w = startedFrame();
    QStatusBar* bar = w.findChild<QStatusBar*>("StatusBar1");
    ASSERT_NE(bar, nullptr);
    for (const char* panel : {"Panel1", "Panel2", "Panel3"})
        EXPECT_NE(bar->findChild<QLabel*>(panel), nullptr) << panel;
    ws_->setStatus(2, "返回起点坐标");
    ws_->setStatus(3, "12");
    EXPECT_EQ(bar->findChild<QLabel*>("Panel2")->text(), "返回起点坐标");
    EXPECT_EQ(w.statusText(3), "12");

    QAction* viewStatus = w.menuAction("ViewStatusBar");
    EXPECT_TRUE(viewStatus->isChecked());
    trigger("ViewStatusBar");
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(viewStatus->isChecked());
    trigger("ViewStatusBar");
    EXPECT_FALSE(bar->isHidden());
    EXPECT_TRUE(viewStatus->isChecked());

    auto* toolbar = w.findChild<Toolbar*>("asxToolbar1");
    trigger("ViewToolbar");
    EXPECT_TRUE(toolbar->isHidden());
    EXPECT_FALSE(w.menuAction("ViewToolbar")->isChecked());
    trigger("ViewToolbar");
    EXPECT_FALSE(toolbar->isHidden());
    EXPECT_TRUE(w.menuAction("ViewToolbar")->isChecked());
}

TEST_F(ShellTest, ThePortBackendIsAlwaysInViewAndSaysWhetherItIsLive) {
    MainWindow& w = frame();
    auto* label = w.findChild<QLabel*>("PortBackend");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(w.menuBar()->cornerWidget(Qt::TopRightCorner), label);
    EXPECT_TRUE(label->text().contains("Simulated port"));
    EXPECT_TRUE(label->text().contains("dry run"));
    // A simulated port says so in the title, the status bar and beside Begin Cut; a live one
    // nowhere but the menu bar's corner.
    w.show();
    auto* panel = w.findChild<QLabel*>("SimulatedPortPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(), "Simulated port: nothing will move");
    EXPECT_TRUE(w.windowTitle().endsWith("Simulated port: nothing will move"));
    QWidget* cut = w.windows().show("Form10");
    dialogs_.takeUnscripted();
    ASSERT_NE(cut, nullptr);
    EXPECT_TRUE(cut->findChild<QLabel*>("SimulatedPortNote")->isVisible());
    cut->close();

    MainWindow live(*ws_, dialogs_, PortBackendInfo{"ppdev /dev/parport0", true});
    auto* liveLabel = live.findChild<QLabel*>("PortBackend");
    EXPECT_TRUE(liveLabel->text().contains("ppdev /dev/parport0"));
    EXPECT_TRUE(liveLabel->text().contains("LIVE"));
    EXPECT_EQ(live.windowTitle(), "Corvane 3.0 - 公制版");
    EXPECT_TRUE(live.findChild<QLabel*>("SimulatedPortPanel")->isHidden());
    // Hiding the status bar and the toolbar leaves it where it is.
    live.show();
    live.toggleStatusBar();
    live.toggleToolbar();
    EXPECT_TRUE(liveLabel->isVisible());
    frame_.reset();  // `live` shares the workspace; let it be the last window standing
}

TEST_F(ShellTest, SetHomeTogglesTwiceClearsAndAThirdTimeZeroes) {
    MainWindow& w = startedFrame();
    QAction* setHome = w.menuAction("SetHome");
    trigger("SetHome");
    EXPECT_TRUE(ws_->position.HomeSet);
    EXPECT_TRUE(setHome->isChecked());
    EXPECT_EQ(w.statusText(1), kZeroPosition);

    ws_->position.Position = {12.5f, -0.006f, 1, 2};
    trigger("SetHome");
    EXPECT_FALSE(ws_->position.HomeSet);
    EXPECT_FALSE(setHome->isChecked());
    EXPECT_EQ(w.statusText(1), "起点位置尚未设置");
    EXPECT_EQ(ws_->position.Position.X1, 12.5f);  // kept, no longer counted

    trigger("SetHome");
    EXPECT_TRUE(ws_->position.HomeSet);
    EXPECT_TRUE(setHome->isChecked());
    EXPECT_EQ(ws_->position.Position, AxisPosition{});
    EXPECT_EQ(w.statusText(1), kZeroPosition);
    // At 1024 px the whole position shows, X2 and Y2 included.
    w.resize(1024, 720);
    w.statusBar()->layout()->activate();
    QApplication::processEvents();
    auto* panel1 = w.statusBar()->findChild<QLabel*>("Panel1");
    ASSERT_NE(panel1, nullptr);
    const QString negative = QStringLiteral(
        "X1, Y1 = -0012.500, -0003.125   X2, Y2 = -0001.000, "
        "-0002.000");
    EXPECT_GE(panel1->contentsRect().width(), panel1->fontMetrics().horizontalAdvance(negative))
        << panel1->width();
    EXPECT_LE(panel1->geometry().right(), w.width());
    // No motion in any of this.
    for (const PortOperation& op : port_.operations())
        EXPECT_NE(op.port, ws_->settings.derived.DataPort);
}

TEST_F(ShellTest, SetWayPointNeedsHomeThenOpensForm2ForThatWaypoint) {
    MainWindow& w = startedFrame();
    dialogs_.answerMessage();
    trigger("SetWayPoint1");
    ASSERT_EQ(dialogs_.messageTexts(), QStringList{"A Home Position has not been Selected."});
    EXPECT_EQ(dialogs_.messages()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(w.windows().loaded("Form2"), nullptr);

    ws_->position.WayPoint2 = {1.5f, 2, 3, 4};
    trigger("SetHome");
    trigger("SetWayPoint2");
    EXPECT_EQ(ws_->position.WayPointTarget, 2);
    QWidget* form2 = w.windows().loaded("Form2");
    ASSERT_NE(form2, nullptr);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->windowTitle(), "Set WayPoint #2");
    EXPECT_TRUE(form2->isWindow());
    EXPECT_EQ(form2->findChild<QLineEdit*>("Text1")->text(), "1.5");
}

TEST_F(ShellTest, MoveCommandsNeedHomeAndShowTheirPlanningStatus) {
    MainWindow& w = startedFrame();
    dialogs_.answerMessage();
    trigger("ReturnHome");
    EXPECT_EQ(dialogs_.messageTexts(), QStringList{"A Home Position has not been Selected."});
    EXPECT_EQ(w.statusText(2), "");

    trigger("SetHome");
    ws_->position.Position = {1, 0.5f, 0, 0};
    trigger("ReturnHome");
    EXPECT_EQ(w.statusText(2), "Return to Home Move Calculations Complete ...");
    EXPECT_FALSE(ws_->movePlan.bytes.empty());
    trigger("MoveWayPoint2");
    EXPECT_EQ(w.statusText(2), "Return to WayPoint #2 Calculations Complete ...");
}

TEST_F(ShellTest, PrintCancelledPrintsNothingAndAcceptedPrintsTheActiveWindow) {
    MainWindow& w = startedFrame();
    dialogs_.cancelPrinter();
    trigger("PrintForm");
    ASSERT_EQ(dialogs_.calls().size(), 1u);
    EXPECT_EQ(dialogs_.calls()[0].kind, DialogCall::Kind::Printer);
    EXPECT_EQ(dialogs_.calls()[0].title, "打印");
    EXPECT_FALSE(QApplication::overrideCursor());

    const QString pdf = dir_.filePath("form.pdf");
    dialogs_.answerPrinter(pdf);
    w.findChild<Toolbar*>("asxToolbar1")->click(5);
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    EXPECT_FALSE(QApplication::overrideCursor());
    EXPECT_NE(w.activeChild(), nullptr);
}

TEST_F(ShellTest, HelpOpensTheApplicationFoldersHelpFileReadably) {
    MainWindow& w = startedFrame();
    trigger("OpenHelp");
    auto* help = qobject_cast<HelpWindow*>(w.windows().loaded("HelpWindow"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    const QString text = help->browser()->toPlainText();
    EXPECT_TRUE(text.contains("Home and waypoints"));
    EXPECT_TRUE(text.contains("设备设置"));
    EXPECT_FALSE(text.contains("== "));  // the markup is not shown
    // Readable: most of the main window's inner area, not the browser's own 256x192.
    const QWidget* inner = innerAreaOf(w);
    EXPECT_GE(help->width(), std::min(700, inner->width() - 40)) << help->width();
    EXPECT_GE(help->height(), std::min(560, inner->height() - 60)) << help->height();

    help->close();
    std::filesystem::remove(file("corvane.hlp"));
    dialogs_.answerMessage();
    trigger("OpenHelp");
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_TRUE(dialogs_.messages()[0].text.contains("corvane.hlp"));
    EXPECT_FALSE(help->isVisible());
}

TEST_F(ShellTest, WebLinksGoToTheDesktopAndPortscopeStartsDetached) {
    MainWindow& w = startedFrame();
    // No address in this build: the links open the shipped help, never a made-up host.
    EXPECT_TRUE(w.homePageUrl.isEmpty());
    EXPECT_TRUE(w.supportPageUrl.isEmpty());
    trigger("OpenSupport");
    auto* help = qobject_cast<HelpWindow*>(w.windows().loaded("HelpWindow"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    QApplication::processEvents();
    QScrollBar* scroll = help->browser()->verticalScrollBar();
    EXPECT_GT(scroll->value(), 0) << "at the support topic, far down the book";
    // The support topic's heading is in view.
    QTextDocument* book = help->browser()->document();
    QTextCursor end(book);
    end.movePosition(QTextCursor::End);
    const QTextCursor heading = book->find("在线支持 / Support", end, QTextDocument::FindBackward);
    ASSERT_FALSE(heading.isNull());
    EXPECT_TRUE(help->browser()->viewport()->rect().contains(
        help->browser()->cursorRect(heading).center()));
    trigger("OpenWebsite");
    EXPECT_EQ(scroll->value(), 0) << "at the contents";
    EXPECT_TRUE(urls_.isEmpty());

    w.homePageUrl = QUrl("https://home.test/");
    w.supportPageUrl = QUrl("https://home.test/support.htm");
    trigger("OpenWebsite");
    trigger("OpenSupport");
    EXPECT_EQ(urls_, (QStringList{"https://home.test/", "https://home.test/support.htm"}));

    const auto scope = file("portscope");
    {
        std::ofstream out(scope);
        out << "#!/bin/sh\n";
    }
    std::filesystem::permissions(scope, std::filesystem::perms::owner_all);
    trigger("ViewPort");
    ASSERT_EQ(started_.size(), 1);
    EXPECT_EQ(started_[0], QString::fromStdString(scope.string() + " @ " + folder_.string()));
    (void)w;
}

TEST_F(ShellTest, ShutDownUnloadsEveryWindowWithItsOwnUnloadHandling) {
    MainWindow& w = startedFrame();
    auto* form9 = w.windows().load<DeviceSettingsWindow>("Form9");
    ASSERT_NE(form9, nullptr);
    EXPECT_TRUE(form9->isLoaded());
    w.windows().show("frmAbout");
    bool completed = false;
    QObject::connect(&w, &MainWindow::shutDownComplete, [&] { completed = true; });
    trigger("exit");
    EXPECT_TRUE(completed);
    EXPECT_FALSE(form9->isLoaded());  // its close handling ran although it was hidden
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.windows().loaded("Form5"), nullptr);  // the main menu unloads on close
    EXPECT_FALSE(w.windows().loaded("frmAbout")->isVisible());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(ShellTest, ShutDownAsksTheDelayEditorThatAGenerationWindowOpenedToSave) {
    MainWindow& w = startedFrame();
    for (const char* name : {"root.dat", "tip.dat"}) {
        std::ofstream out(file(name), std::ios::binary);
        out << "0 0\r\n0.5 0.1\r\n1 0\r\n0.5 -0.1\r\n0 0\r\n";
    }
    auto* form14 = w.windows().show("Form14");
    ASSERT_NE(form14, nullptr);
    form14->findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(file("root.dat")));
    form14->findChild<QLineEdit*>("Text2")->setText(QString::fromStdString(file("tip.dat")));
    form14->findChild<Toolbar*>("asxToolbar1")->click(5);
    auto* editor = w.findChild<DelayPointEditor*>("DelayForm");
    ASSERT_NE(editor, nullptr);
    editor->selectDelayPoint();
    editor->clickAt(0.75, 0.05);  // the middle of segment 2
    ASSERT_EQ(editor->listedSteps(), std::vector<int>{2});

    dialogs_.answerMessage(MsgAnswer::Yes);
    trigger("exit");
    EXPECT_EQ(dialogs_.messageTexts(), QStringList{"Save Delay Points? "});
    EXPECT_EQ(ws_->delays.ActiveDelayPoints, std::vector<int>{2});
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(w.isVisible());
}

// Form1 and Form14 open the one delay editor: the second opening brings the same list forward
// with its own profiles, so two lists with different points are never open at once.
TEST_F(ShellTest, BothGenerationWindowsOpenTheOneDelayEditor) {
    MainWindow& w = startedFrame();
    for (const char* name : {"root.dat", "tip.dat"}) {
        std::ofstream out(file(name), std::ios::binary);
        out << "0 0\r\n0.5 0.1\r\n1 0\r\n0.5 -0.1\r\n0 0\r\n";
    }
    std::vector<DelayPointEditor*> opened;
    for (const char* form : {"Form14", "Form1"}) {
        QWidget* window = w.windows().show(QString::fromLatin1(form));
        ASSERT_NE(window, nullptr) << form;
        window->findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(file("root.dat")));
        window->findChild<QLineEdit*>("Text2")->setText(QString::fromStdString(file("tip.dat")));
        window->findChild<Toolbar*>("asxToolbar1")->click(5);
        QApplication::processEvents();
        const QList<DelayPointEditor*> editors = w.findChildren<DelayPointEditor*>();
        ASSERT_EQ(editors.size(), 1) << form;
        opened.push_back(editors.front());
        if (opened.size() == 1) {
            opened[0]->selectDelayPoint();
            opened[0]->clickAt(0.75, 0.05);
        }
    }
    EXPECT_EQ(opened[0], opened[1]);
    EXPECT_EQ(opened[1]->listedSteps(), std::vector<int>{2});
    dialogs_.answerMessage(MsgAnswer::No);
    trigger("exit");
    EXPECT_EQ(dialogs_.messageTexts(), QStringList{"Save Delay Points? "});
}

TEST_F(ShellTest, AWindowThatRefusesToCloseKeepsTheProgramRunningUnlessForced) {
    struct Stubborn : QWidget {
        explicit Stubborn(QWidget* parent) : QWidget(parent) {}
        void closeEvent(QCloseEvent* e) override { e->ignore(); }
    };
    MainWindow& w = startedFrame();
    w.windows().add("Stubborn", [](QWidget* parent) { return new Stubborn(parent); });
    w.windows().show("Stubborn");
    EXPECT_FALSE(w.shutDown());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.shutDown(true));
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

std::string bytesOf(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(ShellTest, CancellingTheLoadAndSaveDialogsFromMenuAndToolbarChangesNothing) {
    MainWindow& w = startedFrame();
    for (const char* name : {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3"}) {
        std::ofstream out(file(name), std::ios::binary);
        out << name << "\r\n";
    }
    const auto before = bytesOf(file("cut.ct1"));
    const auto filesBefore = std::distance(std::filesystem::directory_iterator(folder_),
                                           std::filesystem::directory_iterator());
    dialogs_.answerOpenFile("").answerSaveFile("").answerOpenFile("").answerSaveFile("");
    trigger("LoadCutFile");
    trigger("SaveCutFile");
    auto* toolbar = w.findChild<Toolbar*>("asxToolbar1");
    toolbar->click(1);
    toolbar->click(3);
    ASSERT_EQ(dialogs_.calls().size(), 4u);
    EXPECT_EQ(dialogs_.calls()[0].kind, DialogCall::Kind::OpenFile);
    EXPECT_EQ(dialogs_.calls()[1].kind, DialogCall::Kind::SaveFile);
    EXPECT_EQ(dialogs_.calls()[0].request.defaultExt, "ct1");
    EXPECT_EQ(dialogs_.calls()[0].request.initialDir, QString::fromStdString(folder_.string()));
    EXPECT_TRUE(dialogs_.messages().empty());
    EXPECT_EQ(bytesOf(file("cut.ct1")), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              filesBefore);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST_F(ShellTest, ShutDownRunsTheCutWindowsUnloadWhichSwitchesTheWireOff) {
    MainWindow& w = startedFrame();
    auto* cut = w.windows().load<CutWindow>("Form10");
    ASSERT_NE(cut, nullptr);
    port_.clearOperations();
    trigger("exit");
    EXPECT_EQ(cut->toolbar().buttonCaption(3), CutWindow::wireClosedCaption());
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace corvane
