// The windows' language and the pass that translates what they show.
#include "platform/gui/ui_language.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QWidget>
#include <algorithm>

namespace corvane {

namespace {

WindowTranslation* gActive = nullptr;

bool isChinese(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) ||
           (u >= 0xFF00 && u <= 0xFFEF);
}

bool hasLetter(const QString& text) {
    for (QChar c : text)
        if (c.isLetter()) return true;
    return false;
}

// Full-width punctuation in the ASCII a translated sentence uses.
QString asciiPunctuation(QChar c) {
    switch (c.unicode()) {
        case u'，':
        case u'、':
            return QStringLiteral(", ");
        case u'。':
            return QStringLiteral(". ");
        case u'：':
            return QStringLiteral(": ");
        case u'；':
            return QStringLiteral("; ");
        case u'（':
            return QStringLiteral(" (");
        case u'）':
            return QStringLiteral(")");
        case u'！':
            return QStringLiteral("!");
        case u'？':
            return QStringLiteral("?");
        default:
            return QString(c);
    }
}

}  // namespace

std::optional<UiLanguage> parseLanguageOption(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("zh") || v.startsWith(QLatin1String("zh_")) ||
        v.startsWith(QLatin1String("zh-")))
        return UiLanguage::Own;
    if (v == QLatin1String("en") || v.startsWith(QLatin1String("en_")) ||
        v.startsWith(QLatin1String("en-")))
        return UiLanguage::English;
    return std::nullopt;
}

UiLanguage languageFromLocale(const QStringList& uiLanguages) {
    for (const QString& name : uiLanguages) {
        const QString n = name.trimmed().toLower();
        if (n == QLatin1String("c") || n == QLatin1String("posix") ||
            n.startsWith(QLatin1String("c.")))
            return UiLanguage::Own;
        if (n == QLatin1String("zh") || n.startsWith(QLatin1String("zh_")) ||
            n.startsWith(QLatin1String("zh-")))
            return UiLanguage::Own;
        if (n == QLatin1String("en") || n.startsWith(QLatin1String("en_")) ||
            n.startsWith(QLatin1String("en-")))
            return UiLanguage::English;
    }
    return UiLanguage::Own;
}

UiLanguage chooseLanguage(const std::optional<QString>& option) {
    if (option) {
        if (const auto chosen = parseLanguageOption(*option)) return *chosen;
    }
    // As gettext does, the C locale keeps the program's texts whatever LANGUAGE lists.
    QString messages;
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        messages = QString::fromLocal8Bit(qgetenv(var));
        if (!messages.isEmpty()) break;
    }
    if (messages.isEmpty() || messages == QLatin1String("C") ||
        messages == QLatin1String("POSIX") || messages.startsWith(QLatin1String("C.")))
        return UiLanguage::Own;
    return languageFromLocale(QLocale::system().uiLanguages());
}

QString translationFile(const QString& resourcesDir, UiLanguage language) {
    if (language == UiLanguage::Own) return QString();
    return resourcesDir + QStringLiteral("/translations/corvane_en.qm");
}

bool hasChineseText(const QString& text) {
    for (QChar c : text)
        if (isChinese(c)) return true;
    return false;
}

WindowTranslation::WindowTranslation(QObject* parent) : QObject(parent) {}

WindowTranslation::~WindowTranslation() {
    uninstall();
}

bool WindowTranslation::load(const QString& qmFile) {
    loaded_ = translator_.load(qmFile);
    return loaded_;
}

void WindowTranslation::install() {
    if (installed_ || !loaded_) return;
    QCoreApplication::installTranslator(&translator_);
    qApp->installEventFilter(this);
    installed_ = true;
    gActive = this;
    for (QWidget* w : QApplication::topLevelWidgets()) translateTree(w);
}

void WindowTranslation::uninstall() {
    if (!installed_) return;
    qApp->removeEventFilter(this);
    QCoreApplication::removeTranslator(&translator_);
    installed_ = false;
    if (gActive == this) gActive = nullptr;
}

QString WindowTranslation::lookUp(const QString& text) const {
    if (!loaded_ || text.isEmpty()) return QString();
    const QString t = translator_.translate(kTextContext, text.toUtf8().constData());
    return t.isEmpty() ? QString() : t;
}

QString WindowTranslation::withNumbers(const QString& text) const {
    static const QRegularExpression number(QStringLiteral("\\d+(?:\\.\\d+)?"));
    QStringList numbers;
    QString pattern;
    qsizetype from = 0;
    for (auto it = number.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        pattern += text.mid(from, m.capturedStart() - from);
        numbers << m.captured();
        pattern += QLatin1Char('%') + QString::number(numbers.size());
        from = m.capturedEnd();
    }
    if (numbers.isEmpty()) return QString();
    pattern += text.mid(from);
    QString found = lookUp(pattern);
    if (found.isEmpty()) return QString();
    // The highest marks first, so %1 never eats the start of %10.
    for (qsizetype i = numbers.size(); i >= 1; --i)
        found.replace(QLatin1Char('%') + QString::number(i), numbers[i - 1]);
    return found;
}

