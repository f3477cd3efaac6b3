// The refusal of a cut or resume at a speed of 0 mm/s: such a cut would heat the wire and then
// fail on its first tick (a tick of no speed has no length), so it is said before anything
// moves or heats. Header only: the cut window and its resume offer both ask it.
#pragma once

#include <QString>

#include "machine/workspace.h"
#include "platform/gui/dialogs.h"

namespace corvane {

inline QString cutSpeedRefusalTitle() {
    return QStringLiteral("Cutting Speed");
}

// True (after the message) when the cutting speed is not above 0 mm/s.
[[nodiscard]] inline bool refuseStandingSpeed(const Workspace& ws, Dialogs& dialogs) {
    if (ws.motion.CutSpeed > Fixed4{}) return false;
    dialogs.message(QStringLiteral("The cutting speed is 0 mm/s: nothing would move while the "
                                   "wire heats. Move the speed slider to the right, then try "
                                   "again."),
                    cutSpeedRefusalTitle(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

}  // namespace corvane
