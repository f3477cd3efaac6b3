// Dialogs for runs nobody watches (corvane --screenshot): every message goes to stderr and is
// answered as cautiously as its buttons allow; file, input and printer dialogs are cancelled.
#pragma once

#include "platform/gui/dialogs.h"

namespace corvane {

class HeadlessDialogs : public Dialogs {
public:
    MsgAnswer message(const QString& text, const QString& title = QString(),
                      MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) override;
    QString openFile(const FileDialogRequest&) override { return QString(); }
    QString saveFile(const FileDialogRequest&) override { return QString(); }
    std::optional<QString> input(const QString&, const QString&,
                                 const QString& = QString()) override {
        return std::nullopt;
    }
    bool choosePrinter(QPrinter&) override { return false; }
};

}  // namespace corvane
