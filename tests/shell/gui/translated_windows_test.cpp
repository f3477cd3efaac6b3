// Every window of the catalogue opens in both languages: with the program's own texts, and in
// English with no Chinese caption left and no button narrower than its English caption.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "platform/gui/placement.h"
#include "platform/gui/ui_language.h"
#include "shell/gui/help_file.h"
#include "shell_fixture.h"

namespace corvane {
namespace {

struct Caption {
    QString window;
    QString object;
    QString text;
    bool cutOff = false;
};

// The captions a window shows (title, labels, buttons, frames), visible ones only.
std::vector<Caption> captionsOf(const QString& name, QWidget& window) {
    std::vector<Caption> out{{name, QStringLiteral("(title)"), window.windowTitle()}};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window)) continue;
        const QString object = w->objectName().isEmpty()
                                   ? QString::fromLatin1(w->metaObject()->className())
                                   : w->objectName();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            // A label that gives up its width on purpose (Ignored) holds its whole text in a
            // tool tip; an empty one has nothing to cut.
            const bool cut = !label->wordWrap() && label->pixmap().isNull() &&
                             !label->text().isEmpty() &&
                             label->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored &&
                             label->width() + 2 < label->sizeHint().width();
            out.push_back({name, object, label->text(), cut});
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            // A button whose width its layout fixed below what its caption needs cuts it off.
            const bool cut = button->width() + 2 < button->sizeHint().width() &&
                             qobject_cast<QPushButton*>(w) != nullptr;
            out.push_back({name, object, button->text(), cut});
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            out.push_back({name, object, group->title()});
        }
    }
    return out;
}

class TranslatedWindows : public ShellTest, public ::testing::WithParamInterface<UiLanguage> {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        if (GetParam() == UiLanguage::English) {
            ASSERT_TRUE(translation_.load(QStringLiteral(CORVANE_TRANSLATIONS "/corvane_en.qm")));
            translation_.install();
        }
    }
    void TearDown() override {
        ShellTest::TearDown();
        translation_.uninstall();
    }
    WindowTranslation translation_;
};

TEST_P(TranslatedWindows, EveryWindowOpensWithItsCaptionsInTheLanguage) {
    MainWindow& w = startedFrame();
    w.resize(1024, 700);
    QApplication::processEvents();
    std::vector<Caption> captions = captionsOf(QStringLiteral("FrmMain"), w);
    int opened = 0;
    for (const QString& name : w.windows().names()) {
        QWidget* window = w.windows().show(name);
        QApplication::processEvents();
        dialogs_.takeUnscripted();
        if (window == nullptr || !window->isVisible()) continue;
        ++opened;
        window->grab();  // every caption paints once
        // A window grown for longer words still ends inside the main window's inner area; the
        // settings window and the troubleshooter take the screen's room instead.
        const bool screenRoom =
            name == QLatin1String("Form9") || name == QLatin1String("ppMonitor");
        if (const QWidget* inner = innerAreaOf(w); inner != nullptr && window->parentWidget()) {
            const QRect global(window->frameGeometry().topLeft(),
                               window->size().grownBy(frameMarginsOf(*window)));
            const QRect outer(inner->mapFromGlobal(global.topLeft()), global.size());
            EXPECT_TRUE(screenRoom ? screenRoomOf(w).contains(global)
                                   : QRect(QPoint(0, 0), inner->size()).contains(outer))
                << name.toStdString() << " runs past the room it may take";
        }
        for (const Caption& c : captionsOf(name, *window)) captions.push_back(c);
        if (name != QLatin1String("Form19") && name != QLatin1String("Form5")) window->close();
        QApplication::processEvents();
        dialogs_.takeUnscripted();
    }
    EXPECT_GE(opened, 12);
    for (QAction* a : w.menuBar()->actions()) captions.push_back({"FrmMain", "menu", a->text()});

    int chinese = 0;
    for (const Caption& c : captions) {
        if (hasChineseText(c.text)) ++chinese;
        if (GetParam() == UiLanguage::English) {
            EXPECT_FALSE(hasChineseText(c.text))
                << c.window.toStdString() << " " << c.object.toStdString() << ": "
                << c.text.toStdString();
            EXPECT_FALSE(c.cutOff) << c.window.toStdString() << " " << c.object.toStdString()
                                   << " cuts off \"" << c.text.toStdString() << "\"";
        }
    }
    // The program's own voice stays its default: the same windows speak Chinese without it.
    if (GetParam() == UiLanguage::Own) {
        EXPECT_GE(chinese, 40);
    }
}

TEST_P(TranslatedWindows, HelpTitlesInTheLanguageAndTheBodyAsItStands) {
    const auto book = loadHelp(QStringLiteral(CORVANE_RESOURCES "/corvane.hlp"));
    ASSERT_TRUE(book.has_value());
    const QString html = helpHtml(*book);
    EXPECT_TRUE(html.contains(QStringLiteral("Corvane drives a four-axis hot-wire foam cutter")));
    if (GetParam() == UiLanguage::English) {
        EXPECT_TRUE(html.contains(QStringLiteral("</a>Machine settings</h2>")));
        EXPECT_TRUE(html.contains(QStringLiteral("<h3>Contents</h3>")));
        EXPECT_FALSE(html.contains(QStringLiteral("设备设置 / Machine settings")));
    } else {
        EXPECT_TRUE(html.contains(QStringLiteral("</a>设备设置 / Machine settings</h2>")));
        EXPECT_TRUE(html.contains(QStringLiteral("<h3>Contents 目录</h3>")));
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslatedWindows,
                         ::testing::Values(UiLanguage::Own, UiLanguage::English),
                         [](const auto& instance) {
                             return instance.param == UiLanguage::English ? std::string("English")
                                                                          : std::string("Own");
                         });

}  // namespace
}  // namespace corvane
