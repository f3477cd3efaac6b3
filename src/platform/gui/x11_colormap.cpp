#include "platform/gui/x11_colormap.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <cstdlib>
#include <memory>

namespace corvane {

namespace {

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The screen's default colormap when `window` is in that screen's default visual, else 0.
xcb_colormap_t defaultColormapFor(xcb_connection_t* connection, xcb_window_t window) {
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        nullptr),
        &std::free);
    if (!attributes) return 0;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it)) {
        if (it.data->root_visual == attributes->visual) return it.data->default_colormap;
    }
    return 0;
}

class DefaultColormap : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceCreated) {
            if (auto* window = qobject_cast<QWindow*>(watched)) apply(*window);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static void apply(QWindow& window) {
        xcb_connection_t* connection = x11Connection();
        if (connection == nullptr) return;
        const auto id = static_cast<xcb_window_t>(window.winId());
        const xcb_colormap_t colormap = defaultColormapFor(connection, id);
        if (colormap == 0) return;
        xcb_change_window_attributes(connection, id, XCB_CW_COLORMAP, &colormap);
        xcb_flush(connection);
    }
};

}  // namespace

void useDefaultColormapOnX11(QGuiApplication& app) {
    // Left out on request, so that the real-display test can show what it guards against.
    if (qEnvironmentVariableIsSet("CORVANE_X11_OWN_COLORMAP")) return;
    if (x11Connection() == nullptr) return;
    app.installEventFilter(new DefaultColormap(&app));
}

}  // namespace corvane
