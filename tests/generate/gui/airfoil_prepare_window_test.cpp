// The airfoil preparation window from Form14's last toolbar button: both files prepared and
// measured, a file that cannot be read named with its reason, Save writing both files and
// putting them into Form14's path fields. With CORVANE_SCREENSHOT_DIR set (and the shared
// airfoils present) it also writes a picture of the window with Clark Y and AG455.
#include "generate/gui/airfoil_prepare_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <cmath>
#include <filesystem>

#include "generate/airfoil_input.h"
#include "generate/gui/wing_generation_window.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::clickToolbar;
using test::control;

std::string ellipse(int points, double thickness) {
    std::string out = "ELLIPSE\r\n";
    for (int k = 0; k < points; ++k) {
        const double t = 2.0 * M_PI * k / (points - 1);
        out += std::to_string(0.5 + 0.5 * std::cos(t)) + " " +
               std::to_string(thickness * std::sin(t)) + "\r\n";
    }
    return out;
}

TEST(AirfoilPrepareWindow, OpensFromForm14AndSavePutsBothFilesIntoItsFields) {
    test::TestMachine m;
    test::writeFile(m.dir / "root.dat", ellipse(41, 0.06));
    test::writeFile(m.dir / "tip.dat", ellipse(73, 0.04));
    ScriptedDialogs dialogs;
    WingGenerationWindow form14(m.ws, dialogs);
    control<QLineEdit>(form14, "Text1")
        ->setText(QString::fromStdString((m.dir / "root.dat").string()));
    control<QLineEdit>(form14, "Text2")
        ->setText(QString::fromStdString((m.dir / "tip.dat").string()));
    clickToolbar(form14, 8);
    auto* window = form14.findChild<AirfoilPrepareWindow*>("AirfoilPrepare");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    control<QLineEdit>(*window, "Text3")->setText("31");
    clickToolbar(*window, 1);
    for (const char* figures : {"Label3", "Label4"}) {
        const QString text = control<QLabel>(*window, figures)->text();
        EXPECT_TRUE(text.contains("Layout=one name line")) << text.toStdString();
        EXPECT_TRUE(text.contains("Prepared: 31 points, leading edge at point 16"));
    }

    const fs::path outRoot = m.dir / "r31.dat", outTip = m.dir / "t31.dat";
    dialogs.answerSaveFile(QString::fromStdString(outRoot.string()))
        .answerSaveFile(QString::fromStdString(outTip.string()));
    clickToolbar(*window, 2);
    ASSERT_EQ(dialogs.calls().size(), 2u);
    EXPECT_EQ(dialogs.calls()[0].request.fileName, "root_31.dat");
    EXPECT_EQ(control<QLineEdit>(form14, "Text1")->text().toStdString(), outRoot.string());
    EXPECT_EQ(control<QLineEdit>(form14, "Text2")->text().toStdString(), outTip.string());
    EXPECT_EQ(m.ws.job.rightAirfoilPath, outTip.string());
    const Profile r = readProfile(outRoot), t = readProfile(outTip);
    EXPECT_EQ(r.size(), 31u);
    EXPECT_EQ(t.size(), 31u);
    EXPECT_EQ(r.x[15], 0.0);
    EXPECT_EQ(t.x[15], 0.0);
    EXPECT_NE(test::readFile(outRoot).find("\r\n"), std::string::npos);

    // A file that cannot be read: its reason in its figures, Save says it and writes nothing.
    test::writeFile(m.dir / "bad.dat", "NAME\n1 0\n0.5 O.1\n0 0\n");
    control<QLineEdit>(*window, "Text2")
        ->setText(QString::fromStdString((m.dir / "bad.dat").string()));
    dialogs.answerMessage();
    clickToolbar(*window, 2);
    EXPECT_TRUE(control<QLabel>(*window, "Label4")->text().contains("on line 3 is not a number"));
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].contains("bad.dat"));
    EXPECT_EQ(control<QLineEdit>(form14, "Text2")->text().toStdString(), outTip.string());
    clickToolbar(*window, 4);
    EXPECT_FALSE(window->isVisible());
}

TEST(AirfoilPrepareWindow, ScreenshotWithClarkYAndAg455) {
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    const fs::path shared = CORVANE_SHARED_AIRFOILS;
    if (dir.isEmpty() || !fs::exists(shared / "ag455.dat"))
        GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR (and keep the shared airfoils) for the picture";
    QDir().mkpath(dir);
    ScriptedDialogs dialogs;
    AirfoilPrepareWindow window(dialogs);
    window.setFiles(QString::fromStdString((shared / "clarky.dat").string()),
                    QString::fromStdString((shared / "ag455.dat").string()));
    window.resize(1200, 700);
    window.show();
    EXPECT_TRUE(window.grab().save(dir + "/airfoil_prepare.png"));
}

}  // namespace
}  // namespace corvane
