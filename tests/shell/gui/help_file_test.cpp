// corvane.hlp: our own help format, the shipped file parses into readable topics, and a file
// that is not help is refused with a reason.
#include "shell/gui/help_file.h"

#include <gtest/gtest.h>

#include <QFile>

namespace corvane {
namespace {

TEST(HelpFile, ParsesTopicsParagraphsListsLinksAndPreformattedLines) {
    const QByteArray text =
        "CORVANE-HELP 1\r\n# Book <1>\r\n== a | First & only\r\nLine one\r\ncontinues.\r\n\r\n"
        "- item [b|see B]\r\n- two\r\n    code  line\r\n== b | 第二\r\nText\r\n";
    QString error;
    auto book = parseHelp(text, &error);
    ASSERT_TRUE(book) << error.toStdString();
    EXPECT_EQ(book->title, "Book <1>");
    ASSERT_EQ(book->topics.size(), 2u);
    EXPECT_EQ(book->topics[0].id, "a");
    EXPECT_EQ(book->topics[0].title, "First & only");
    EXPECT_EQ(book->topics[0].html,
              "<p>Line one continues.</p>\n<ul><li>item <a href=\"#b\">see B</a></li><li>two</li>"
              "</ul>\n<pre>code  line\n</pre>\n");
    EXPECT_EQ(book->topics[1].title, "第二");
    const QString html = helpHtml(*book);
    EXPECT_TRUE(html.contains("Book &lt;1&gt;"));
    EXPECT_TRUE(html.contains("<a href=\"#a\">First &amp; only</a>"));
    EXPECT_EQ(findTopic(*book, "B"), &book->topics[1]);
    EXPECT_EQ(findTopic(*book, "only"), &book->topics[0]);
    EXPECT_EQ(findTopic(*book, ""), nullptr);
}

TEST(HelpFile, RefusesWhatIsNotHelp) {
    QString error;
    EXPECT_FALSE(parseHelp("just text\n", &error));
    EXPECT_TRUE(error.contains("CORVANE-HELP"));
    EXPECT_FALSE(parseHelp("CORVANE-HELP 1\n# Empty\n", &error));
    EXPECT_TRUE(error.contains("no topics"));
    EXPECT_FALSE(parseHelp(QByteArray(), &error));
    EXPECT_FALSE(loadHelp("/nonexistent/corvane.hlp", &error));
    EXPECT_TRUE(error.contains("/nonexistent/corvane.hlp"));
}

TEST(HelpFile, TheShippedHelpCoversTheOperatorsTasks) {
    QString error;
    auto book = loadHelp(QStringLiteral(CORVANE_RESOURCES "/corvane.hlp"), &error);
    ASSERT_TRUE(book) << error.toStdString();
    QStringList ids;
    for (const HelpTopic& t : book->topics) {
        ids << t.id;
        EXPECT_FALSE(t.html.isEmpty()) << t.id.toStdString();
    }
    for (const char* id : {"start", "settings", "home", "generate", "cutting", "port"})
        EXPECT_TRUE(ids.contains(id)) << id;
    // Every link points at a topic that exists.
    const QString html = helpHtml(*book);
    EXPECT_TRUE(html.contains("<a name=\"top\">"));  // the way back to the contents
    for (const HelpTopic& t : book->topics) {
        qsizetype at = 0;
        while ((at = t.html.indexOf("href=\"#", at)) >= 0) {
            at += 7;
            const QString target = t.html.mid(at, t.html.indexOf('"', at) - at);
            EXPECT_TRUE(ids.contains(target)) << target.toStdString();
        }
    }
}

}  // namespace
}  // namespace corvane
