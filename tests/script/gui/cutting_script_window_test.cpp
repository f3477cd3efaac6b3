// The `script` window as the operator drives it: the line editor with its checks and messages,
// browse, help, the script file dialogs with save and load, Run with its check, the speed slider
// following a speed line, Stop and Done during a run, the no-port refusal and the window's place
// inside the main window with the status bar in view.
#include "script/gui/cutting_script_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>

#include "common/text_encoding.h"
#include "manual/gui/jog_speed_control.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "script/script_language.h"
#include "support/disk_faults.h"
#include "support/test_support.h"

namespace corvane {
namespace {

const QString F = QString::fromUtf8(kDirForward), B = QString::fromUtf8(kDirBack),
              U = QString::fromUtf8(kDirUp), D = QString::fromUtf8(kDirDown);

template <typename T = QWidget>
T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

struct ScriptWindowTest : ::testing::Test {
    test::TestMachine m;
    ScriptedDialogs dialogs;
    std::unique_ptr<CuttingScriptWindow> w;
    QListWidget* list = nullptr;
    QLineEdit* text3 = nullptr;

    void SetUp() override {
        test::copyResources(m.dir.path());
        w = std::make_unique<CuttingScriptWindow>(m.ws, dialogs);
        list = child<QListWidget>(*w, "List1");
        text3 = child<QLineEdit>(*w, "Text3");
    }
    void click(const char* name) {
        QTest::mouseClick(child<QPushButton>(*w, name), Qt::LeftButton);
    }
    // Types a line into Text3 and presses Accept.
    void accept(const QString& line) {
        text3->setText(line);
        click("Command7");
    }
    // Queues the OK of `n` message boxes the next steps must show.
    void expectMessages(int n) {
        for (int i = 0; i < n; ++i) dialogs.answerMessage();
    }
    QStringList items() const {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
};

TEST_F(ScriptWindowTest, NamesCaptionsAndToolbar) {
    EXPECT_EQ(w->objectName(), "script");
    EXPECT_EQ(w->windowTitle(), "Cutting Scripts");
    const std::pair<const char*, const char*> buttons[] = {
        {"Command1", "Edit"},   {"Command4", "Insert"}, {"Command6", "删除"},
        {"Command7", "Accept"}, {"Command2", "浏览"},   {"Command3", "显示帮助"}};
    for (const auto& [name, caption] : buttons)
        EXPECT_EQ(child<QPushButton>(*w, name)->text(), QString::fromUtf8(caption)) << name;
    EXPECT_EQ(child<QLineEdit>(*w, "Text1")->text(), "1");
    EXPECT_NE(child<QLabel>(*w, "Label6"), nullptr);
    const Toolbar& t = *w->toolbar();
    ASSERT_EQ(t.buttonCount(), 8);
    const char* keys[] = {"new_1", "save1", "refresh", "", "right1", "stop1", "", "Done1"};
    const char* tips[] = {"Load Cutting Script",
                          "Save Cutting Script",
                          "Clear Cutting Script",
                          "",
                          "Run Cutting Script",
                          "Stop Movement",
                          "",
                          "Done"};
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(t.button(i).key, tips[i - 1][0] ? QString(keys[i - 1]) : QString()) << i;
        EXPECT_EQ(t.button(i).toolTip, QString(tips[i - 1])) << i;
    }
    EXPECT_TRUE(t.button(4).separator);
    EXPECT_EQ(t.buttonCaption(6), "Stop");
    EXPECT_EQ(t.button(6).description, "Stop Movement");
    // The help page of the application folder, shown by the help button, hidden on activation.
    EXPECT_TRUE(child<QTextBrowser>(*w, "RichTextBox1")->toPlainText().contains("angle"));
    w->show();
    click("Command3");
    EXPECT_TRUE(child<QWidget>(*w, "Frame2")->isVisible());
    EXPECT_EQ(child<QPushButton>(*w, "Command3")->text(), "Hide Help");
    w->activated();
    EXPECT_FALSE(child<QWidget>(*w, "Frame2")->isVisible());
    EXPECT_EQ(child<QPushButton>(*w, "Command3")->text(), QString::fromUtf8("显示帮助"));
}

TEST_F(ScriptWindowTest, AcceptInsertEditAndDeleteCheckEveryLine) {
    accept("move,x," + F + ",3");
    EXPECT_EQ(text3->text(), "");
    expectMessages(3);
    accept(QString::fromUtf8("move,x,向前,3"));
    accept("Move,x," + F + ",3");
    accept("move,x," + F);
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{"Script error, unknown direction", "Script error, instruction incorrect",
                           "Incorrect number of elements in the script"}));
    EXPECT_EQ(items(), QStringList{"move,x," + F + ",3"});
    EXPECT_EQ(text3->text(), "move,x," + F);  // a rejected line stays for correcting
    dialogs.clearCalls();

