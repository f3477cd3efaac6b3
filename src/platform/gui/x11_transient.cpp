#include "platform/gui/x11_transient.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace corvane {

namespace {

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

class TransientForOpener : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = qobject_cast<QWindow*>(watched);
            // Qt marks dialogs itself; popups and tool tips have owners of their own.
            if (window != nullptr && window->type() == Qt::Window &&
                window->transientParent() != nullptr) {
                // Qt clears the property as it maps the window: written once the show is done.
                QTimer::singleShot(0, this, [w = QPointer<QWindow>(window)] {
                    if (w && w->isVisible()) apply(*w);
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static void apply(QWindow& window) {
        xcb_connection_t* connection = x11Connection();
        const QWindow* opener = window.transientParent();
        if (connection == nullptr || opener == nullptr || opener->handle() == nullptr) return;
        const auto owner = static_cast<xcb_window_t>(opener->winId());
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                            static_cast<xcb_window_t>(window.winId()), XCB_ATOM_WM_TRANSIENT_FOR,
                            XCB_ATOM_WINDOW, 32, 1, &owner);
        xcb_flush(connection);
    }
};

}  // namespace

void keepWindowsAboveTheirOpenersOnX11(QGuiApplication& app) {
    // Left out on request, so that the real-display test can show what it guards against.
    if (qEnvironmentVariableIsSet("CORVANE_X11_NO_TRANSIENT")) return;
    if (x11Connection() == nullptr) return;
    app.installEventFilter(new TransientForOpener(&app));
}

}  // namespace corvane