QString WindowTranslation::phraseByPhrase(const QString& text) const {
    QString out;
    bool changed = false;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!isChinese(text[i])) {
            out += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isChinese(text[end])) ++end;
        const QString run = text.mid(i, end - i);
        QString t = lookUp(run);
        if (t.isEmpty()) {
            // The phrase without the punctuation round it, the punctuation in ASCII.
            qsizetype a = 0, b = run.size();
            while (a < b && run[a].unicode() >= 0x3000 && run[a].unicode() <= 0x303F) ++a;
            while (b > a && (run[b - 1].unicode() < 0x4E00 || run[b - 1].unicode() > 0x9FFF)) --b;
            const QString core = run.mid(a, b - a);
            const QString inner = core.isEmpty() ? QString() : lookUp(core);
            if (!inner.isEmpty()) {
                t.clear();
                for (qsizetype k = 0; k < a; ++k) t += asciiPunctuation(run[k]);
                t += inner;
                for (qsizetype k = b; k < run.size(); ++k) t += asciiPunctuation(run[k]);
            }
        }
        if (t.isEmpty()) {
            out += run;
        } else {
            changed = true;
            // Bilingual texts ("端口 Port", "Contents 目录") say the word once.
            const QString after = text.mid(end);
            if (after.startsWith(QLatin1Char(' ') + t, Qt::CaseInsensitive)) {
                ++end;  // the blank; the English word follows as it stands
            } else if (out.endsWith(t + QLatin1Char(' '), Qt::CaseInsensitive)) {
                out.chop(1);
            } else {
                out += t;
            }
        }
        i = end;
    }
    return changed ? out : QString();
}

QString WindowTranslation::translate(const QString& text) const {
    if (!loaded_ || !hasLetter(text)) return text;
    QString t = lookUp(text);
    if (!t.isEmpty()) return t;
    t = withNumbers(text);
    if (!t.isEmpty()) return t;
    // Line by line, keeping the line breaks as they are.
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    if (text.contains(breaks)) {
        QString out;
        bool changed = false;
        qsizetype from = 0;
        auto addLine = [&](const QString& line) {
            const QString tl = translate(line);
            changed = changed || tl != line;
            out += tl;
        };
        for (auto it = breaks.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            addLine(text.mid(from, m.capturedStart() - from));
            out += m.captured();
            from = m.capturedEnd();
        }
        addLine(text.mid(from));
        if (changed) return out;
        return text;
    }
    if (!hasChineseText(text)) return text;
    t = phraseByPhrase(text);
    return t.isEmpty() ? text : t;
}

void WindowTranslation::translateAction(QAction* action) const {
    if (action == nullptr || action->isSeparator()) return;
    const QString text = action->text();
    const QString t = translate(text);
    if (t != text) action->setText(t);
    const QString tip = action->toolTip();
    const QString tt = translate(tip);
    if (tt != tip) action->setToolTip(tt);
}

void WindowTranslation::translateWidget(QWidget* w) const {
    // Boxes the operator types into and lists of data never change: only captions do.
    if (auto* label = qobject_cast<QLabel*>(w)) {
        const QString t = translate(label->text());
        if (t != label->text()) label->setText(t);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const QString t = translate(button->text());
        if (t != button->text()) button->setText(t);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        const QString t = translate(group->title());
        if (t != group->title()) group->setTitle(t);
    } else if (auto* menu = qobject_cast<QMenu*>(w)) {
        const QString t = translate(menu->title());
        if (t != menu->title()) menu->setTitle(t);
        for (QAction* a : menu->actions()) translateAction(a);
    } else if (auto* bar = qobject_cast<QMenuBar*>(w)) {
        for (QAction* a : bar->actions()) translateAction(a);
    }
    if (w->isWindow()) {
        const QString t = translate(w->windowTitle());
        if (t != w->windowTitle()) w->setWindowTitle(t);
    }
    if (!w->toolTip().isEmpty()) {
        const QString t = translate(w->toolTip());
        if (t != w->toolTip()) w->setToolTip(t);
    }
}

void WindowTranslation::translateTree(QWidget* root) const {
    if (root == nullptr || !loaded_) return;
    translateWidget(root);
    for (QWidget* child : root->findChildren<QWidget*>()) translateWidget(child);
}

void WindowTranslation::fitToTexts(QWidget* window) const {
    // Texts changed while a window was being built leave its layouts' cached sizes behind:
    // measure again, then give the window the room its longer words ask for where its parent
    // has it (a window that scrolls its body keeps its size).
    for (QLayout* l : window->findChildren<QLayout*>()) l->invalidate();
    if (window->layout() == nullptr) return;
    window->layout()->activate();
    QSize wanted = window->size().expandedTo(window->sizeHint());
    if (const QWidget* parent = window->parentWidget(); parent != nullptr && !window->isModal()) {
        const QPoint at = window->geometry().topLeft();
        wanted = wanted.boundedTo(
            QSize(parent->width() - std::max(0, at.x()), parent->height() - std::max(0, at.y())));
    }
    wanted = wanted.expandedTo(window->size());
    if (wanted != window->size()) window->resize(wanted);
}

bool WindowTranslation::eventFilter(QObject* watched, QEvent* event) {
    static bool busy = false;
    if (busy || !watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::Show:
            busy = true;
            if (w->isWindow()) {
                translateTree(w);
                fitToTexts(w);
            } else {
                translateWidget(w);
            }
            busy = false;
            break;
        case QEvent::Polish:
        case QEvent::Paint:
        case QEvent::WindowTitleChange:
        case QEvent::ToolTip:
            busy = true;
            translateWidget(w);
            busy = false;
            break;
        case QEvent::ActionAdded:
        case QEvent::ActionChanged:
            // Menus show their actions' own texts; a toolbar's buttons are translated when they
            // paint, so the window still reads its buttons' captions as it set them.
            if (qobject_cast<QMenu*>(w) != nullptr || qobject_cast<QMenuBar*>(w) != nullptr) {
                busy = true;
                translateAction(static_cast<QActionEvent*>(event)->action());
                busy = false;
            }
            break;
        default:
            break;
    }
    return false;
}

QString translatedText(const QString& text) {
    return gActive != nullptr ? gActive->translate(text) : text;
}

}  // namespace corvane
