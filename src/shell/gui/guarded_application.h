// The operator's application object: no exception leaves an event handler. One that a handler
// did not trap (a number too large for a field, say) is reported with the shared error message,
// and the program runs on with its windows and their unsaved work, where an exception through
// the event loop would end it.
#pragma once

#include <QApplication>
#include <QPointer>
#include <functional>

class QObject;

namespace corvane {

class Dialogs;

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    // Where the reports go; without dialogs they go to stderr.
    void setDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs* dialogs_ = nullptr;
};

// Runs `deliver` and reports an exception that escapes it: through `dialogs` with the label
// "Module Main, <window>" (the receiver's window's object name), else on stderr. Returns what
// `deliver` returned, or false after an exception.
bool deliverGuarded(const std::function<bool()>& deliver, QObject* receiver, Dialogs* dialogs);

}  // namespace corvane
