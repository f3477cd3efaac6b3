// Form19 as the operator uses it: the toolbar and dialog settings, the examples of an empty note
// and of cancelled dialogs, names chosen in another folder, a tricky note saved and reopened
// unchanged, bad files, an unusable application folder, printing, and shut-down with a note.
#include "shell/gui/notes_window.h"

#include <QFileInfo>
#include <QTextEdit>
#include <random>

#include "common/text_encoding.h"
#include "platform/gui/toolbar.h"
#include "shell_fixture.h"
#include "support/disk_faults.h"
#include "support/test_support.h"

namespace corvane {
namespace {

class NotesWindowTest : public ShellTest {
protected:
    NotesWindow& notes() {
        if (!notes_) notes_ = std::make_unique<NotesWindow>(*ws_, dialogs_);
        return *notes_;
    }
    void TearDown() override {
        notes_.reset();
        ShellTest::TearDown();
    }
    QString other(const char* name) const { return QStringLiteral("/elsewhere/") + name; }
    // The name as the dialog gives it back when it shows the application folder.
    QString inApp(const char* name) const { return QString::fromStdString(file(name).string()); }
    std::unique_ptr<NotesWindow> notes_;
};

const char* const kErrorTail = "\rModule 19, ASX";

TEST_F(NotesWindowTest, ToolbarAndTheSaveDialogsSettings) {
    NotesWindow& w = notes();
    EXPECT_EQ(w.objectName(), "Form19");
    EXPECT_EQ(w.textBox()->objectName(), "RichTextBox1");
    const std::pair<const char*, const char*> buttons[] = {{"New", "Open New Note"},
                                                           {"Open", "Open Existing Note"},
                                                           {"Close", "Close a Note"},
                                                           {"Save", "Save Note"},
                                                           {"", ""},
                                                           {"Print", "Print Open Note"},
                                                           {"", ""},
                                                           {"Done", "Close Notes"}};
    ASSERT_EQ(w.toolbar()->buttonCount(), 8);
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(w.toolbar()->button(i).separator, i == 5 || i == 7) << i;
        EXPECT_EQ(w.toolbar()->button(i).caption, buttons[i - 1].first) << i;
        EXPECT_EQ(w.toolbar()->button(i).toolTip, buttons[i - 1].second) << i;
    }
    dialogs_.answerSaveFile(QString()).answerOpenFile(QString());
    w.runButton(4);
    w.runButton(2);
    ASSERT_EQ(dialogs_.calls().size(), 2u);
    for (const DialogCall& call : dialogs_.calls()) {
        EXPECT_EQ(call.request.initialDir.toStdString(), folder_.string());
        EXPECT_TRUE(call.request.fileName.isEmpty());
        EXPECT_EQ(call.request.defaultExt, "fwn");
        EXPECT_EQ(call.request.filter,
                  "fwn File (*.fwn)|*.fwn|Text File (*.txt)|*.txt|All (*.*)|*.*");
        EXPECT_EQ(call.request.flags, 6);
    }
    EXPECT_EQ(dialogs_.calls()[0].title, "保存备注文件");
}

TEST_F(NotesWindowTest, EmptyNoteAndCancelledDialogsFollowTheExamples) {
    NotesWindow& w = notes();
    w.show();
    // Empty note: New and Close show no dialog.
    w.runButton(1);
    w.runButton(3);
    EXPECT_TRUE(dialogs_.calls().empty());

    w.setNote("keep me");
    dialogs_.answerSaveFile(QString());
    w.runButton(1);  // cancelled: the text stays
    EXPECT_EQ(w.note(), "keep me");
    dialogs_.answerSaveFile(QString());
    w.runButton(3);  // cancelled: cleared anyway
    EXPECT_FALSE(w.notePresent());

    // A name chosen in another folder is written to the application folder.
    w.setNote("job one");
    dialogs_.answerSaveFile(other("job1.fwn"));
    w.runButton(1);
    EXPECT_FALSE(w.notePresent());
    EXPECT_EQ(test::readFile(file("job1.fwn")), "\"job one\"\r\n");
    EXPECT_FALSE(QFileInfo::exists(other("job1.fwn")));

    // Done with a note: the save dialog, then hidden with the note still in the box.
    w.setNote("later");
    dialogs_.answerSaveFile(QString());
    w.runButton(8);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.note(), "later");
}

