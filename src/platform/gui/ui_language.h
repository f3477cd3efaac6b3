// The windows' language: the program's own texts (the default) or a translation loaded from a
// Qt .qm file, chosen from --lang or the user's locale as a Linux desktop program chooses.
// The texts stay in the code as they are; one central pass puts what a window shows through
// the translator (an application-wide event filter), so no window needs to know about it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <optional>

class QAction;
class QWidget;

namespace corvane {

enum class UiLanguage { Own, English };

// The context every text of the table lives in (translations/corvane_en.ts).
inline constexpr const char* kTextContext = "corvane";

// --lang: "zh" (the program's own texts) or "en"; nullopt for anything else.
[[nodiscard]] std::optional<UiLanguage> parseLanguageOption(const QString& value);
// The first locale name (QLocale::uiLanguages order: LANGUAGE, then LC_ALL, LC_MESSAGES, LANG)
// that is English or Chinese decides; C/POSIX and none keep the program's own texts.
UiLanguage languageFromLocale(const QStringList& uiLanguages);
// --lang when given, else the system locale.
UiLanguage chooseLanguage(const std::optional<QString>& option);
// The .qm file of a language in a folder of shipped files: <resources>/translations/corvane_en.qm;
// empty for the program's own texts.
QString translationFile(const QString& resourcesDir, UiLanguage language);

// A loaded translation and the pass that applies it to every window.
class WindowTranslation : public QObject {
    Q_OBJECT
public:
    explicit WindowTranslation(QObject* parent = nullptr);
    ~WindowTranslation() override;

    // False (nothing changes) when the file cannot be read.
    [[nodiscard]] bool load(const QString& qmFile);
    // Installs the translator and the event filter on the application; the active translation
    // is the one translatedText() uses. Uninstalled by the destructor.
    void install();
    void uninstall();

    // The text in the translation: the whole text, else the text with its number runs as
    // %1, %2... and the numbers put back, else line by line, else its Chinese phrases one by one;
    // unchanged when nothing is known.
    QString translate(const QString& text) const;
    // Puts a widget's (and its children's) shown texts through translate().
    void translateTree(QWidget* root) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString lookUp(const QString& text) const;
    QString withNumbers(const QString& text) const;
    QString phraseByPhrase(const QString& text) const;
    void translateWidget(QWidget* widget) const;
    void translateAction(QAction* action) const;
    void fitToTexts(QWidget* window) const;

    QTranslator translator_;
    bool loaded_ = false;
    bool installed_ = false;
};

// The installed translation's text (unchanged when none is installed): for texts a window hands
// to Qt outside the widgets (message boxes, file dialogs).
QString translatedText(const QString& text);
// True when a character of the text is Chinese (CJK ideographs or punctuation).
bool hasChineseText(const QString& text);

}  // namespace corvane
