// The foam setup window (Form12, "泡沫切割 - 设置信息"): the cutting speed and the horizontal size
// of the shape at each tower, from the concentric or eccentric planform window or the
// non-tapered questions; its confirm button stores CutSpeed and the two sizes in the workspace.
#pragma once

#include <QPointer>
#include <QWidget>
#include <optional>
#include <string_view>

class QLineEdit;

namespace corvane {

class Dialogs;
class PlanformWindow;
class Toolbar;
class Workspace;

class FoamSetupWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "Form12".
    FoamSetupWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);
    // The planform windows it opened go with it (they copy into its boxes).
    ~FoamSetupWindow() override;

    // Shows the window modeless and places it inside the main window.
    void showAndActivate();

    // Toolbar: 1 "Concentric Cut", 2 "Eccentric Cut", 3 "Non-tapered Cut", 4 "Done".
    void openPlanform(std::string_view name);
    void nonTaperedCut();
    // Command2 "设置完成".
    void confirm();
    // Command3 "材料与切缝...": the materials window (one for the whole program).
    void openMaterials();

    // `concentric` or `eccentric`, created hidden on first use; null for any other name.
    PlanformWindow* planformWindow(std::string_view name);

    QLineEdit* text(int number) const;
    Toolbar* toolbar() const { return toolbar_; }

protected:
    bool event(QEvent* event) override;

private:
    // Asks until the answer is a number greater than 0; nullopt when it is empty or cancelled.
    std::optional<double> askPositive(const QString& title, const QString& prompt,
                                      const QString& invalid);

    Workspace& ws_;
    Dialogs& dialogs_;
    Toolbar* toolbar_ = nullptr;
    QPointer<PlanformWindow> planforms_[2];
};

}  // namespace corvane