TEST_F(NotesWindowTest, ATrickyNoteSavesAndReopensUnchanged) {
    NotesWindow& w = notes();
    const QString text = QString::fromUtf8(
        "Job \"wing 3\", root 250, tip 150\r\n\r\n泡沫切割: 速度 2.5, \"慢\"\r\n\r\n\r\nend,\"\"");
    w.setNote(text);
    EXPECT_EQ(w.note(), text);
    dialogs_.answerSaveFile(other("tricky.fwn"));
    w.runButton(4);
    const std::string bytes = test::readFile(file("tricky.fwn"));
    std::string doubled = text.toStdString();
    for (size_t at = doubled.find('"'); at != std::string::npos; at = doubled.find('"', at + 2))
        doubled.insert(at, 1, '"');
    EXPECT_EQ(bytes, "\"" + utf8ToGbk(doubled) + "\"\r\n");

    dialogs_.answerSaveFile(QString());
    w.runButton(3);
    EXPECT_FALSE(w.notePresent());
    dialogs_.answerOpenFile(inApp("tricky.fwn"));
    w.runButton(2);
    EXPECT_EQ(w.note(), text);
    EXPECT_EQ(w.textBox()->toPlainText(), QString(text).replace("\r\n", "\n"));

    // The same note in a UTF-8 file opens the same.
    test::writeFile(file("utf8.fwn"), "\"" + doubled + "\"\r\n");
    w.setNote(QString());
    dialogs_.answerOpenFile(inApp("utf8.fwn"));
    w.runButton(2);
    EXPECT_EQ(w.note(), text);
}

// Text GBK cannot hold, and GBK text whose bytes read as other UTF-8, come back as typed, also
// after New has cleared the window.
TEST_F(NotesWindowTest, EveryCharacterOfANoteComesBack) {
    NotesWindow& w = notes();
    const char* const notes[] = {"wing \xF0\x9F\x9B\xA9 \xF0\x9F\x98\x80 done",
                                 "한국어 메모",
                                 "Ø 6 mm rod, 2 m²",
                                 "位",
                                 "naïve µ ½ ✓ ß ñ",
                                 "位置 λ 位"};
    for (const char* text : notes) {
        w.setNote(QString::fromUtf8(text));
        dialogs_.answerSaveFile(inApp("kept.fwn"));
        w.runButton(1);  // New: saved, then cleared
        EXPECT_FALSE(w.notePresent());
        dialogs_.answerOpenFile(inApp("kept.fwn"));
        w.runButton(2);
        EXPECT_EQ(w.note().toStdString(), text);
    }
    EXPECT_TRUE(dialogs_.messages().empty());
}

// Notes stay where they belong: a file of the application folder other than the one chosen is
// replaced only after a question naming it; the program's own files are refused; Open from
// another folder says which file it opens.
TEST_F(NotesWindowTest, ANoteNeverReplacesAFileUnasked) {
    NotesWindow& w = notes();
    w.show();
    const std::string settings = test::readFile(file("settings.txt"));
    test::writeFile(file("job1.fwn"), "\"first job\"\r\n");
    w.setNote("second job");
    // Another folder's job1.fwn: asked, No, then the dialog again, cancelled.
    dialogs_.answerSaveFile(other("job1.fwn")).answerMessage(MsgAnswer::No).answerSaveFile({});
    w.runButton(4);
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].text.toStdString(),
              "Notes are kept in the application folder, where " + file("job1.fwn").string() +
                  " already exists.\rReplace it?");
    EXPECT_EQ(dialogs_.messages()[0].buttons, MsgButtons::YesNoDefaultNo);
    EXPECT_EQ(test::readFile(file("job1.fwn")), "\"first job\"\r\n");
    // Yes replaces it; the application folder's own file is replaced without a second question
    // (the dialog asked already).
    dialogs_.clearCalls();
    dialogs_.answerSaveFile(other("job1.fwn")).answerMessage(MsgAnswer::Yes);
    w.runButton(4);
    EXPECT_EQ(test::readFile(file("job1.fwn")), "\"second job\"\r\n");
    w.setNote("third job");
    dialogs_.answerSaveFile(inApp("job1.fwn"));
    w.runButton(4);
    EXPECT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(test::readFile(file("job1.fwn")), "\"third job\"\r\n");

    // The program's own names are refused, wherever the dialog was, and the dialog comes back.
    for (const char* name : {"settings.txt", "waypoint.txt", "cut.ct1", "wing.ct3", "temp_cut.txt",
                             "corvane.hlp", "SETTINGS.TXT"}) {
        dialogs_.clearCalls();
        dialogs_.answerSaveFile(other(name)).answerMessage().answerSaveFile(inApp("ok.fwn"));
        w.runButton(4);
        ASSERT_EQ(dialogs_.messages().size(), 1u) << name;
        EXPECT_EQ(dialogs_.messages()[0].text.toStdString(),
                  std::string(name) +
                      " is a file of the program itself; a note cannot be saved under that name.");
    }
    EXPECT_EQ(test::readFile(file("settings.txt")), settings);
    EXPECT_EQ(test::readFile(file("ok.fwn")), "\"third job\"\r\n");

    // Open from another folder: told which file opens; Cancel opens nothing.
    dialogs_.clearCalls();
    w.setNote(QString());
    dialogs_.answerOpenFile(other("job1.fwn")).answerMessage(MsgAnswer::Cancel);
    w.runButton(2);
    EXPECT_FALSE(w.notePresent());
    dialogs_.answerOpenFile(other("job1.fwn")).answerMessage(MsgAnswer::Ok);
    w.runButton(2);
    EXPECT_EQ(w.note(), "third job");
    ASSERT_EQ(dialogs_.messages().size(), 2u);
    EXPECT_EQ(dialogs_.messages()[1].text.toStdString(),
              "Notes are kept in the application folder: this opens " + file("job1.fwn").string());
    EXPECT_EQ(dialogs_.messages()[1].buttons, MsgButtons::OkCancel);
}

