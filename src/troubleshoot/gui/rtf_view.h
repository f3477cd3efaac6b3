// Shows an explanation page (a small rich-text file) in a text box: the reader's paragraphs and
// runs become a Qt text document. A page that is missing or unreadable leaves a short note in
// the box instead, so the window around it stays usable.
#pragma once

#include <QString>
#include <filesystem>

class QTextDocument;
class QTextEdit;

namespace corvane {

struct RtfDocument;
struct SettingsFields;

// Replaces the document's contents with `page`.
void renderRtf(const RtfDocument& page, QTextDocument& document);

// Loads `file` into `box` with this machine's pin names filled in. False when the page could
// not be shown; the box then holds the note that says why.
[[nodiscard]] bool showRtfPage(QTextEdit& box, const std::filesystem::path& file,
                               const SettingsFields& fields);

}  // namespace corvane
