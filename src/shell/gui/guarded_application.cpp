#include "shell/gui/guarded_application.h"

#include <QWidget>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "platform/gui/dialogs.h"

namespace corvane {

namespace {

QString labelFor(QObject* receiver) {
    QString where = QStringLiteral("Event");
    if (auto* widget = qobject_cast<QWidget*>(receiver)) {
        if (QWidget* window = widget->window(); window && !window->objectName().isEmpty())
            where = window->objectName();
    } else if (receiver != nullptr && !receiver->objectName().isEmpty()) {
        where = receiver->objectName();
    }
    return QStringLiteral("Module Main, ") + where;
}

void report(const std::exception& error, QObject* receiver, Dialogs* dialogs) {
    const QString label = labelFor(receiver);
    if (dialogs != nullptr) {
        reportError(*dialogs, error, label);
    } else {
        std::fprintf(stderr, "corvane: %s (%s)\n", error.what(), label.toLocal8Bit().constData());
    }
}

}  // namespace

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); }, receiver,
                          dialogs_);
}

bool deliverGuarded(const std::function<bool()>& deliver, QObject* receiver, Dialogs* dialogs) {
    try {
        return deliver();
    } catch (const std::exception& e) {
        report(e, receiver, dialogs);
    } catch (...) {
        report(std::runtime_error("an unknown error"), receiver, dialogs);
    }
    return false;
}

}  // namespace corvane
