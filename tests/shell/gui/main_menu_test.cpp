// Form5 and frmAbout: every button opens its window (or nothing when it is not built), the
// generators get the tower chords, loading the menu resets both speeds, the web buttons go out.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "build_version.h"
#include "shell/gui/about_window.h"
#include "shell/gui/main_menu_window.h"
#include "shell_fixture.h"

namespace corvane {
namespace {

QPushButton* button(QWidget* window, const char* name) {
    auto* b = window->findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
}

TEST_F(ShellTest, MainMenuButtonsCarryTheirCaptions) {
    MainWindow& w = startedFrame();
    QWidget* menu = w.windows().loaded("Form5");
    ASSERT_NE(menu, nullptr);
    const std::pair<const char*, const char*> captions[] = {
        {"Command1", "设备设置"},  {"Command2", "单轴控制"}, {"Command10", "两轴同控"},
        {"Command13", "手动控制"}, {"Command3", "参数"},     {"Command4", "生成切割文件"},
        {"Command8", "开始切割"},  {"Command5", "参数"},     {"Command6", "生成切割文件"},
        {"Command7", "开始切割"},  {"Command9", "在线支持"}, {"Command12", "主页"}};
    for (const auto& [name, caption] : captions)
        if (QPushButton* b = button(menu, name)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(caption));
        }
}

TEST_F(ShellTest, MainMenuOpensExistingWindowsAndIgnoresMissingOnes) {
    MainWindow& w = startedFrame();
    QWidget* menu = w.windows().loaded("Form5");
    QTest::mouseClick(button(menu, "Command1"), Qt::LeftButton);
    ASSERT_NE(w.windows().loaded("Form9"), nullptr);
    EXPECT_TRUE(w.windows().loaded("Form9")->isVisible());

    // Buttons whose windows are not part of this build do nothing, and say nothing.
    for (const char* name : {"Command2", "Command10", "Command13", "Command3", "Command8",
                             "Command5", "Command6", "Command7"}) {
        const QString target = MainMenuWindow::windowOfButton(QString::fromLatin1(name));
        QTest::mouseClick(button(menu, name), Qt::LeftButton);
        if (!w.windows().has(target)) {
            EXPECT_EQ(w.windows().loaded(target), nullptr) << name;
        }
    }
    EXPECT_TRUE(dialogs_.calls().empty());

    // The web buttons go where the Help menu's links go: configured pages, else the help.
    w.homePageUrl = QUrl("https://home.test/");
    w.supportPageUrl = QUrl("https://home.test/help/support.htm");
    QTest::mouseClick(button(menu, "Command12"), Qt::LeftButton);
    QTest::mouseClick(button(menu, "Command9"), Qt::LeftButton);
    EXPECT_EQ(urls_, (QStringList{"https://home.test/", "https://home.test/help/support.htm"}));
    w.supportPageUrl = QUrl();
    QTest::mouseClick(button(menu, "Command9"), Qt::LeftButton);
    EXPECT_EQ(urls_.size(), 2);
    ASSERT_NE(w.windows().loaded("HelpWindow"), nullptr);
    EXPECT_TRUE(w.windows().loaded("HelpWindow")->isVisible());
}

TEST_F(ShellTest, GenerationWindowGetsTheTowerChordsFromTheSetup) {
    MainWindow& w = startedFrame();
    if (!w.windows().has("Form14")) GTEST_SKIP() << "Form14 is not part of this build";
    ws_->job.LeftTowerChord = 123.45;
    ws_->job.RightTowerChord = 98.7654;
    QTest::mouseClick(button(w.windows().loaded("Form5"), "Command4"), Qt::LeftButton);
    QWidget* form14 = w.windows().loaded("Form14");
    ASSERT_NE(form14, nullptr);
    EXPECT_TRUE(form14->isVisible());
    EXPECT_EQ(form14->findChild<QLineEdit*>("Text6")->text(), "123.45");
    EXPECT_EQ(form14->findChild<QLineEdit*>("Text7")->text(), "98.7654");
}

// The foam section: Form12's confirmed sizes go into Form1 when it opens; Form11 opens too.
TEST_F(ShellTest, FoamButtonsOpenSetupGenerationAndRunnerWithTheSizes) {
    MainWindow& w = startedFrame();
    if (!w.windows().has("Form12")) GTEST_SKIP() << "the foam windows are not part of this build";
    QWidget* menu = w.windows().loaded("Form5");
    QTest::mouseClick(button(menu, "Command5"), Qt::LeftButton);
    QWidget* form12 = w.windows().loaded("Form12");
    ASSERT_NE(form12, nullptr);
    EXPECT_TRUE(form12->isVisible());
    form12->findChild<QLineEdit*>("Text10")->setText("2");
    form12->findChild<QLineEdit*>("Text2")->setText("130.5");
    form12->findChild<QLineEdit*>("Text3")->setText("95");
    QTest::mouseClick(button(form12, "Command2"), Qt::LeftButton);
    EXPECT_FALSE(form12->isVisible());

    QTest::mouseClick(button(menu, "Command6"), Qt::LeftButton);
    QWidget* form1 = w.windows().loaded("Form1");
    ASSERT_NE(form1, nullptr);
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->findChild<QLineEdit*>("Text6")->text(), "130.5");
    EXPECT_EQ(form1->findChild<QLineEdit*>("Text7")->text(), "95");

