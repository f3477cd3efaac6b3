// The one refusal of every command that would move the machine or heat the wire while the
// settings name no known port: a message box with the cause and the fix, titled "No Port".
// The refusal while another source holds the machine comes from here too. Header only, so
// every window module can use it without linking the settings window.
#pragma once

#include <QString>

#include "machine/workspace.h"
#include "platform/gui/dialogs.h"

namespace corvane {

// True (after the message) when nothing may be written because no port is known.
[[nodiscard]] inline bool refuseWithoutPort(const Workspace& ws, Dialogs& dialogs) {
    if (ws.portKnown()) return false;
    dialogs.message(QString::fromStdString(ws.portRefusal()),
                    QString::fromUtf8(Workspace::kNoPortTitle), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

// True (after the message naming the holder) when another source holds the machine's lease,
// so `owner` may neither move the machine nor switch the wire.
[[nodiscard]] inline bool refuseWhileLeased(const Workspace& ws, Dialogs& dialogs,
                                            const void* owner) {
    if (ws.lease.mayWrite(owner)) return false;
    dialogs.message(QString::fromStdString(ws.lease.refusal()),
                    QString::fromUtf8(kMachineBusyTitle), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

// Takes the machine's lease for `owner` under its caption; an empty hold (after the message
// naming the holder) when another source has it.
inline LeaseHold takeLease(Workspace& ws, Dialogs& dialogs, const void* owner,
                           const QString& caption) {
    if (refuseWhileLeased(ws, dialogs, owner)) return {};
    return ws.lease.take(owner, caption.toStdString());
}

}  // namespace corvane