TEST_F(NotesWindowTest, BadFilesOpenAsFarAsTheyGoOrSayWhy) {
    NotesWindow& w = notes();
    w.show();
    test::writeFile(file("open.fwn"), "\"never closed,\r\nsecond");
    dialogs_.answerOpenFile(inApp("open.fwn"));
    w.runButton(2);
    EXPECT_EQ(w.note(), "never closed,\r\nsecond");

    test::writeFile(file("plain.txt"), "a plain text file\r\nwith two lines\r\n");
    dialogs_.answerOpenFile(inApp("plain.txt"));
    w.runButton(2);
    EXPECT_EQ(w.note(), "a plain text file\r\nwith two lines\r\n");

    std::string noise;
    std::mt19937 random(19);
    for (int i = 0; i < 4000; ++i) noise += static_cast<char>(random() % 256);
    test::writeFile(file("noise.fwn"), noise);
    dialogs_.answerOpenFile(inApp("noise.fwn"));
    EXPECT_TRUE(w.runButton(2));
    EXPECT_TRUE(dialogs_.messages().empty());

    // An empty file and a missing one: the error under the window's label, then Done (the
    // note present is offered for saving, then the window hides).
    test::writeFile(file("empty.fwn"), "\r\n");
    w.setNote("mine");
    dialogs_.answerOpenFile(inApp("empty.fwn")).answerMessage().answerSaveFile(QString());
    w.runButton(2);
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0].text.toStdString(),
              "Error encountered, Error Number 62, Input past end of file" +
                  std::string(kErrorTail) + "\rempty.fwn holds no note");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.note(), "mine");

    dialogs_.clearCalls();
    w.setNote(QString());
    dialogs_.answerOpenFile(inApp("missing.fwn")).answerMessage();
    w.runButton(2);
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_TRUE(dialogs_.messages()[0].text.startsWith("Error encountered, Error Number 53, "));
    EXPECT_TRUE(dialogs_.messages()[0].text.contains(kErrorTail));
}

TEST_F(NotesWindowTest, AnUnusableApplicationFolderReportsAndKeepsTheNote) {
    // The application folder is a file: nothing can be written under it.
    test::writeFile(file("not-a-folder"), "x");
    Workspace broken(folder_ / "not-a-folder", port_, clock_);
    NotesWindow w(broken, dialogs_);
    w.show();
    w.setNote("precious");
    // Save fails; Done follows with its own save dialog, which the operator cancels.
    dialogs_.answerSaveFile(other("a.fwn")).answerMessage().answerSaveFile(QString());
    EXPECT_TRUE(w.runButton(4));
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_TRUE(dialogs_.messages()[0].text.startsWith("Error encountered, Error Number 75, "));
    EXPECT_TRUE(dialogs_.messages()[0].text.contains(kErrorTail));
    EXPECT_EQ(w.note(), "precious");
    EXPECT_FALSE(w.isVisible());

    // When the close's save fails, the window stays open with the note; the close is refused.
    w.show();
    dialogs_.clearCalls();
    dialogs_.answerMessage(MsgAnswer::Yes).answerSaveFile(other("a.fwn")).answerMessage();
    EXPECT_FALSE(w.close());
    ASSERT_EQ(dialogs_.messages().size(), 2u);
    EXPECT_EQ(dialogs_.messages()[0].text, "Save the note?");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.note(), "precious");
}

