// Windows on an X server drawn with the screen's default colormap. Qt's X11 platform gives all
// windows of a program one colormap of its own; an X server built on the X.Org framebuffer
// (Xvfb, the VNC desktop servers) then shows a window that opens over another window of the same
// program as a black rectangle: the main menu over the main window, every dialog, every menu.
// Windows in the default visual need no colormap of their own, so each gets the default one as
// it is created. Elsewhere (another platform, another visual) nothing changes.
#pragma once

class QGuiApplication;

namespace corvane {

// Installs the fix on `app` for every window created from now on; a no-op off X11, and when
// CORVANE_X11_OWN_COLORMAP is set (the real-display test's look at the windows without it).
void useDefaultColormapOnX11(QGuiApplication& app);

}  // namespace corvane