    // Nothing selected: each command says what to do.
    list->setCurrentRow(-1);
    expectMessages(3);
    click("Command1");
    click("Command4");
    click("Command6");
    EXPECT_EQ(dialogs.messageTexts(),
              (QStringList{"Click on the script you wish to edit",
                           "Click on the line where you wish to insert the new line of script",
                           "Click on the script you wish to delete"}));
    dialogs.clearCalls();

    // Insert goes before the selected line and keeps the text; too few items is an error report.
    accept("pause,5");
    list->setCurrentRow(1);
    text3->setText("speed,2");
    click("Command4");
    EXPECT_EQ(items(), (QStringList{"move,x," + F + ",3", "speed,2", "pause,5"}));
    EXPECT_EQ(text3->text(), "speed,2");
    text3->setText("angle,x," + F + ",1");
    expectMessages(1);
    click("Command4");
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList{"Error encountered, Error Number 9, Subscript out of range\r"
                          "Module Script, Command4"});

    // Edit puts the line back in its place on Accept, even after a line before it was inserted.
    list->setCurrentRow(2);
    click("Command1");
    EXPECT_EQ(text3->text(), "pause,5");
    list->setCurrentRow(0);
    text3->setText("pause,6");
    click("Command4");
    text3->setText("pause,7");
    click("Command7");
    EXPECT_EQ(items(), (QStringList{"pause,6", "move,x," + F + ",3", "speed,2", "pause,7"}));
    list->setCurrentRow(1);
    click("Command6");
    EXPECT_EQ(items(), (QStringList{"pause,6", "speed,2", "pause,7"}));
}

TEST_F(ScriptWindowTest, BrowseSaveAndLoadThroughTheDialogs) {
    const QString folder = QString::fromStdString(m.dir.path().string());
    text3->setText("cut,");
    dialogs.answerOpenFile(folder + "/wing.ct1");
    click("Command2");
    EXPECT_EQ(text3->text(), "cut," + folder + "/wing.ct1");
    const DialogCall browse = dialogs.calls().back();
    EXPECT_EQ(browse.title, QString::fromUtf8("选择切割文件"));
    EXPECT_EQ(browse.request.defaultExt, "ct1");
    EXPECT_EQ(browse.request.filter, "CUT File (*.ct1)|*.ct1|All (*.*)|*.*");

    const QStringList lines = {"move,y," + D + ",2", "angle,x," + B + ",3,y," + U + ",1",
                               "pause,250", "speed,1.4"};
    for (const QString& line : lines) accept(line);
    ASSERT_TRUE(dialogs.messageTexts().isEmpty()) << dialogs.messageTexts().join("|").toStdString();
    const QString file = folder + "/my script.txt";
    dialogs.answerSaveFile(file);
    w->toolbar()->click(2);
    const DialogCall save = dialogs.calls().back();
    EXPECT_EQ(save.title, QString::fromUtf8("保存脚本文件"));
    EXPECT_EQ(save.request.initialDir, folder);
    EXPECT_EQ(save.request.defaultExt, "txt");
    EXPECT_EQ(save.request.filter, "TXT File (*.TXT)|*.txt|All (*.*)|*.*");
    EXPECT_EQ(test::readFile(file.toStdString()),
              utf8ToGbk((lines.join("\r\n") + "\r\n").toStdString()));

    w->toolbar()->click(3);  // Clear
    EXPECT_EQ(list->count(), 0);
    dialogs.answerOpenFile(file).answerOpenFile(file).answerOpenFile(QString());
    w->toolbar()->click(1);
    EXPECT_EQ(dialogs.calls().back().title, "Load Script File");
    EXPECT_EQ(items(), lines);
    // The file the program wrote runs: 2 mm down, then an angle of 3 mm by 1 mm at 158/mm.
    w->toolbar()->click(5);
    EXPECT_TRUE(dialogs.messageTexts().isEmpty()) << dialogs.messageTexts().join("|").toStdString();
    int outs = 0;
    for (const PortOperation& op : m.port.operations())
        if (op.kind == PortOperation::Kind::Out) ++outs;
    EXPECT_EQ(outs, 316 + 474);
    w->toolbar()->click(1);  // appends
    EXPECT_EQ(items(), lines + lines);
    w->toolbar()->click(1);  // cancelled: nothing changes
    EXPECT_EQ(list->count(), 8);

    // A file cut short: the lines before the break stay, the error is reported under LS.
    test::writeFile(m.dir / "short.txt", "pause,1\r\nmove,x\r\n");
    w->toolbar()->click(3);
    dialogs.answerOpenFile(folder + "/short.txt").answerMessage();
    w->toolbar()->click(1);
    EXPECT_EQ(items(), QStringList{"pause,1"});
    EXPECT_EQ(dialogs.messageTexts().back(),
              "Error encountered, Error Number 62, Input past end of file\rModule Script, LS");
}

