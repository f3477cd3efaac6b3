// The notes window Form19: one free-text note in RichTextBox1, kept as *.fwn files in the
// application folder. Its toolbar: New, Open, Close, Save, Print, Done; an error in any of them
// is reported under "Module 19, ASX" and followed by Done (save prompt, then hide).
#pragma once

#include <QString>
#include <QWidget>

#include "platform/gui/activation_tracker.h"

class QTextEdit;

namespace corvane {

class Dialogs;
class Toolbar;
class Workspace;

class NotesWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Notes";
    static constexpr const char* kErrorLabel = "Module 19, ASX";
    static constexpr const char* kSaveTitle = "保存备注文件";
    static constexpr const char* kFilter =
        "fwn File (*.fwn)|*.fwn|Text File (*.txt)|*.txt|All (*.*)|*.*";

    // objectName "Form19"; created hidden.
    NotesWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // The toolbar's button `index` with the window's error handling (1 New, 2 Open, 3 Close,
    // 4 Save, 6 Print, 8 Done; other indexes do nothing). False when an error was reported
    // and the Done that follows it could not save either (the window and note stay).
    bool runButton(int index);

    // The note as the file keeps it: the box's text with CR LF line ends.
    QString note() const;
    void setNote(const QString& text);
    bool notePresent() const;

    QTextEdit* textBox() const { return box_; }
    Toolbar* toolbar() const { return toolbar_; }

protected:
    bool event(QEvent* event) override;
    // The close box and shut-down ask to save a note first (mayClose); refused, it stays open.
    void closeEvent(QCloseEvent* event) override;

private:
    void newNote();
    void openNote();
    void closeNote();
    void printNote();
    void done();
    // The save dialog, then the note written under the chosen name in the application folder.
    // A program file's name is refused and a file of the application folder that is not the
    // one chosen is replaced only when the operator says so; either way the dialog comes back.
    // False when the dialog was cancelled.
    bool saveWithDialog();
    // Closing (the close box, Exit): a note in the box is offered for saving first, "Save the
    // note?"; false when the operator cancels, or the save dialog, or the save fails: the
    // window and its note stay.
    bool mayClose();
    // Runs `action`; on an error: the report, then Done. False when Done failed too.
    template <class Action>
    bool guarded(Action action);

    Workspace& ws_;
    Dialogs& dialogs_;
    Toolbar* toolbar_ = nullptr;
    QTextEdit* box_ = nullptr;
    ActivationTracker activation_;
};

}  // namespace corvane
