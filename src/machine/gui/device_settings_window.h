// The device-settings window (Form9, "设备设置"): shows and edits the 28 machine-settings fields.
// Its controls edit the window's own copy of the fields; only a "Done" whose write succeeded (or
// a load) puts them into Workspace::settings, so the settings in force always match the file.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "machine/machine_settings.h"
#include "platform/gui/activation_tracker.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace corvane {

class Dialogs;
class Toolbar;
class Workspace;

class DeviceSettingsWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "Form9". Builds the controls hidden; call loadSettings() to read settings.txt.
    DeviceSettingsWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // Load settings (start-up, hidden): reads settings.txt into the fields, derives every value,
    // enables the frames. A failure is reported ("Module 9, Load Data") and leaves what was done.
    // Returns false on failure, and (with a message, nothing read) while the machine is leased.
    bool loadSettings();

    // Show modeless and run the activation steps (placement). A window closed with the close box
    // is loaded again first, which reads settings.txt again.
    void showAndActivate();

    // True while the window is loaded (between a load and a close with the close box).
    bool isLoaded() const { return loaded_; }

    // The toolbar's buttons: 1 "Reset Defaults", 2 "Done".
    void resetDefaults();
    // "Done": refuses a pin that is none of its combo's pins, naming the field; writes
    // settings.txt, then derives and puts the settings in force (old wire pin
    // inactive first, new one inactive after), hides. A failed write commits nothing; any
    // failure is reported ("Module 9, Close") and the window stays (false). Refused, with the
    // edits kept and nothing written, while a cut, move or test holds the machine.
    bool done();

    // Puts the fields in force into the controls (dropping unsaved edits).
    void refreshFromModel();
    // The fields as the window's controls hold them now (unsaved edits included).
    const SettingsFields& edits() const { return edits_; }

signals:
    // After every load and every "Done" that put settings in force (also a partial one).
    void settingsApplied();

protected:
    // The close box unloads: unsaved edits are dropped and the next use reads the file again.
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void updateFrames();
    void showEdits();
    void onToolbar(int index);
    void placeOnFrame();
    // True (after saying why) while a cut, move or test holds the machine: no settings apply.
    [[nodiscard]] bool refuseWhileLeased();
    // True (after naming the field, which gets the focus) when a pin combo holds a text that
    // is none of its pins: saved, it would drive a bit no carriage listens to.
    [[nodiscard]] bool refuseUnknownPin();

    QLineEdit* makeText(const char* name, std::string SettingsFields::*field);
    QComboBox* makeCombo(const char* name, const QStringList& items,
                         std::string SettingsFields::*field);
    QCheckBox* makeCheck(const char* name, const QString& caption, int SettingsFields::*field);
    QRadioButton* makeOption(const char* name, const QString& caption, bool SettingsFields::*field);

    Workspace& ws_;
    Dialogs& dialogs_;
    Toolbar* toolbar_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame4_ = nullptr;
    template <typename Control, typename Value>
    struct Bound {
        Control* control;
        Value SettingsFields::*field;
    };
    std::vector<Bound<QLineEdit, std::string>> texts_;
    std::vector<Bound<QComboBox, std::string>> combos_;
    std::vector<std::pair<QComboBox*, QString>> pinCombos_;  // with the field's name
    std::vector<Bound<QCheckBox, int>> checks_;
    std::vector<Bound<QRadioButton, bool>> options_;

    bool loaded_ = false;
    bool refreshing_ = false;
    // What the controls show and edit; Workspace::settings.fields holds the fields in force.
    SettingsFields edits_;
    ActivationTracker activation_;
};

}  // namespace corvane