TEST_F(ScriptWindowTest, AFailingDiskAtAnyCallOfASaveKeepsTheOldScriptAndSaysWhichFile) {
    const std::filesystem::path file = m.dir / "job.txt";
    std::map<std::string, std::string> before;
    accept("pause,250");
    const auto figures = test::walkDiskFaults(
        [&] {
            test::writeFile(file, "pause,1\r\n");
            before = test::folderSnapshot(m.dir.path());
            dialogs.clearCalls();
            dialogs.clearAnswers();
        },
        [&] {
            dialogs.answerSaveFile(QString::fromStdString(file.string())).answerMessage();
            w->toolbar()->click(2);
        },
        [&](const std::string& which) {
            // The folder's sync after the rename: the new file stands and the message says so.
            if (!dialogs.messageTexts().empty() &&
                dialogs.messageTexts()[0].toStdString().find("may not survive a power loss") !=
                    std::string::npos)
                return;
            test::expectFolderUnchanged(before, m.dir.path(), which);
            ASSERT_EQ(dialogs.messageTexts().size(), 1) << which;
            const std::string text = dialogs.messageTexts()[0].toStdString();
            EXPECT_NE(text.find("Module Script, SS\r" + file.string() + ": cannot"),
                      std::string::npos)
                << which << ": " << text;
            EXPECT_NE(text.find("not changed"), std::string::npos) << text;
        });
    EXPECT_EQ(figures.callsFailed, 4);
    EXPECT_EQ(items(), QStringList{"pause,250"});
}

TEST_F(ScriptWindowTest, RunChecksFirstFollowsSpeedLinesAndStops) {
    for (const QString& line : {QString("pause,1"), QString("speed,2.3"), "move,x," + F + ",1"})
        accept(line);
    list->addItem("move,z," + F + ",1");  // a loaded line is not checked until Run
    expectMessages(1);
    w->toolbar()->click(5);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"Script error in line 4 of Cutting Script"});
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_TRUE(m.port.operations().empty());
    dialogs.clearCalls();

    delete list->takeItem(3);
    // Stop pressed between two ticks of the move (after its eighth): the move ends there.
    auto outsSoFar = [&] {
        int n = 0;
        for (const PortOperation& op : m.port.operations())
            if (op.kind == PortOperation::Kind::Out) ++n;
        return n;
    };
    bool stopped = false;
    m.ws.yield = [&] {
        if (!stopped && outsSoFar() == 8) {
            stopped = true;
            w->toolbar()->click(6);
        }
    };
    w->toolbar()->click(5);
    EXPECT_TRUE(dialogs.messageTexts().isEmpty());
    EXPECT_EQ(m.ws.motion.JogSpeed.raw(), 23000);
    EXPECT_EQ(w->speedControl()->slider()->value(), 12);  // the nearest notch of 11.5
    EXPECT_EQ(child<QLabel>(*w, "Label6")->text(), "2.3");
    EXPECT_TRUE(stopped);
    EXPECT_EQ(outsSoFar(), 8);  // the pause and speed lines wrote nothing; no tick after Stop

    // Done during a run stops it and hides the window.
    w->show();
    m.port.clearOperations();
    int ticks = 0;
    m.ws.yield = [&] {
        if (++ticks == 5) w->toolbar()->click(8);
    };
    w->toolbar()->click(5);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->isRunning());
}

// Load shows in one message everything of the file that the list will not hold, by file line.
TEST_F(ScriptWindowTest, LoadSaysWhatItSkippedInOneMessage) {
    const std::string text = "speed,2\r\nMove,x," + F.toStdString() + ",40\r\nmove，x，" +
                             F.toStdString() + "，40\r\n  pause,5\r\npause,7\r\n";
    test::writeFile(m.dir / "typed.txt", text);
    dialogs.answerOpenFile(QString::fromStdString((m.dir / "typed.txt").string())).answerMessage();
    w->toolbar()->click(1);
    EXPECT_EQ(items(), (QStringList{"speed,2", "pause,7"}));
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_EQ(dialogs.messageTexts()[0],
              "2 lines loaded. These items of the file are not instructions and were skipped:"
              "\rfile line 2: \"Move\", \"x\", \"" +
                  F + "\", \"40\"\rfile line 3: \"move，x，" + F +
                  "，40\"\rfile line 4: \"  pause\", \"5\"");

    // Skipped items and a file ending inside an instruction: both are said.
    test::writeFile(m.dir / "cut.txt", "Move\r\npause,1\r\nmove,x\r\n");
    dialogs.clearCalls();
    dialogs.answerOpenFile(QString::fromStdString((m.dir / "cut.txt").string()))
        .answerMessage()
        .answerMessage();
    w->toolbar()->click(1);
    EXPECT_EQ(items(), (QStringList{"speed,2", "pause,7", "pause,1"}));
    ASSERT_EQ(dialogs.messageTexts().size(), 2);
    EXPECT_TRUE(dialogs.messageTexts()[0].endsWith("file line 1: \"Move\""));
    EXPECT_EQ(dialogs.messageTexts()[1],
              "Error encountered, Error Number 62, Input past end of file\rModule Script, LS");
}

