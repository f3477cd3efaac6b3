#include "shell/gui/help_file.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include "platform/gui/ui_language.h"

namespace corvane {

namespace {

QString decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder gbk("GB18030");
    if (gbk.isValid()) return gbk.decode(bytes);
    return QString::fromLatin1(bytes);
}

// Escapes the text and turns "[id|text]" into links.
QString inlineHtml(const QString& text) {
    static const QRegularExpression link(QStringLiteral("\\[([A-Za-z0-9_-]+)\\|([^\\]]*)\\]"));
    QString out;
    qsizetype at = 0;
    auto it = link.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        out += text.mid(at, m.capturedStart() - at).toHtmlEscaped();
        out += QStringLiteral("<a href=\"#%1\">%2</a>")
                   .arg(m.captured(1), m.captured(2).toHtmlEscaped());
        at = m.capturedEnd();
    }
    out += text.mid(at).toHtmlEscaped();
    return out;
}

class TopicWriter {
public:
    explicit TopicWriter(QString& html) : html_(html) {}
    void line(const QString& raw) {
        if (raw.startsWith(QStringLiteral("    ")) && !inParagraph()) {
            closeList();
            if (!inPre_) html_ += QStringLiteral("<pre>");
            inPre_ = true;
            html_ += raw.mid(4).toHtmlEscaped() + QLatin1Char('\n');
            return;
        }
        closePre();
        const QString text = raw.trimmed();
        if (text.isEmpty()) {
            closeParagraph();
            closeList();
        } else if (text.startsWith(QStringLiteral("- "))) {
            closeParagraph();
            if (!inList_) html_ += QStringLiteral("<ul>");
            inList_ = true;
            html_ += QStringLiteral("<li>") + inlineHtml(text.mid(2)) + QStringLiteral("</li>");
        } else {
            closeList();
            if (!inParagraph_)
                html_ += QStringLiteral("<p>");
            else
                html_ += QLatin1Char(' ');
            inParagraph_ = true;
            html_ += inlineHtml(text);
        }
    }
    void finish() {
        closePre();
        closeParagraph();
        closeList();
    }

private:
    bool inParagraph() const { return inParagraph_; }
    void closeParagraph() {
        if (inParagraph_) html_ += QStringLiteral("</p>\n");
        inParagraph_ = false;
    }
    void closeList() {
        if (inList_) html_ += QStringLiteral("</ul>\n");
        inList_ = false;
    }
    void closePre() {
        if (inPre_) html_ += QStringLiteral("</pre>\n");
        inPre_ = false;
    }
    QString& html_;
    bool inParagraph_ = false;
    bool inList_ = false;
    bool inPre_ = false;
};

}  // namespace

std::optional<HelpBook> parseHelp(const QByteArray& bytes, QString* error) {
    QString text = decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.isEmpty() || !lines.first().trimmed().startsWith(QStringLiteral("CORVANE-HELP"))) {
        if (error) *error = QStringLiteral("not a Corvane help file (no CORVANE-HELP header)");
        return std::nullopt;
    }
    HelpBook book;
    std::optional<TopicWriter> writer;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QStringLiteral("== "))) {
            if (writer) writer->finish();
            const QString head = line.mid(3);
            const qsizetype bar = head.indexOf(QLatin1Char('|'));
            HelpTopic topic;
            topic.id = (bar < 0 ? head : head.left(bar)).trimmed();
            topic.title = (bar < 0 ? head : head.mid(bar + 1)).trimmed();
            book.topics.push_back(topic);
            writer.emplace(book.topics.back().html);
        } else if (line.startsWith(QStringLiteral("# ")) && !writer) {
            book.title = line.mid(2).trimmed();
        } else if (writer) {
            writer->line(line);
        }
    }
    if (writer) writer->finish();
    if (book.topics.empty()) {
        if (error) *error = QStringLiteral("the help file holds no topics");
        return std::nullopt;
    }
    return book;
}

std::optional<HelpBook> loadHelp(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                QStringLiteral("Cannot open the help file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString reason;
    auto book = parseHelp(file.readAll(), &reason);
    if (!book && error) *error = QStringLiteral("%1: %2").arg(path, reason);
    return book;
}

QString helpHtml(const HelpBook& book) {
    // The titles in the windows' language (the book's own titles without a translation).
    auto title = [](const QString& text) { return translatedText(text).toHtmlEscaped(); };
    QString html = QStringLiteral("<html><body><a name=\"top\"></a>");
    html += QStringLiteral("<h1>%1</h1>").arg(title(book.title));
    html += QStringLiteral("<h3>%1</h3><ul>").arg(title(QStringLiteral("Contents 目录")));
    for (const HelpTopic& t : book.topics)
        html += QStringLiteral("<li><a href=\"#%1\">%2</a></li>").arg(t.id, title(t.title));
    html += QStringLiteral("</ul>");
    for (const HelpTopic& t : book.topics) {
        html += QStringLiteral("<hr><h2><a name=\"%1\"></a>%2</h2>").arg(t.id, title(t.title));
        html += t.html;
        html += QStringLiteral("<p><a href=\"#top\">&uarr; Contents</a></p>");
    }
    html += QStringLiteral("</body></html>");
    return html;
}

const HelpTopic* findTopic(const HelpBook& book, const QString& keyword) {
    const QString key = keyword.trimmed();
    if (key.isEmpty()) return nullptr;
    for (const HelpTopic& t : book.topics)
        if (t.id.compare(key, Qt::CaseInsensitive) == 0) return &t;
    for (const HelpTopic& t : book.topics)
        if (t.title.contains(key, Qt::CaseInsensitive)) return &t;
    return nullptr;
}

}  // namespace corvane
