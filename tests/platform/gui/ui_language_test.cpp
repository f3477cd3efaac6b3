// The windows' language: how it is chosen, how a text is looked up, that the table is complete
// and finished, and that the central pass translates captions (not typed data) before they show.
#include "platform/gui/ui_language.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>
#include <QXmlStreamReader>

#include "platform/gui/qt_dialogs.h"
#include "platform/gui/toolbar.h"

namespace corvane {
namespace {

const QString kQm = QStringLiteral(CORVANE_TRANSLATIONS "/corvane_en.qm");
const QString kTs = QStringLiteral(CORVANE_SOURCE_DIR "/translations/corvane_en.ts");

TEST(UiLanguageChoice, OptionAndLocaleNamesDecideAsALinuxProgramDoes) {
    EXPECT_EQ(parseLanguageOption("en"), UiLanguage::English);
    EXPECT_EQ(parseLanguageOption("EN_us"), UiLanguage::English);
    EXPECT_EQ(parseLanguageOption("zh"), UiLanguage::Own);
    EXPECT_EQ(parseLanguageOption("zh_CN"), UiLanguage::Own);
    EXPECT_FALSE(parseLanguageOption("de").has_value());
    EXPECT_FALSE(parseLanguageOption("").has_value());

    struct Case {
        QStringList names;
        UiLanguage expected;
    };
    const Case cases[] = {
        {{"en-GB", "en"}, UiLanguage::English},
        {{"en_US.UTF-8"}, UiLanguage::English},
        {{"zh-CN", "en-US"}, UiLanguage::Own},
        {{"zh_TW"}, UiLanguage::Own},
        {{"C"}, UiLanguage::Own},
        {{"POSIX"}, UiLanguage::Own},
        {{"C.UTF-8"}, UiLanguage::Own},
        {{"de-DE", "en-GB"}, UiLanguage::English},  // LANGUAGE=de:en: the first one we have
        {{"de-DE", "fr"}, UiLanguage::Own},
        {{}, UiLanguage::Own},
    };
    for (const Case& c : cases)
        EXPECT_EQ(languageFromLocale(c.names), c.expected) << c.names.join(':').toStdString();
}

TEST(UiLanguageChoice, CLocaleKeepsOwnTextsWhateverLanguageSaysAndTheOptionOverrides) {
    const QByteArray saved[4] = {qgetenv("LANGUAGE"), qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"),
                                 qgetenv("LANG")};
    qputenv("LANGUAGE", "en_GB:en");
    qputenv("LC_ALL", "C");
    EXPECT_EQ(chooseLanguage(std::nullopt), UiLanguage::Own);
    qunsetenv("LC_ALL");
    qputenv("LC_MESSAGES", "POSIX");
    EXPECT_EQ(chooseLanguage(std::nullopt), UiLanguage::Own);
    qunsetenv("LC_MESSAGES");
    qunsetenv("LANG");
    EXPECT_EQ(chooseLanguage(std::nullopt), UiLanguage::Own);
    EXPECT_EQ(chooseLanguage(QStringLiteral("en")), UiLanguage::English);
    qputenv("LANG", "en_GB.UTF-8");
    EXPECT_EQ(chooseLanguage(QStringLiteral("zh")), UiLanguage::Own);
    const char* names[4] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 4; ++i) {
        if (saved[i].isNull())
            qunsetenv(names[i]);
        else
            qputenv(names[i], saved[i]);
    }
    EXPECT_EQ(translationFile("/r", UiLanguage::English), "/r/translations/corvane_en.qm");
    EXPECT_TRUE(translationFile("/r", UiLanguage::Own).isEmpty());
}

class Translated : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(translation_.load(kQm)) << kQm.toStdString(); }
    WindowTranslation translation_;
};

