#include "troubleshoot/gui/rtf_view.h"

#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "common/file_io.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "troubleshoot/port_troubleshooter.h"
#include "troubleshoot/rtf_reader.h"

namespace corvane {

namespace {

Qt::Alignment alignmentOf(RtfParagraph::Align align) {
    switch (align) {
        case RtfParagraph::Align::Center:
            return Qt::AlignHCenter;
        case RtfParagraph::Align::Right:
            return Qt::AlignRight;
        case RtfParagraph::Align::Left:
            break;
    }
    return Qt::AlignLeft;
}

void showNote(QTextEdit& box, const QString& page, const QString& why) {
    box.clear();
    QTextCursor cursor(box.document());
    QTextCharFormat look;
    look.setFontItalic(true);
    look.setForeground(QColor(96, 96, 96));
    cursor.insertText(QStringLiteral("The explanation page %1 cannot be shown: %2.\n"
                                     "The step buttons, 停止 and the pin indicators work without "
                                     "it.")
                          .arg(page, why),
                      look);
}

}  // namespace

void renderRtf(const RtfDocument& page, QTextDocument& document) {
    document.clear();
    QTextCursor cursor(&document);
    bool first = true;
    for (const RtfParagraph& paragraph : page.paragraphs) {
        QTextBlockFormat block;
        block.setAlignment(alignmentOf(paragraph.align));
        if (first) {
            cursor.setBlockFormat(block);
            first = false;
        } else {
            cursor.insertBlock(block);
        }
        for (const RtfRun& run : paragraph.runs) {
            QTextCharFormat look;
            look.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            look.setFontItalic(run.italic);
            look.setFontPointSize(run.halfPoints / 2.0);
            if (run.color) look.setForeground(QColor::fromRgb(static_cast<QRgb>(*run.color)));
            QString text = QString::fromStdString(run.text);
            text.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
            cursor.insertText(text, look);
        }
    }
}

bool showRtfPage(QTextEdit& box, const std::filesystem::path& file, const SettingsFields& fields) {
    const QString name = QString::fromStdString(file.filename().string());
    std::string bytes;
    try {
        bytes = readFileBytes(file);
    } catch (const RunError&) {
        showNote(box, name,
                 QStringLiteral("it is missing from the application folder or cannot "
                                "be read"));
        return false;
    }
    std::string why;
    std::optional<RtfDocument> page = parseRtf(bytes, &why);
    if (!page) {
        showNote(box, name, QString::fromStdString(why));
        return false;
    }
    fillPinNames(*page, fields);
    renderRtf(*page, *box.document());
    box.moveCursor(QTextCursor::Start);
    return true;
}

}  // namespace corvane
