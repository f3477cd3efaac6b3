#include "platform/gui/qt_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

#include "platform/gui/ui_language.h"

namespace corvane {

namespace {

QMessageBox::StandardButtons standardButtons(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return QMessageBox::Ok;
        case MsgButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoDefaultNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QMessageBox::NoIcon;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The message texts break lines with a carriage return alone; Qt wants "\n".
QString displayText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString runFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent, translatedText(request.title), request.initialDir,
                       qtFileFilter(request.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultExt.isEmpty()) dialog.setDefaultSuffix(request.defaultExt);
    // Flag 2 asks before overwriting; without it the dialog replaces silently.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (request.flags & 2) == 0);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QString qtFileFilter(const QString& commonDialogFilter) {
    if (commonDialogFilter.isEmpty()) return QString();
    const QStringList parts = commonDialogFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.simplified());
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty()) filters << parts.last();
    return filters.join(QStringLiteral(";;"));
}

MsgAnswer QtDialogs::message(const QString& text, const QString& title, MsgButtons buttons,
                             MsgIcon icon) {
    // The window's language: the texts as they stand, or their translation when one is loaded.
    QMessageBox box(boxIcon(icon), translatedText(title), translatedText(displayText(text)),
                    standardButtons(buttons), parentWidget());
    if (buttons == MsgButtons::YesNoDefaultNo) box.setDefaultButton(QMessageBox::No);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MsgAnswer::Ok;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Retry:
            return MsgAnswer::Retry;
        default:
            break;
    }
    // Closing the box with its close button: Cancel where there is one, else the only answer.
    return closedBoxAnswer(buttons);
}

QString QtDialogs::openFile(const FileDialogRequest& request) {
    return runFileDialog(parentWidget(), request, false);
}

QString QtDialogs::saveFile(const FileDialogRequest& request) {
    return runFileDialog(parentWidget(), request, true);
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWidget(), translatedText(title),
                                               translatedText(displayText(prompt)),
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

bool QtDialogs::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, parentWidget());
    dialog.setWindowTitle(
        translatedText(printer.docName().isEmpty() ? QStringLiteral("打印") : printer.docName()));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace corvane