TEST_F(Translated, WholeTextsNumbersLinesAndPhrases) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"设备设置", "Device Settings"},
        {"停止", "Stop"},
        {"X2反向", "Reverse X2"},
        {"切割暂停\n点击确定继续", "Cut paused\nClick OK to continue"},
        // Number runs as %1 and back.
        {"端口 Port: controller 7 — LIVE", "Port: controller 7 — LIVE"},
        {"Corvane 3.0 - 公制版", "Corvane 3.0 - Metric Edition"},
        // Line by line: a known line and a line already in English.
        {"开始切割\r\nPress OK", "Begin Cut\r\nPress OK"},
        // Phrase by phrase inside an English sentence; a bilingual caption says its word once.
        {"no port address is set in 设备设置 (端口地址)",
         "no port address is set in Device Settings (Port Address)"},
        {"端口 Port: ppdev /dev/parport0 (dry run)", "Port: ppdev /dev/parport0 (dry run)"},
        {"<h3>Contents 目录</h3>", "<h3>Contents</h3>"},
        {"关于    Corvane", "About    Corvane"},
        // Texts the table does not know, English, data: as they stand.
        {"Begin Cut", "Begin Cut"},
        {"12.5", "12.5"},
        {"未知的文字", "未知的文字"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(translation_.translate(QString::fromUtf8(c.text)).toStdString(), c.expected)
            << c.text;
}

TEST_F(Translated, NothingChangesUntilInstalledAndAfterUninstall) {
    EXPECT_EQ(translatedText(QStringLiteral("停止")), QStringLiteral("停止"));
    translation_.install();
    EXPECT_EQ(translatedText(QStringLiteral("停止")), QStringLiteral("Stop"));
    translation_.uninstall();
    EXPECT_EQ(translatedText(QStringLiteral("停止")), QStringLiteral("停止"));
    WindowTranslation missing;
    EXPECT_FALSE(missing.load(QStringLiteral("/nonexistent/corvane_en.qm")));
    EXPECT_EQ(missing.translate(QStringLiteral("停止")), QStringLiteral("停止"));
}

