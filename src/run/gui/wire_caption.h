// The wire button's caption drawn from the workspace's one wire state ("电热丝通电" while the
// wire is on), refreshed on every drive of the wire, whoever drives it. The cut runners' wire
// buttons (Form10, Form11) bind to it instead of keeping a state of their own.
#pragma once

#include <QString>

namespace corvane {

class Toolbar;
class Workspace;

inline const char* const kWireOnCaption = "电热丝通电";
inline const char* const kWireOffCaption = "电热丝断电";

// The caption for the wire state: the on caption while on; while off, the off caption the
// button shows (design-time or after a close), or "电热丝断电" in place of a stale on caption.
QString wireCaption(const Workspace& ws, const QString& shown);

// Keeps one toolbar button's caption in step with the wire state while it lives.
class WireCaptionBinding {
public:
    WireCaptionBinding(Workspace& ws, Toolbar& toolbar, int button);
    ~WireCaptionBinding();
    WireCaptionBinding(const WireCaptionBinding&) = delete;
    WireCaptionBinding& operator=(const WireCaptionBinding&) = delete;

    void refresh();

private:
    Workspace& ws_;
    Toolbar& toolbar_;
    int button_;
    int listener_;
};

}  // namespace corvane
