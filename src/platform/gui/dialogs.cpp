#include "platform/gui/dialogs.h"

#include <new>

#include "common/run_error.h"

namespace corvane {

MsgAnswer closedBoxAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoDefaultNo:
            return MsgAnswer::No;
        default:
            return MsgAnswer::Cancel;
    }
}

void reportError(Dialogs& dialogs, const RunError& error, const QString& label) {
    // The detail says which file and what happened (a full disk, a refused port).
    const std::string text =
        withDetail(errorReportText(error, label.toStdString()), error.detail());
    dialogs.message(QString::fromStdString(text), QString(), MsgButtons::Ok, MsgIcon::None);
}

void reportError(Dialogs& dialogs, const std::exception& error, const QString& label) {
    if (const auto* run = dynamic_cast<const RunError*>(&error)) {
        reportError(dialogs, *run, label);
        return;
    }
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        reportError(dialogs, RunError(ErrorNumber::OutOfMemory), label);
        return;
    }
    // No classic number belongs to it, so none is shown.
    const QString text = QStringLiteral("Error encountered, ") + QString::fromUtf8(error.what()) +
                         QLatin1Char('\r') + label;
    dialogs.message(text, QString(), MsgButtons::Ok, MsgIcon::None);
}

}  // namespace corvane
