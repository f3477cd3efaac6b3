// Every window of the program stays above the window that opened it. Qt's X11 platform writes
// WM_TRANSIENT_FOR only for dialogs, tool windows and popups, so an ordinary window opened from
// the main window had no owner the window manager knew of: a click on the main window's empty
// area, or a message box closing (the manager then activates the box's owner), put the main
// window over every tool window, a running cut's window with its Stop button included. Each
// ordinary window with a parent gets its opener as WM_TRANSIENT_FOR when it is shown; it keeps
// its own frame, title bar and place. Elsewhere (another platform) nothing changes.
#pragma once

class QGuiApplication;

namespace corvane {

// Installs it on `app` for every window shown from now on; a no-op off X11, and when
// CORVANE_X11_NO_TRANSIENT is set (the real-display test's look at the stacking without it).
void keepWindowsAboveTheirOpenersOnX11(QGuiApplication& app);

}  // namespace corvane
