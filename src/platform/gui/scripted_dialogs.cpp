#include "platform/gui/scripted_dialogs.h"

#include <QPrinter>
#include <cstdio>
#include <cstdlib>

namespace corvane {

QString dialogKindName(DialogCall::Kind kind) {
    switch (kind) {
        case DialogCall::Kind::Message:
            return QStringLiteral("message");
        case DialogCall::Kind::OpenFile:
            return QStringLiteral("open-file dialog");
        case DialogCall::Kind::SaveFile:
            return QStringLiteral("save-file dialog");
        case DialogCall::Kind::Input:
            return QStringLiteral("input box");
        case DialogCall::Kind::Printer:
            return QStringLiteral("printer dialog");
    }
    return QStringLiteral("dialog");
}

ScriptedDialogs::~ScriptedDialogs() {
    if (unscripted_.isEmpty()) return;
    std::fprintf(stderr, "ScriptedDialogs: %d unscripted dialog(s) were never checked:\n",
                 static_cast<int>(unscripted_.size()));
    for (const QString& line : unscripted_)
        std::fprintf(stderr, "  %s\n", line.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

ScriptedDialogs& ScriptedDialogs::answerMessage(MsgAnswer answer) {
    answers_.push_back({DialogCall::Kind::Message, answer, std::nullopt});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerOpenFile(const QString& path) {
    answers_.push_back({DialogCall::Kind::OpenFile, MsgAnswer::Ok, path});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerSaveFile(const QString& path) {
    answers_.push_back({DialogCall::Kind::SaveFile, MsgAnswer::Ok, path});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerInput(std::optional<QString> text) {
    answers_.push_back({DialogCall::Kind::Input, MsgAnswer::Ok, std::move(text)});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerPrinter(const QString& pdfPath) {
    answers_.push_back({DialogCall::Kind::Printer, MsgAnswer::Ok, pdfPath});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::cancelPrinter() {
    answers_.push_back({DialogCall::Kind::Printer, MsgAnswer::Cancel, std::nullopt});
    return *this;
}

std::optional<ScriptedDialogs::Answer> ScriptedDialogs::next(DialogCall& call) {
    if (!answers_.empty() && answers_.front().kind == call.kind) {
        Answer answer = answers_.front();
        answers_.pop_front();
        calls_.push_back(call);
        return answer;
    }
    call.scripted = false;
    QString what = QStringLiteral("unscripted %1 (text \"%2\", title \"%3\")")
                       .arg(dialogKindName(call.kind), call.text, call.title);
    if (!answers_.empty())
        what += QStringLiteral("; the next scripted answer is for a %1")
                    .arg(dialogKindName(answers_.front().kind));
    what.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    calls_.push_back(call);
    unscripted_ << what;
    std::fprintf(stderr, "ScriptedDialogs: %s\n", what.toUtf8().constData());
    if (handler_) handler_(what);
    return std::nullopt;
}

MsgAnswer ScriptedDialogs::message(const QString& text, const QString& title, MsgButtons buttons,
                                   MsgIcon icon) {
    DialogCall call;
    call.kind = DialogCall::Kind::Message;
    call.text = text;
    call.title = title;
    call.buttons = buttons;
    call.icon = icon;
    if (auto answer = next(call)) return answer->message;
    // Unscripted: the most cautious answer the box offers.
    return closedBoxAnswer(buttons);
}

QString ScriptedDialogs::openFile(const FileDialogRequest& request) {
    DialogCall call;
    call.kind = DialogCall::Kind::OpenFile;
    call.title = request.title;
    call.request = request;
    if (auto answer = next(call)) return answer->text.value_or(QString());
    return QString();
}

QString ScriptedDialogs::saveFile(const FileDialogRequest& request) {
    DialogCall call;
    call.kind = DialogCall::Kind::SaveFile;
    call.title = request.title;
    call.request = request;
    if (auto answer = next(call)) return answer->text.value_or(QString());
    return QString();
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& defaultText) {
    DialogCall call;
    call.kind = DialogCall::Kind::Input;
    call.text = prompt;
    call.title = title;
    call.defaultText = defaultText;
    if (auto answer = next(call)) return answer->text;
    return std::nullopt;
}

bool ScriptedDialogs::choosePrinter(QPrinter& printer) {
    DialogCall call;
    call.kind = DialogCall::Kind::Printer;
    call.title = printer.docName();
    auto answer = next(call);
    if (!answer || answer->message == MsgAnswer::Cancel) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer->text.value_or(QString()));
    return true;
}

std::vector<DialogCall> ScriptedDialogs::messages() const {
    std::vector<DialogCall> out;
    for (const DialogCall& c : calls_)
        if (c.kind == DialogCall::Kind::Message) out.push_back(c);
    return out;
}

QStringList ScriptedDialogs::messageTexts() const {
    QStringList out;
    for (const DialogCall& c : calls_)
        if (c.kind == DialogCall::Kind::Message) out << c.text;
    return out;
}

QStringList ScriptedDialogs::takeUnscripted() {
    QStringList out;
    out.swap(unscripted_);
    return out;
}

}  // namespace corvane