// A failed move, angle, pause or cut: after its report the window asks whether to go on, with
// No as the default; No (or closing the box) ends the run before the next line moves anything.
TEST_F(ScriptWindowTest, AFailedLineAsksBeforeTheNextLineWithStopAsTheDefault) {
    test::writeFile(m.dir / "big.ct1", "1\r\n256\r\n");
    test::writeFile(m.dir / "big.ct2", "2\r\n");
    test::writeFile(m.dir / "gone.ct2", "1\r\n");
    const QString failing[] = {"cut,gone.ct1", "cut,big.ct1", "angle,x," + F + ",1,y," + U + ",0"};
    for (const QString& bad : failing) {
        w->toolbar()->click(3);
        for (const QString& line : {QString("pause,1"), bad, "move,y1," + U + ",1"})
            list->addItem(line);
        m.port.clearOperations();
        dialogs.clearCalls();
        dialogs.answerMessage().answerMessage(MsgAnswer::No).answerMessage();
        w->toolbar()->click(5);
        const std::vector<DialogCall> shown = dialogs.messages();
        ASSERT_EQ(shown.size(), 3u) << bad.toStdString();
        EXPECT_TRUE(shown[0].text.startsWith("Error encountered")) << shown[0].text.toStdString();
        if (bad.startsWith("cut")) {
            EXPECT_TRUE(shown[0].text.contains(
                QString::fromStdString((m.dir / bad.mid(4).toStdString()).string())))
                << shown[0].text.toStdString();
        }
        EXPECT_EQ(shown[1].text,
                  "Line 2 of the script failed:\r" + bad + "\r\rContinue with the next line?");
        EXPECT_EQ(shown[1].buttons, MsgButtons::YesNoDefaultNo);
        EXPECT_EQ(shown[2].text, "Script stopped at line 2: 2 lines run, line failed: 2");
        int outs = 0;
        for (const PortOperation& op : m.port.operations())
            if (op.kind == PortOperation::Kind::Out) ++outs;
        EXPECT_EQ(outs, 0) << bad.toStdString();

        // Yes goes on: the move runs and the summary still names the failed line.
        dialogs.clearCalls();
        dialogs.answerMessage().answerMessage(MsgAnswer::Yes).answerMessage();
        w->toolbar()->click(5);
        ASSERT_EQ(dialogs.messages().size(), 3u);
        EXPECT_EQ(dialogs.messages()[2].text, "Script ended: 3 lines run, line failed: 2");
        for (const PortOperation& op : m.port.operations())
            if (op.kind == PortOperation::Kind::Out) ++outs;
        EXPECT_EQ(outs, 158) << bad.toStdString();
    }
}

TEST_F(ScriptWindowTest, RunRefusesWithoutAKnownPort) {
    accept("pause,1");
    m.ws.settings.derived.DataPort = 0;
    expectMessages(1);
    w->toolbar()->click(5);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "No Port");
    EXPECT_EQ(dialogs.messages()[0].text, QString::fromStdString(m.ws.portRefusal()));
}

TEST_F(ScriptWindowTest, ItFitsInsideTheMainWindowWithTheStatusBarInView) {
    QMainWindow main;
    main.setCentralWidget(new QWidget(&main));
    main.statusBar()->showMessage("status");
    main.resize(1024, 700);
    main.show();
    auto* script = new CuttingScriptWindow(m.ws, dialogs, &main);
    script->showAndActivate();
    QApplication::processEvents();
    const QWidget* inner = main.centralWidget();
    const QRect client(inner->mapToGlobal(QPoint(0, 0)), inner->size());
    const QRect outer = script->frameGeometry();
    EXPECT_TRUE(client.contains(outer))
        << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height() << " in "
        << client.x() << "," << client.y() << " " << client.width() << "x" << client.height();
    EXPECT_LE(script->geometry().bottom() + 1, main.statusBar()->mapToGlobal(QPoint(0, 0)).y());
    EXPECT_GE(script->width(), 320);
    EXPECT_EQ(outer.x() - client.x(), static_cast<int>(std::lround(inner->width() * 0.10)));
    EXPECT_EQ(outer.y() - client.y(), static_cast<int>(std::lround(inner->height() * 0.15)));
}

}  // namespace
}  // namespace corvane
