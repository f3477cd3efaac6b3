#include "platform/gui/activation_tracker.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace corvane {

bool ActivationTracker::isActivation(const QWidget* window, const QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        const QWidget* next = QApplication::activeWindow();
        deactivatedByDialog_ = QApplication::activeModalWidget() != nullptr ||
                               (next != nullptr && next != window && next->isModal());
        return false;
    }
    if (event->type() == QEvent::WindowActivate) {
        const bool real = !deactivatedByDialog_;
        deactivatedByDialog_ = false;
        return real;
    }
    return false;
}

}  // namespace corvane
