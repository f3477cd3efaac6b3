// The wire button's caption from the wire state.
#include "run/gui/wire_caption.h"

#include "machine/workspace.h"
#include "platform/gui/toolbar.h"

namespace corvane {

QString wireCaption(const Workspace& ws, const QString& shown) {
    const QString on = QString::fromUtf8(kWireOnCaption);
    if (ws.wire.on()) return on;
    return shown == on ? QString::fromUtf8(kWireOffCaption) : shown;
}

WireCaptionBinding::WireCaptionBinding(Workspace& ws, Toolbar& toolbar, int button)
    : ws_(ws), toolbar_(toolbar), button_(button) {
    listener_ = ws_.wire.listen([this] { refresh(); });
}

WireCaptionBinding::~WireCaptionBinding() {
    ws_.wire.unlisten(listener_);
}

void WireCaptionBinding::refresh() {
    const QString shown = toolbar_.buttonCaption(button_);
    const QString wanted = wireCaption(ws_, shown);
    if (wanted != shown) toolbar_.setButtonCaption(button_, wanted);
}

}  // namespace corvane
