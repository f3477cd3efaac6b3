#include "platform/gui/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
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

// A box belongs to the window the operator is in (the one that raised it), not to the main
// window: the window manager keeps it above that window and hands the activation back to it.
QWidget* boxOwner(QWidget* fallback) {
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active->isVisible() && active->windowType() != Qt::Popup)
        return active;
    return fallback;
}

// When the box closes, the window that raised it is on top and active again (a window manager
// may otherwise activate the main window, which would then cover it).
class GiveBackActivation {
public:
    explicit GiveBackActivation(QWidget* owner) : owner_(owner) {}
    ~GiveBackActivation() {
        if (owner_.isNull() || !owner_->isVisible()) return;
        owner_->raise();
        owner_->activateWindow();
    }
    GiveBackActivation(const GiveBackActivation&) = delete;
    GiveBackActivation& operator=(const GiveBackActivation&) = delete;

private:
    QPointer<QWidget> owner_;
};

QString runFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
    const GiveBackActivation back(parent);
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
    QWidget* owner = boxOwner(parentWidget());
    const GiveBackActivation back(owner);
    // The window's language: the texts as they stand, or their translation when one is loaded.
    QMessageBox box(boxIcon(icon), translatedText(title), translatedText(displayText(text)),
                    standardButtons(buttons), owner);
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
    return runFileDialog(boxOwner(parentWidget()), request, false);
}

QString QtDialogs::saveFile(const FileDialogRequest& request) {
    return runFileDialog(boxOwner(parentWidget()), request, true);
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText) {
    bool ok = false;
    QWidget* owner = boxOwner(parentWidget());
    const GiveBackActivation back(owner);
    const QString text =
        QInputDialog::getText(owner, translatedText(title), translatedText(displayText(prompt)),
                              QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

bool QtDialogs::choosePrinter(QPrinter& printer) {
    QWidget* owner = boxOwner(parentWidget());
    const GiveBackActivation back(owner);
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(
        translatedText(printer.docName().isEmpty() ? QStringLiteral("打印") : printer.docName()));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace corvane
