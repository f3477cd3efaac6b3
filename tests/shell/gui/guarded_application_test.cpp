// No exception leaves an event handler: a number too large for the job values is refused where it
// is typed and, should one still be stored, reported where it is used; anything a handler does
// not trap is reported by the one guard at the event loop, and the program runs on.
#include "shell/gui/guarded_application.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "common/run_error.h"
#include "generate/cut_generator.h"
#include "shell_fixture.h"
#include "support/test_support.h"

namespace corvane {
namespace {

TEST_F(ShellTest, AnExceptionThroughTheEventLoopIsReportedAndTheProgramRunsOn) {
    MainWindow& w = startedFrame();
    QWidget* menu = w.windows().loaded("Form5");
    ASSERT_NE(menu, nullptr);
    dialogs_.answerMessage();
    bool delivered = true;
    EXPECT_NO_THROW(delivered = deliverGuarded(
                        []() -> bool { throw RunError(ErrorNumber::Overflow); }, menu, &dialogs_));
    EXPECT_FALSE(delivered);
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList{"Error encountered, Error Number 6, Overflow\rModule Main, Form5"});
    // What returns normally passes through untouched.
    EXPECT_TRUE(deliverGuarded([] { return true; }, menu, &dialogs_));
}

TEST_F(ShellTest, AHugeChordIsRefusedBeforeItIsKeptAndAKeptOneCannotEndTheProgram) {
    MainWindow& w = startedFrame();
    if (!w.windows().has("Form14")) GTEST_SKIP() << "Form14 is not part of this build";
    ws_->job.LeftTowerChord = 200;
    ws_->job.RightTowerChord = 150;
    GenerationRequest request;
    request.leftPath = (folder_ / "root.dat").string();
    request.rightPath = (folder_ / "tip.dat").string();
    for (const auto& path : {request.leftPath, request.rightPath})
        test::writeFile(path, "T\r\n1 0\r\n0 0.05\r\n0 -0.05\r\n1 0\r\n");
    for (const char* huge : {"1e300", "1E+300", "9e18"}) {
        request.leftChordText = huge;
        request.rightChordText = "150";
        CutGenerator generator(*ws_);
        EXPECT_NE(generator.generate(request).status, GenerationStatus::Finished) << huge;
        EXPECT_EQ(ws_->job.LeftTowerChord, 200) << huge << " was kept for the next window";
    }

    // A value stored by any other way: 生成切割文件 says so and opens the window all the same.
    ws_->job.LeftTowerChord = 1e300;
    dialogs_.answerMessage();
    auto* generate = w.windows().loaded("Form5")->findChild<QPushButton*>("Command4");
    ASSERT_NE(generate, nullptr);
    QTest::mouseClick(generate, Qt::LeftButton);
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList{"Error encountered, Error Number 6, Overflow\rModule 5, Command4"});
    ASSERT_NE(w.windows().loaded("Form14"), nullptr);
    EXPECT_TRUE(w.windows().loaded("Form14")->isVisible());
}

}  // namespace
}  // namespace corvane
