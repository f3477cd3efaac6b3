// Printing through the printer dialog ("打印"): a window as an image of itself, or the whole
// contents of a rich-text box. Cancelling the dialog is the common dialog's error 32755, which
// callers take as a decision not to print: nothing is printed and the pointer is unchanged.
#pragma once

#include <QString>

class QTextDocument;
class QWidget;

namespace corvane {

class Dialogs;

inline const QString kPrintDialogTitle = QStringLiteral("打印");

// Returns false when the operator cancelled (nothing printed). While printing the pointer is
// the hourglass.
bool printWindow(Dialogs& dialogs, QWidget& window, const QString& title = kPrintDialogTitle);
bool printRichText(Dialogs& dialogs, const QTextDocument& document,
                   const QString& title = kPrintDialogTitle);

}  // namespace corvane
