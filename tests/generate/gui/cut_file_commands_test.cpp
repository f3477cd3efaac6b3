// LoadCutFile and SaveCutFile through the common dialog: the dialog's settings, Cancel changing
// nothing, names typed without extension, the messages shown as the operator reads them, and a
// save that cannot be written reported with its label.
#include "generate/gui/cut_file_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "generate/cut_set_commands.h"
#include "platform/gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class CutFileCommandsTest : public ::testing::Test {
protected:
    CutFileCommandsTest() {
        test::writeFile(m.dir / "cut.ct1", "1\r\n2\r\n");
        test::writeFile(m.dir / "cut_cnt.ct2", "2\r\n");
        test::writeFile(m.dir / "datinfo.ct3",
                        "\"a.dat\",\"b.dat\",100,100,\"0\",\"0\",\"0\",\"0\"\r\n");
        test::writeFile(m.dir / "root.dat", "0 0\r\n1 0\r\n0 0\r\n");
        test::writeFile(m.dir / "set.ct1", "5\r\n5\r\n5\r\n");
        test::writeFile(m.dir / "set.ct2", "1\r\n0\r\n3\r\n");
        const std::string root = (m.dir / "root.dat").string();
        test::writeFile(m.dir / "set.ct3",
                        "\"" + root + "\",\"" + root + "\",200,150,\"0\",\"0\",\"0\",\"0\"\r\n");
    }

    test::TestMachine m;
    ScriptedDialogs dialogs;

    std::string working() const {
        return test::readFile(m.dir / "cut.ct1") + "|" + test::readFile(m.dir / "cut_cnt.ct2") +
               "|" + test::readFile(m.dir / "datinfo.ct3");
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m.dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    QString path(const char* name) const { return QString::fromStdString((m.dir / name).string()); }
};

TEST_F(CutFileCommandsTest, CancellingEitherDialogChangesNothing) {
    const std::string before = working();
    const auto names = folderNames();
    dialogs.answerOpenFile(QString()).answerSaveFile(QString());
    EXPECT_FALSE(runLoadCutFile(m.ws, dialogs));
    EXPECT_EQ(runSaveCutFile(m.ws, dialogs), SaveStepResult::Cancelled);
    EXPECT_EQ(working(), before);
    EXPECT_EQ(folderNames(), names);
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 0);
    ASSERT_EQ(dialogs.calls().size(), 2u);
    for (const DialogCall& call : dialogs.calls()) {
        EXPECT_EQ(call.request.title, "保存切割文件");
        EXPECT_EQ(call.request.defaultExt, "ct1");
        EXPECT_EQ(call.request.filter, "CT1 File (*.CT1)|*.ct1|All (*.*)|*.*");
        EXPECT_EQ(call.request.initialDir.toStdString(), m.dir.path().string());
        EXPECT_EQ(call.request.fileName, "");
        EXPECT_EQ(call.request.flags, 6);
    }
    EXPECT_EQ(dialogs.calls()[0].kind, DialogCall::Kind::OpenFile);
    EXPECT_EQ(dialogs.calls()[1].kind, DialogCall::Kind::SaveFile);
}

TEST_F(CutFileCommandsTest, LoadReplacesTheWorkingSetAndSaysSo) {
    dialogs.answerOpenFile(path("set"));  // typed without its extension
    dialogs.answerMessage();
    EXPECT_TRUE(runLoadCutFile(m.ws, dialogs));
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"     Cut Files loaded successfully     "});
    EXPECT_EQ(test::readFile(m.dir / "cut.ct1"), "5\r\n5\r\n5\r\n");
    EXPECT_EQ(test::readFile(m.dir / "cut_cnt.ct2"), "1\r\n0\r\n3\r\n");
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, std::vector<int>{1});
}

TEST_F(CutFileCommandsTest, LoadRefusalShowsItsMessageAndKeepsTheWorkingSet) {
    fs::remove(m.dir / "set.ct3");
    const std::string before = working();
    dialogs.answerOpenFile(path("set.ct1"));
    dialogs.answerMessage();
    EXPECT_FALSE(runLoadCutFile(m.ws, dialogs));
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList{"     DAT Information File not Found. Try Again or Regenerate the Cut "
                          "File.     "});
    EXPECT_EQ(working(), before);
}

TEST_F(CutFileCommandsTest, SaveRefusesAWorkingFileNameAndAsksAgain) {
    const std::string before = working();
    dialogs.answerSaveFile(path("cut_cnt.ct2")).answerMessage().answerSaveFile(path("kept"));
    EXPECT_EQ(runSaveCutFile(m.ws, dialogs), SaveStepResult::Saved);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{QString::fromUtf8(kSaveOverWorkingFile)});
    EXPECT_EQ(working(), before);
    EXPECT_EQ(test::readFile(m.dir / "kept.ct1"), test::readFile(m.dir / "cut.ct1"));
}

TEST_F(CutFileCommandsTest, SaveCopiesTheSetUnderTheTypedName) {
    dialogs.answerSaveFile(path("copy"));
    EXPECT_EQ(runSaveCutFile(m.ws, dialogs), SaveStepResult::Saved);
    EXPECT_EQ(test::readFile(m.dir / "copy.ct1"), test::readFile(m.dir / "cut.ct1"));
    EXPECT_EQ(test::readFile(m.dir / "copy.ct2"), test::readFile(m.dir / "cut_cnt.ct2"));
    EXPECT_EQ(test::readFile(m.dir / "copy.ct3"), test::readFile(m.dir / "datinfo.ct3"));

    // A target that cannot be written: the report with the caller's label.
    fs::create_directory(m.dir / "blocked.ct2");
    dialogs.answerSaveFile(path("blocked.ct1"));
    dialogs.answerMessage();
    EXPECT_EQ(runSaveCutFile(m.ws, dialogs, "Module 14, GCF"), SaveStepResult::Failed);
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].startsWith("Error encountered, Error Number "));
    EXPECT_TRUE(dialogs.messageTexts()[0].contains("\rModule 14, GCF"));
}

}  // namespace
}  // namespace corvane
