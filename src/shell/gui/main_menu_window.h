// The main menu window Form5 ("Main Menu -  Metric Version"): one button per task, each opening
// its window modeless; a button whose window is not part of this build does nothing. Loading it
// sets JogSpeed and CutSpeed to 1; it sits at 10, 10 twips inside the frame on every activation.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "shell/gui/desktop_links.h"

class QPushButton;

namespace corvane {

class Dialogs;
class WindowCatalog;
class Workspace;

class MainMenuWindow : public QWidget {
    Q_OBJECT
public:
    using OpenPage = std::function<void(WebPage)>;

    // objectName "Form5". `windows` opens the task windows; `openPage` the web buttons.
    MainMenuWindow(Workspace& ws, Dialogs& dialogs, WindowCatalog& windows, OpenPage openPage,
                   QWidget* parent = nullptr);

    // The window a button opens ("" for the web buttons), e.g. "Form14" for Command4.
    static QString windowOfButton(const QString& button);

    void showAndActivate();

protected:
    bool event(QEvent* event) override;

private:
    QPushButton* makeButton(const char* name, const QString& caption);
    void openTask(const QString& button);
    // Command4/Command6: the tower chords of the setup into Text6/Text7 of the generator.
    void fillChords(QWidget& generator);

    Workspace& ws_;
    Dialogs& dialogs_;
    WindowCatalog& windows_;
    OpenPage openPage_;
};

}  // namespace corvane
