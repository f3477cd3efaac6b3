// corvane --screenshot: the pictures of the main window and its first windows are written, with
// the captions drawn, and a font for the Chinese captions is installed.
#include "shell/gui/screenshots.h"

#include <QDir>
#include <QFontDatabase>
#include <QImage>

#include "shell_fixture.h"

namespace corvane {
namespace {

TEST_F(ShellTest, ScreenshotsOfTheMainWindowAndItsWindowsAreWritten) {
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        << "install fonts-noto-cjk so the Chinese captions render";
    MainWindow& w = startedFrame();
    // The cut window says the fresh folder has no cut file yet.
    if (w.windows().has("Form10")) dialogs_.answerMessage();
    const QString out = dir_.filePath("shots");
    QString error;
    const QStringList files = writeScreenshots(w, out, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    for (const char* name : {"FrmMain", "Form5", "Form9", "Form14", "script"}) {
        const QString path = QDir(out).filePath(QString::fromLatin1(name) + ".png");
        EXPECT_TRUE(files.contains(path)) << name;
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
    if (w.windows().has("Form10")) {
        ASSERT_EQ(dialogs_.messages().size(), 1u);
        EXPECT_TRUE(dialogs_.messages()[0].text.endsWith("Module 10, FA"));
    }
    const QImage frame(QDir(out).filePath("FrmMain.png"));
    EXPECT_GE(frame.width(), w.width());
    EXPECT_GE(frame.height(), w.height());
}

}  // namespace
}  // namespace corvane
