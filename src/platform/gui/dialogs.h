// The common dialog, message boxes and input box: every window asks through this interface,
// never through QMessageBox/QFileDialog directly. QtDialogs shows real dialogs;
// ScriptedDialogs (tests) records each call and returns scripted answers.
#pragma once

#include <QString>
#include <optional>

class QPrinter;
class QWidget;

namespace corvane {

class RunError;

// YesNoDefaultNo: Yes and No with No as the default button (Enter, closing the box): for
// questions whose safe answer is No.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, YesNoDefaultNo };
enum class MsgIcon { None, Information, Warning, Critical, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

// The common dialog's Open/Save settings: initial folder, file name (empty before showing),
// default extension (added when a name is typed without one), title, filter ("desc|*.ct1|..."),
// flags (6 = ask before overwriting, hide read-only box).
struct FileDialogRequest {
    QString initialDir;
    QString fileName;
    QString defaultExt;
    QString title;
    QString filter;
    int flags = 6;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box; the title is empty unless the caller gives one.
    virtual MsgAnswer message(const QString& text, const QString& title = QString(),
                              MsgButtons buttons = MsgButtons::Ok,
                              MsgIcon icon = MsgIcon::None) = 0;
    // Full path of the chosen file; empty when the operator cancelled.
    [[nodiscard]] virtual QString openFile(const FileDialogRequest& request) = 0;
    [[nodiscard]] virtual QString saveFile(const FileDialogRequest& request) = 0;
    // The input box: nullopt on Cancel.
    [[nodiscard]] virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                                       const QString& defaultText = QString()) = 0;
    // The printer dialog: false on Cancel (the dialog's error 32755: nothing is printed).
    [[nodiscard]] virtual bool choosePrinter(QPrinter& printer) = 0;

    // The parent for real dialogs (the main window); may be null.
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    QWidget* parentWidget() const { return parent_; }

private:
    QWidget* parent_ = nullptr;
};

// The answer of a box closed without choosing (or not shown at all): Cancel where there is one,
// No for Yes/No, OK for a lone OK.
MsgAnswer closedBoxAnswer(MsgButtons buttons);

// The error report of every handler: "Error encountered, Error Number <n>, <description>\r<label>"
// in a message box with an OK button and no title.
void reportError(Dialogs& dialogs, const RunError& error, const QString& label);
// The same for anything else a handler caught (std::exception): number 0 is never shown; the
// description is the exception's text.
void reportError(Dialogs& dialogs, const std::exception& error, const QString& label);

}  // namespace corvane
