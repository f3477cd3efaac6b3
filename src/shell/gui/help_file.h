// corvane.hlp, the operator's help: a UTF-8 (or GBK) text file of our own format, turned into
// one HTML page with a contents list. Format: a first line "CORVANE-HELP 1"; "# Title" names the
// book; "== id | Title" starts a topic; blank lines end paragraphs; "- " starts a list item;
// "[id|text]" links to a topic; a line starting with "    " is kept as preformatted text.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace corvane {

struct HelpTopic {
    QString id;
    QString title;
    QString html;  // the topic's body
};

struct HelpBook {
    QString title;
    std::vector<HelpTopic> topics;
};

// nullopt (with the reason in `error`) when the text is not a help file.
[[nodiscard]] std::optional<HelpBook> parseHelp(const QByteArray& bytes, QString* error = nullptr);
// Reads and parses the file; nullopt with the reason when it cannot.
[[nodiscard]] std::optional<HelpBook> loadHelp(const QString& path, QString* error = nullptr);
// The whole book as one page: title, contents, every topic with an anchor "#id".
QString helpHtml(const HelpBook& book);
// The topic whose id or title holds `keyword` (case-insensitive); empty keyword = none.
const HelpTopic* findTopic(const HelpBook& book, const QString& keyword);

}  // namespace corvane
