// A planform window (left_taper, right_taper, left_TE_taper, right_TE_taper, left_LE_taper,
// right_LE_taper, Form7, Form8, concentric, eccentric): input boxes, calculated red boxes, the
// drawing, "Calculate" (which also fills the twin window) and "Done" (which hands the values to
// the setup window, Form6 or Form12).
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string_view>

#include "generate/planform.h"

class QLineEdit;
class QLabel;

namespace corvane {

class Dialogs;
class PlanformDiagram;
class Toolbar;
class Workspace;

class PlanformWindow : public QWidget {
    Q_OBJECT
public:
    // `name` is one of planformWindows(); it becomes the objectName. Throws std::invalid_argument
    // for any other name.
    PlanformWindow(std::string_view name, Workspace& ws, Dialogs& dialogs,
                   QWidget* parent = nullptr);

    const PlanformWindowInfo& info() const { return info_; }

    // Shows the window modeless and places it (the left-panel windows and the swept ones sit
    // inside the main window; the others keep their position).
    void showAndActivate();

    // Toolbar: 1 "Calculate", 2 "Done".
    void calculate();
    void done();

    // The twin window ("Calculate" copies the inputs into it), created on demand by the owner.
    void setTwinProvider(std::function<PlanformWindow*()> provider) { twin_ = std::move(provider); }
    // The setup window "Done" copies into (its boxes are found by objectName).
    void setDoneTarget(QWidget* target) { doneTarget_ = target; }

    QLineEdit* box(std::string_view name) const;
    Toolbar* toolbar() const { return toolbar_; }

protected:
    bool event(QEvent* event) override;

private:
    // True (after naming the box, which gets the focus) when an entered box holds something
    // other than a number: read as a leading number it would give 0 and a wrong chord.
    [[nodiscard]] bool refuseNonNumber();
    QLineEdit* makeBox(std::string_view name);
    QString labelFor(std::string_view name) const;

    const PlanformWindowInfo& info_;
    Workspace& ws_;
    Dialogs& dialogs_;
    bool cannotBuild_ = false;  // the last Calculate gave a tower chord of 0 or less
    Toolbar* toolbar_ = nullptr;
    PlanformDiagram* diagram_ = nullptr;
    std::vector<QLineEdit*> boxes_;
    std::function<PlanformWindow*()> twin_;
    QPointer<QWidget> doneTarget_;
};

}  // namespace corvane