TEST_F(NotesWindowTest, AFailingDiskAtAnyCallOfASaveKeepsTheOldNoteAndSaysWhichFile) {
    NotesWindow& w = notes();
    std::map<std::string, std::string> before;
    const auto figures = test::walkDiskFaults(
        [&] {
            test::writeFile(file("job.fwn"), "\"old note\"\r\n");
            before = test::folderSnapshot(folder_);
            dialogs_.clearCalls();
            dialogs_.clearAnswers();
            w.setNote("new note");
        },
        [&] {
            // Done follows the failed save with a save dialog of its own: cancelled.
            dialogs_.answerSaveFile(inApp("job.fwn")).answerMessage().answerSaveFile(QString());
            w.runButton(4);
        },
        [&](const std::string& which) {
            // The folder's sync after the rename: the new file stands and the message says so.
            if (!dialogs_.messages().empty() &&
                dialogs_.messages()[0].text.toStdString().find("may not survive a power loss") !=
                    std::string::npos)
                return;
            test::expectFolderUnchanged(before, folder_, which);
            ASSERT_EQ(dialogs_.messages().size(), 1u) << which;
            const std::string text = dialogs_.messages()[0].text.toStdString();
            EXPECT_NE(text.find("Module 19, ASX\r" + file("job.fwn").string() + ": cannot"),
                      std::string::npos)
                << which << ": " << text;
            EXPECT_NE(text.find("not changed"), std::string::npos) << text;
            EXPECT_EQ(w.note(), "new note") << which;
        });
    EXPECT_EQ(figures.callsFailed, 4);
}

TEST_F(NotesWindowTest, PrintCancelledPrintsNothingAndAcceptedPrintsTheNote) {
    NotesWindow& w = notes();
    w.setNote("print me\r\nsecond paragraph");
    dialogs_.cancelPrinter();
    w.runButton(6);
    const QString pdf = dir_.filePath("note.pdf");
    EXPECT_FALSE(QFileInfo::exists(pdf));
    dialogs_.answerPrinter(pdf);
    w.runButton(6);
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    EXPECT_EQ(dialogs_.calls().back().title, "打印");
}

TEST_F(NotesWindowTest, NotesMenuOpensForm19AndShutDownOffersToSaveTheNote) {
    startedFrame();
    trigger("OpenNotes");
    auto* w = qobject_cast<NotesWindow*>(frame().windows().loaded("Form19"));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    // Hidden by Done (save cancelled) but still loaded with its note: shut-down asks again.
    w->setNote("before we go");
    dialogs_.answerSaveFile(QString());
    w->runButton(8);
    EXPECT_FALSE(w->isVisible());
    // Exit asks "Save the note?": Cancel, or Yes then a cancelled save dialog, keep the note
    // and the program (the bare dialog's Cancel used to throw the note away); No lets it go.
    dialogs_.clearCalls();
    dialogs_.answerMessage(MsgAnswer::Cancel);
    EXPECT_FALSE(frame().shutDown());
    dialogs_.answerMessage(MsgAnswer::Yes).answerSaveFile(QString());
    EXPECT_FALSE(frame().shutDown());
    EXPECT_EQ(w->note(), "before we go");
    ASSERT_EQ(dialogs_.messages().size(), 2u);
    EXPECT_EQ(dialogs_.messages()[0].text, "Save the note?");
    EXPECT_EQ(dialogs_.messages()[0].title, "Notes");
    dialogs_.answerMessage(MsgAnswer::Yes).answerSaveFile(other("last.fwn"));
    EXPECT_TRUE(frame().shutDown());
    EXPECT_EQ(test::readFile(file("last.fwn")), "\"before we go\"\r\n");
}

TEST_F(NotesWindowTest, ExitWithANoteAnsweredNoLetsTheNoteGo) {
    startedFrame();
    trigger("OpenNotes");
    auto* w = qobject_cast<NotesWindow*>(frame().windows().loaded("Form19"));
    ASSERT_NE(w, nullptr);
    w->setNote("scratch");
    dialogs_.answerMessage(MsgAnswer::No);
    EXPECT_TRUE(frame().shutDown());
    EXPECT_EQ(dialogs_.calls().size(), 1u);  // no save dialog
}

}  // namespace
}  // namespace corvane