// Every source text has a finished, non-empty English translation without Chinese, with the
// same %N marks; and the extract of the code finds no text the table lacks.
TEST(TranslationTable, EveryTextIsTranslatedAndTheCodeHasNoTextTheTableLacks) {
    QFile file(kTs);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << kTs.toStdString();
    QXmlStreamReader xml(&file);
    int messages = 0;
    QString source;
    static const QRegularExpression marks(QStringLiteral("%\\d+"));
    auto markList = [](const QString& text) {
        QStringList out;
        for (auto it = marks.globalMatch(text); it.hasNext();) out << it.next().captured();
        out.sort();
        return out;
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value("type").toString();
            const QString text = xml.readElementText();
            ++messages;
            EXPECT_TRUE(type.isEmpty()) << source.toStdString() << ": " << type.toStdString();
            EXPECT_FALSE(text.trimmed().isEmpty()) << source.toStdString();
            EXPECT_FALSE(hasChineseText(text)) << source.toStdString();
            EXPECT_EQ(markList(source), markList(text)) << source.toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GE(messages, 100);

    QProcess extract;
    extract.start(QStringLiteral("python3"),
                  {QStringLiteral(CORVANE_SOURCE_DIR "/scripts/extract-texts"),
                   QStringLiteral("--check"), kTs});
    ASSERT_TRUE(extract.waitForFinished(60000));
    EXPECT_EQ(extract.exitCode(), 0) << "texts missing from the table:\n"
                                     << extract.readAllStandardOutput().toStdString();
}

// A window built with the program's texts and sized in its constructor, as the windows are.
class SampleWindow : public QWidget {
public:
    SampleWindow() : QWidget(nullptr, Qt::Window) {
        setWindowTitle(QStringLiteral("设备设置"));
        auto* layout = new QVBoxLayout(this);
        label = new QLabel(QStringLiteral("选择左侧机翼切割形状DAT数据文件"), this);
        button = new QPushButton(QStringLiteral("生成切割文件"), this);
        group = new QGroupBox(QStringLiteral("引导切割选项"), this);
        edit = new QLineEdit(QStringLiteral("停止"), this);
        toolbar = new Toolbar(this);
        toolbar->setButtons({ToolbarButton{QStringLiteral("电热丝断电"), {}, {}, {}}});
        layout->addWidget(toolbar);
        layout->addWidget(label);
        layout->addWidget(button);
        layout->addWidget(group);
        layout->addWidget(edit);
        adjustSize();
    }
    QLabel* label;
    QPushButton* button;
    QGroupBox* group;
    QLineEdit* edit;
    Toolbar* toolbar;
};

TEST_F(Translated, WindowsShowCaptionsInEnglishSizedForThemAndKeepTheirData) {
    translation_.install();
    SampleWindow w;
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Device Settings"));
    EXPECT_EQ(w.label->text(), QStringLiteral("Choose the DAT file of the left wing profile"));
    EXPECT_EQ(w.button->text(), QStringLiteral("Generate Cut Files"));
    EXPECT_EQ(w.group->title(), QStringLiteral("Lead-In Options"));
    // Sized for the English words, not for the texts the constructor measured.
    EXPECT_GE(w.button->width(), w.button->sizeHint().width());
    EXPECT_GE(w.label->width(), w.label->sizeHint().width());
    // What the operator types stays as it is.
    EXPECT_EQ(w.edit->text(), QStringLiteral("停止"));
    // The toolbar's button shows English; the window still reads the caption it set.
    EXPECT_EQ(w.toolbar->buttonCaption(1), QStringLiteral("电热丝断电"));
    w.toolbar->setButtonCaption(1, QStringLiteral("电热丝通电"));
    w.grab();  // paints
    EXPECT_EQ(w.toolbar->buttonCaption(1), QStringLiteral("电热丝通电"));
    bool shown = false;
    for (QWidget* child : w.toolbar->findChildren<QWidget*>()) {
        if (auto* b = qobject_cast<QAbstractButton*>(child))
            shown = shown || b->text() == QStringLiteral("Hot Wire ON");
    }
    EXPECT_TRUE(shown);
    // Texts set later are translated before they paint.
    w.label->setText(QStringLiteral("起点位置尚未设置"));
    w.grab();
    EXPECT_EQ(w.label->text(), QStringLiteral("The home position is not set yet"));
    w.setWindowTitle(QStringLiteral("手动控制"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Manual Control"));
}

TEST_F(Translated, MenusTranslateTheirTitlesAndItems) {
    translation_.install();
    QWidget window(nullptr, Qt::Window);
    auto* bar = new QMenuBar(&window);
    QMenu* menu = bar->addMenu(QStringLiteral("起点控制"));
    QAction* item = menu->addAction(QStringLiteral("返回起点坐标"));
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(menu->menuAction()->text(), QStringLiteral("Home Control"));
    EXPECT_EQ(item->text(), QStringLiteral("Return to Home"));
    QAction* later = menu->addAction(QStringLiteral("打印"));
    EXPECT_EQ(later->text(), QStringLiteral("Print"));
}

// The message box of the real dialogs shows its text and title in the language; the answer is
// the same.
TEST_F(Translated, MessageBoxesShowTheirTextsInTheLanguage) {
    translation_.install();
    QtDialogs dialogs;
    QString text, title;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            title = box->windowTitle();
            box->button(QMessageBox::Yes)->click();
        }
    });
    const MsgAnswer answer = dialogs.message(QStringLiteral("切割暂停\r点击确定继续"),
                                             QStringLiteral("Corvane 帮助"), MsgButtons::YesNo);
    EXPECT_EQ(answer, MsgAnswer::Yes);
    EXPECT_EQ(text, QStringLiteral("Cut paused\nClick OK to continue"));
    EXPECT_EQ(title, QStringLiteral("Corvane Help"));
}

TEST(UntranslatedWindows, KeepTheProgramsOwnTexts) {
    SampleWindow w;
    w.show();
    QApplication::processEvents();
    w.grab();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("设备设置"));
    EXPECT_EQ(w.button->text(), QStringLiteral("生成切割文件"));
    EXPECT_EQ(w.group->title(), QStringLiteral("引导切割选项"));
}

}  // namespace
}  // namespace corvane
