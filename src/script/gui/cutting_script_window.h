// The `script` window "Cutting Scripts": the script list with its line editor (Edit, Insert,
// 删除, Accept, 浏览 for a cut file), the help frame, the delay time and the shared JogSpeed
// slider, and the toolbar that loads, saves, clears, runs and stops the script.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/activation_tracker.h"
#include "platform/gui/dialogs.h"
#include "script/script_runner.h"

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace corvane {

class Dialogs;
class JogSpeedControl;
class Toolbar;
class Workspace;

class CuttingScriptWindow : public QWidget {
    Q_OBJECT
public:
    CuttingScriptWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);
    ~CuttingScriptWindow() override;

    void showAndActivate();
    // What every activation does: help hidden, slider focus and value, placement, size.
    void activated();

    // The editing commands (the buttons call these).
    void edit();
    void accept();
    void insert();
    void deleteLine();
    void browse();
    void toggleHelp();
    // The toolbar's commands by their names.
    void loadScript();  // LS
    // Load without the dialog: appends the file's lines (errors reported under LS).
    void loadScriptFile(const QString& path);
    void saveScript();   // SS
    void clearScript();  // CS
    void runScript();    // Line
    void stopScript() { runner_->requestStop(); }

    std::vector<std::string> lines() const;
    bool isRunning() const { return runner_->running(); }
    Toolbar* toolbar() const { return toolbar_; }
    QString appFolder() const;
    JogSpeedControl* speedControl() const { return speed_; }

    // The help page and the sample script the page describes, in the application folder.
    static constexpr const char* kHelpFile = "script_help.html";
    static constexpr const char* kSampleFile = "samples/script_sample.txt";

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onToolbar(int index);
    // The line check of Accept and Insert: true when `line` passes, else its message shown.
    [[nodiscard]] bool checkEdited(const std::string& line, bool insert);
    // The largest size that keeps the window (title bar included) inside the main window's
    // client area at its place, so the status bar stays in view.
    void fitInFrame();
    void loadHelpPage();
    FileDialogRequest scriptDialog(const QString& title) const;

    Workspace& ws_;
    Dialogs& dialogs_;
    // Shared with a running loop, so it outlives the window if the window goes first.
    std::shared_ptr<ScriptRunner> runner_;
    ActivationTracker activation_;
    bool sized_ = false;  // given its first size (later ones are the operator's)
    bool editMode_ = false;
    int editIndex_ = -1;

    Toolbar* toolbar_;
    QGroupBox* scriptFrame_;
    QListWidget* list_;
    QLineEdit* lineEdit_;
    QPushButton* helpButton_;
    QGroupBox* helpFrame_;
    QTextBrowser* helpText_;
    QLineEdit* delayText_;
    JogSpeedControl* speed_;
};

}  // namespace corvane
