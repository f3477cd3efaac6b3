// The one refusal of every command that would move the machine or heat the wire while the
// settings name no known port: a message box with the cause and the fix, titled "No Port".
// Header only, so every window module can use it without linking the settings window.
#pragma once

#include <QString>

#include "machine/workspace.h"
#include "platform/gui/dialogs.h"

namespace corvane {

// True (after the message) when nothing may be written because no port is known.
inline bool refuseWithoutPort(const Workspace& ws, Dialogs& dialogs) {
    if (ws.portKnown()) return false;
    dialogs.message(QString::fromStdString(ws.portRefusal()),
                    QString::fromUtf8(Workspace::kNoPortTitle), MsgButtons::Ok,
                    MsgIcon::Warning);
    return true;
}

}  // namespace corvane
