// corvane --screenshot: the pictures of the main window and its first windows are written, with
// the captions drawn, and a font for the Chinese captions is installed.
#include "shell/gui/screenshots.h"

#include <QDir>
#include <QFontDatabase>
#include <QImage>

#include "platform/gui/toolbar.h"
#include "shell_fixture.h"

namespace corvane {
namespace {

TEST_F(ShellTest, ScreenshotsOfTheMainWindowAndItsWindowsAreWritten) {
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        << "install fonts-noto-cjk so the Chinese captions render";
    std::filesystem::copy(std::filesystem::path(CORVANE_RESOURCES) / "samples", file("samples"),
                          std::filesystem::copy_options::recursive);
    MainWindow& w = startedFrame();
    // The delay editor asks to save its picked points when it is closed, at each size.
    dialogs_.answerMessage(MsgAnswer::No).answerMessage(MsgAnswer::No);
    const QString out = dir_.filePath("shots/nested");
    QString error;
    const QStringList files = writeScreenshots(w, out, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    for (const QString& size : {QStringLiteral("1280x960"), QStringLiteral("1024x700")}) {
        for (const char* name : {"FrmMain", "Form9", "Form14", "FrmMain_Form10",
                                 "FrmMain_DelayForm", "DelayForm", "script"}) {
            const QString path = QDir(out).filePath(size + "/" + name + ".png");
            EXPECT_TRUE(files.contains(path)) << path.toStdString();
            if (!files.contains(path)) continue;
            QImage image(path);
            ASSERT_FALSE(image.isNull()) << name;
            EXPECT_GT(image.width(), 200) << name;
            // The title bar is drawn with the caption in it: light text on the dark bar.
            int light = 0;
            for (int x = 0; x < image.width(); ++x)
                for (int y = 4; y < 22; ++y)
                    if (qGray(image.pixel(x, y)) > 200) ++light;
            EXPECT_GT(light, 20) << name;
        }
        const QImage frame(QDir(out).filePath(size + "/FrmMain.png"));
        EXPECT_EQ(QString("%1x%2").arg(frame.width() - 6).arg(frame.height() - 29), size);
    }
    // The cut window offering Resume, and its drawing with the resume point; no record is left.
    for (const char* name : {"Form10_resume", "Form10_resume_point"})
        EXPECT_TRUE(files.contains(QDir(out).filePath(QStringLiteral("1280x960/") + name + ".png")))
            << name;
    EXPECT_FALSE(std::filesystem::exists(file(".corvane-cut-record")));
    EXPECT_EQ(dialogs_.messageTexts(), (QStringList{"Save Delay Points? ", "Save Delay Points? "}));
    // Every window was closed the operator's way: the cut window gave the main toolbar back.
    EXPECT_TRUE(w.findChild<Toolbar*>("asxToolbar1")->isVisible());
    EXPECT_FALSE(w.windows().loaded("Form10")->isVisible());
    EXPECT_EQ(dialogs_.messages().size(), 2u) << "the demo set loads without a message";
}

}  // namespace
}  // namespace corvane