    dialogs_.answerMessage();  // the empty application folder holds no set to draw
    QTest::mouseClick(button(menu, "Command7"), Qt::LeftButton);
    QWidget* form11 = w.windows().loaded("Form11");
    ASSERT_NE(form11, nullptr);
    EXPECT_EQ(form11->windowTitle(), "泡沫切割 - 进度信息");
}

TEST_F(ShellTest, LoadingTheMainMenuSetsBothSpeedsToOneAndClosingUnloadsIt) {
    MainWindow& w = startedFrame();
    EXPECT_EQ(ws_->motion.JogSpeed, Fixed4::fromInt(1));
    ws_->motion.JogSpeed = Fixed4::fromInt(7);
    ws_->motion.CutSpeed = Fixed4::fromInt(3);
    trigger("OpenMainMenu");  // still loaded: nothing changes
    EXPECT_EQ(ws_->motion.JogSpeed, Fixed4::fromInt(7));

    w.windows().loaded("Form5")->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.windows().loaded("Form5"), nullptr);
    EXPECT_TRUE(w.isVisible());  // closing the main menu only unloads it
    trigger("OpenMainMenu");
    ASSERT_NE(w.windows().loaded("Form5"), nullptr);
    EXPECT_TRUE(w.windows().loaded("Form5")->isVisible());
    EXPECT_EQ(ws_->motion.JogSpeed, Fixed4::fromInt(1));
    EXPECT_EQ(ws_->motion.CutSpeed, Fixed4::fromInt(1));
}

TEST_F(ShellTest, MainMenuSitsTenTwipsInsideTheFrame) {
    MainWindow& w = startedFrame();
    QWidget* menu = w.windows().loaded("Form5");
    menu->move(400, 300);
    w.windows().show("Form5");
    const QWidget* inner = w.centralWidget();
    const QPoint offset = menu->pos() - inner->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(offset, QPoint(qRound(10 * inner->logicalDpiX() / 1440.0),
                             qRound(10 * inner->logicalDpiY() / 1440.0)));
}

TEST_F(ShellTest, AboutBoxShowsTitleVersionAndSaysWhenNoSystemInformationToolExists) {
    MainWindow& w = startedFrame();
    trigger("OpenAbout");
    auto* about = qobject_cast<AboutWindow*>(w.windows().loaded("frmAbout"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "关于    Corvane");
    EXPECT_EQ(about->findChild<QLabel*>("lblTitle")->text(), "Corvane");
    // One version, the build's (not a second, made-up one beside it).
    EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version " CORVANE_BUILD_VERSION);
    int versions = 0;
    for (const QLabel* label : about->findChildren<QLabel*>())
        versions += label->text().contains(QRegularExpression("\\d+\\.\\d+\\.\\d+"));
    EXPECT_EQ(versions, 1);
    EXPECT_EQ(about->findChild<QPushButton*>("cmdSysInfo")->text(), "&System Info...");

    about->locateTool = [] { return QString(); };
    dialogs_.answerMessage();
    QTest::mouseClick(about->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(dialogs_.messageTexts(),
              QStringList{"System Information Is Unavailable At This Time"});

    QStringList started;
    about->locateTool = [] { return QStringLiteral("/usr/bin/hardinfo"); };
    about->startTool = [&](const QString& p) {
        started << p;
        return true;
    };
    QTest::mouseClick(about->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(started, QStringList{"/usr/bin/hardinfo"});
    EXPECT_EQ(dialogs_.messages().size(), 1u);

    // Over the main window: centred in its inner area.
    const QWidget* inner = w.centralWidget();
    const QRect area(inner->mapToGlobal(QPoint(0, 0)), inner->size());
    EXPECT_TRUE(area.contains(about->frameGeometry())) << about->frameGeometry().x();
    EXPECT_LE(std::abs(about->frameGeometry().center().x() - area.center().x()), 1);

    QTest::mouseClick(about->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(about->isVisible());
}

}  // namespace
}  // namespace corvane
