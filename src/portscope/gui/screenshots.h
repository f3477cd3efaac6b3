// Pictures of portscope's windows for the documentation and for review:
// `portscope --screenshot DIR` (best with QT_QPA_PLATFORM=offscreen) watches a simulated
// machine with ports at 378 and 278 and writes one PNG per page and one of the bit setter.
#pragma once

#include <QString>
#include <QStringList>

namespace portscope {

class ScopeWindow;
class SimulatedMachine;

// Writes DIR/portscope_Main.png, _Config, _Config2, _About, _Main_male_disabled and
// _BitSetter_Control. Returns the files written; `error` says what failed. With `realDisplay`
// the pictures come from the screen of the running X server and DIR/display-check.txt gets a
// line a picture; a window whose screen does not show what it drew sets `error`.
QStringList writeScreenshots(ScopeWindow& window, SimulatedMachine& sim, const QString& dir,
                             QString* error, bool realDisplay = false);

}  // namespace portscope
