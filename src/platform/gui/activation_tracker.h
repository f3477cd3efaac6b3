// Tells a window's real activation (the operator coming to it from elsewhere) from coming back
// out of one of its own modal message boxes or file dialogs, which must not rerun the window's
// activation steps and throw away what the operator typed.
#pragma once

class QEvent;
class QWidget;

namespace corvane {

class ActivationTracker {
public:
    // Feed the window's events; true for an activation the window should act on.
    bool isActivation(const QWidget* window, const QEvent* event);

private:
    bool deactivatedByDialog_ = false;
};

}  // namespace corvane
