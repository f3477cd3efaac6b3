// The Dialogs of window tests: every call is recorded (kind, text, title, buttons, icon, file
// request) and answered from a queue the test fills beforehand. A dialog nobody scripted (or
// one of another kind than the next answer) is a failure: it is recorded, printed at once, and
// if the test never takes it with takeUnscripted() the destructor aborts the test program.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/gui/dialogs.h"

namespace corvane {

struct DialogCall {
    enum class Kind { Message, OpenFile, SaveFile, Input, Printer };
    Kind kind = Kind::Message;
    QString text;   // message text or input prompt
    QString title;  // message/input title, file dialog title, printer dialog title
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    FileDialogRequest request;  // open/save dialogs
    QString defaultText;        // input box
    bool scripted = true;       // false when nobody had queued an answer for it
};

QString dialogKindName(DialogCall::Kind kind);

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() = default;
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Answers, used in the order queued.
    ScriptedDialogs& answerMessage(MsgAnswer answer = MsgAnswer::Ok);
    ScriptedDialogs& answerOpenFile(const QString& path);  // empty = Cancel
    ScriptedDialogs& answerSaveFile(const QString& path);  // empty = Cancel
    ScriptedDialogs& answerInput(std::optional<QString> text);
    // Accepts the printer dialog; the job goes to this PDF file instead of a printer.
    ScriptedDialogs& answerPrinter(const QString& pdfPath);
    ScriptedDialogs& cancelPrinter();

    MsgAnswer message(const QString& text, const QString& title = QString(),
                      MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText = QString()) override;
    bool choosePrinter(QPrinter& printer) override;

    const std::vector<DialogCall>& calls() const { return calls_; }
    // The message calls only, and their texts (tests compare them).
    std::vector<DialogCall> messages() const;
    QStringList messageTexts() const;
    void clearCalls() { calls_.clear(); }
    // Answers queued and not used yet.
    int pendingAnswers() const { return static_cast<int>(answers_.size()); }
    // Drops the answers not used (a step that may or may not show its message box).
    void clearAnswers() { answers_.clear(); }

    // Descriptions of the unscripted dialogs; taking them tells the destructor they were seen.
    QStringList takeUnscripted();
    bool hasUnscripted() const { return !unscripted_.isEmpty(); }
    // Called on every unscripted dialog (a test can turn it into a test failure at once).
    void setUnscriptedHandler(std::function<void(const QString&)> handler) {
        handler_ = std::move(handler);
    }

private:
    struct Answer {
        DialogCall::Kind kind;
        MsgAnswer message = MsgAnswer::Ok;
        std::optional<QString> text;  // file path, input text, PDF path (printer)
    };
    // The next answer when it is of `kind`; records a failure otherwise.
    std::optional<Answer> next(DialogCall& call);

    std::deque<Answer> answers_;
    std::vector<DialogCall> calls_;
    QStringList unscripted_;
    std::function<void(const QString&)> handler_;
};

}  // namespace corvane
