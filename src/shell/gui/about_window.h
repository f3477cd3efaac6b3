// The about box frmAbout: application title and version, OK, and "System Info..." which starts
// the desktop's system-information tool when one is installed and says so when none is.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace corvane {

class Dialogs;

inline const QString kAppTitle = QStringLiteral("Corvane");

// The system-information tools looked for on PATH, in this order.
QStringList systemInfoToolNames();
// The first of them found on PATH; empty when none is installed.
QString findSystemInfoTool();

class AboutWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "frmAbout", caption "关于    Corvane".
    AboutWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows it modeless, centred over the main window's inner area.
    void showAndActivate();

    // "System Info...": start the tool, or the message when there is none.
    void showSystemInfo();

    // Replaceable for tests: where the tool is looked for and how it is started.
    std::function<QString()> locateTool = findSystemInfoTool;
    std::function<bool(const QString&)> startTool;

private:
    Dialogs& dialogs_;
};

}  // namespace corvane
