// The scripted dialogs record what the operator would see and answer from the test's queue;
// a dialog nobody scripted cannot pass unnoticed. The error report goes through them.
#include "platform/gui/dialogs.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QWidget>

#include "common/run_error.h"
#include "platform/gui/printing.h"
#include "platform/gui/qt_dialogs.h"
#include "platform/gui/scripted_dialogs.h"

namespace corvane {
namespace {

TEST(ScriptedDialogs, AnswersInOrderAndRecordsEveryCall) {
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MsgAnswer::Yes).answerOpenFile("/tmp/a.ct1").answerInput(std::nullopt);
    EXPECT_EQ(dialogs.message("Overwrite?", "Save", MsgButtons::YesNo, MsgIcon::Question),
              MsgAnswer::Yes);
    FileDialogRequest request;
    request.title = "装入切割文件";
    request.filter = "Cut Files|*.ct1";
    request.defaultExt = "ct1";
    EXPECT_EQ(dialogs.openFile(request), "/tmp/a.ct1");
    EXPECT_EQ(dialogs.input("Name", "Title", "x"), std::nullopt);
    EXPECT_EQ(dialogs.pendingAnswers(), 0);

    ASSERT_EQ(dialogs.calls().size(), 3u);
    EXPECT_EQ(dialogs.calls()[0].text, "Overwrite?");
    EXPECT_EQ(dialogs.calls()[0].title, "Save");
    EXPECT_EQ(dialogs.calls()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs.calls()[0].icon, MsgIcon::Question);
    EXPECT_EQ(dialogs.calls()[1].kind, DialogCall::Kind::OpenFile);
    EXPECT_EQ(dialogs.calls()[1].request.filter, "Cut Files|*.ct1");
    EXPECT_EQ(dialogs.calls()[1].title, "装入切割文件");
    EXPECT_EQ(dialogs.calls()[2].defaultText, "x");
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"Overwrite?"});
    EXPECT_FALSE(dialogs.hasUnscripted());
}

TEST(ScriptedDialogs, UnscriptedOrMismatchedDialogsAreFailuresWithCautiousAnswers) {
    ScriptedDialogs dialogs;
    QStringList reported;
    dialogs.setUnscriptedHandler([&](const QString& what) { reported << what; });

    EXPECT_EQ(dialogs.message("Delete all?", "", MsgButtons::YesNo), MsgAnswer::No);
    dialogs.answerSaveFile("/tmp/x.ct1");
    // A message while the queue waits for a save dialog: failure, and the answer stays queued.
    EXPECT_EQ(dialogs.message("Sure?", "", MsgButtons::OkCancel), MsgAnswer::Cancel);
    EXPECT_EQ(dialogs.saveFile({}), "/tmp/x.ct1");
    EXPECT_EQ(dialogs.openFile({}), "");

    ASSERT_EQ(reported.size(), 3);
    EXPECT_TRUE(reported[0].contains("Delete all?"));
    EXPECT_TRUE(reported[1].contains("save-file dialog"));
    EXPECT_TRUE(reported[2].contains("open-file dialog"));
    EXPECT_FALSE(dialogs.calls()[0].scripted);
    EXPECT_TRUE(dialogs.calls()[2].scripted);
    EXPECT_EQ(dialogs.takeUnscripted().size(), 3);
    EXPECT_FALSE(dialogs.hasUnscripted());
}

TEST(ScriptedDialogsDeathTest, AnUncheckedUnscriptedDialogEndsTheTestProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ScriptedDialogs dialogs;
            dialogs.message("Nobody expected me");
        },
        "Nobody expected me");
}

TEST(ReportError, ShowsTheClassicTextWithoutTitleAndWithOk) {
    ScriptedDialogs dialogs;
    dialogs.answerMessage().answerMessage().answerMessage();
    reportError(dialogs, RunError(ErrorNumber::FileNotFound), "Module 9, Load Data");
    reportError(dialogs, std::runtime_error("disk gone"), "Module 14, GCF");
    reportError(dialogs, static_cast<const std::exception&>(RunError(ErrorNumber::DivisionByZero)),
                "Module 10, BC");
    const auto messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text,
              "Error encountered, Error Number 53, File not found\rModule 9, "
              "Load Data");
    EXPECT_EQ(messages[0].title, "");
    EXPECT_EQ(messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(messages[1].text, "Error encountered, disk gone\rModule 14, GCF");
    EXPECT_EQ(messages[2].text,
              "Error encountered, Error Number 11, Division by zero\rModule 10, BC");
}

TEST(QtDialogs, CommonDialogFiltersBecomeQtFilters) {
    EXPECT_EQ(qtFileFilter("Cut Files (*.ct1)|*.ct1"), "Cut Files (*.ct1) (*.ct1)");
    EXPECT_EQ(qtFileFilter("Airfoils|*.dat;*.cor|All Files|*.*"),
              "Airfoils (*.dat *.cor);;All Files (*.*)");
    EXPECT_EQ(qtFileFilter(""), "");
}

TEST(Printing, CancelPrintsNothingAndAcceptPrintsTheWindowAndRichText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QWidget window;
    window.resize(200, 120);
    ScriptedDialogs dialogs;

    dialogs.cancelPrinter();
    EXPECT_FALSE(printWindow(dialogs, window));
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(dialogs.calls()[0].kind, DialogCall::Kind::Printer);
    EXPECT_EQ(dialogs.calls()[0].title, "打印");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);

    const QString windowPdf = dir.filePath("window.pdf");
    dialogs.answerPrinter(windowPdf);
    EXPECT_TRUE(printWindow(dialogs, window));
    EXPECT_GT(QFile(windowPdf).size(), 0);

    QTextDocument note;
    note.setHtml("<p>Spar at 30%</p>");
    const QString notePdf = dir.filePath("note.pdf");
    dialogs.cancelPrinter().answerPrinter(notePdf);
    EXPECT_FALSE(printRichText(dialogs, note));
    EXPECT_FALSE(QFile::exists(notePdf));
    EXPECT_TRUE(printRichText(dialogs, note));
    QFile pdf(notePdf);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

}  // namespace
}  // namespace corvane
