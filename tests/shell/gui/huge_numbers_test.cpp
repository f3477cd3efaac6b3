// A huge number typed into any number field of the generation, setup and planform windows, then
// the window's own action: the program keeps running (no exception leaves a slot), and nothing the
// generator cannot take is stored for the next window.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>

#include "platform/gui/toolbar.h"
#include "shell_fixture.h"
#include "support/test_support.h"

namespace corvane {
namespace {

// Every visible, enabled text box of `window` but the profile paths gets `text`.
int fillNumberFields(QWidget& window, const QString& text) {
    int filled = 0;
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
        if (!box->isVisible() || !box->isEnabled() || box->isReadOnly()) continue;
        const QString name = box->objectName();
        if (name == QLatin1String("Text1") || name == QLatin1String("Text2")) {
            if (window.objectName() == QLatin1String("Form14") ||
                window.objectName() == QLatin1String("Form1"))
                continue;
        }
        box->setText(text);
        ++filled;
    }
    return filled;
}

void clickButton(QWidget& window, const char* name) {
    if (auto* b = window.findChild<QPushButton*>(QString::fromLatin1(name)); b && b->isEnabled())
        QTest::mouseClick(b, Qt::LeftButton);
}

TEST_F(ShellTest, HugeNumbersInEveryNumberFieldLeaveTheProgramRunning) {
    MainWindow& w = startedFrame();
    for (const char* name : {"root.dat", "tip.dat"})
        test::writeFile(file(name), "T\r\n1 0\r\n0 0.05\r\n0 -0.05\r\n1 0\r\n");
    for (const char* huge : {"1e300", "-1e300", "9e18", "1e-300"}) {
        SCOPED_TRACE(huge);
        int fields = 0;
        for (const char* form : {"Form14", "Form1"}) {
            QWidget* g = w.windows().show(QString::fromLatin1(form));
            ASSERT_NE(g, nullptr);
            g->findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(file("root.dat")));
            g->findChild<QLineEdit*>("Text2")->setText(QString::fromStdString(file("tip.dat")));
            fields += fillNumberFields(*g, QString::fromLatin1(huge));
            g->findChild<Toolbar*>("asxToolbar1")->click(1);  // Generate
            QApplication::processEvents();
            dialogs_.takeUnscripted();
        }
        QWidget* foam = w.windows().show("Form12");
        ASSERT_NE(foam, nullptr);
        fields += fillNumberFields(*foam, QString::fromLatin1(huge));
        clickButton(*foam, "Command2");
        dialogs_.takeUnscripted();

        QWidget* wing = w.windows().show("Form6");
        ASSERT_NE(wing, nullptr);
        fields += fillNumberFields(*wing, QString::fromLatin1(huge));
        clickButton(*wing, "Command1");
        clickButton(*wing, "Command2");
        dialogs_.takeUnscripted();
        // The planform windows, each with its Calculate.
        for (const char* open : {"Command6", "Command7", "Command8", "Command9"}) {
            const QList<QWidget*> before = w.findChildren<QWidget*>();
            wing = w.windows().show("Form6");
            clickButton(*wing, open);
            QApplication::processEvents();
            dialogs_.takeUnscripted();
            for (QWidget* planform : w.findChildren<QWidget*>()) {
                if (!planform->isWindow() || !planform->isVisible() ||
                    planform->findChild<Toolbar*>() == nullptr ||
                    planform->objectName().startsWith(QLatin1String("Form")))
                    continue;
                fields += fillNumberFields(*planform, QString::fromLatin1(huge));
                planform->findChild<Toolbar*>()->click(1);  // Calculate
                QApplication::processEvents();
                dialogs_.takeUnscripted();
                planform->close();
            }
        }
        EXPECT_GT(fields, 20);
        // Still running: the main menu's generate button opens the wing window as before.
        auto* generate = w.windows().show("Form5")->findChild<QPushButton*>("Command4");
        ASSERT_NE(generate, nullptr);
        QTest::mouseClick(generate, Qt::LeftButton);
        dialogs_.takeUnscripted();
        EXPECT_TRUE(w.windows().loaded("Form14")->isVisible());
        EXPECT_TRUE(std::isfinite(ws_->job.LeftTowerChord));
        EXPECT_LT(std::abs(ws_->job.LeftTowerChord), 1e9) << "stored for the next window";
    }
}

}  // namespace
}  // namespace corvane
