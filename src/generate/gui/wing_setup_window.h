// The wing setup window (Form6, "机翼切割 - 设置信息"): the finished wing in tapered or constant
// chord mode, the four planform buttons that open the planform windows, and the confirm buttons
// that store CutSpeed, LeftTowerChord and RightTowerChord in the workspace.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {

class Dialogs;
class PlanformWindow;
class Toolbar;
class Workspace;

class WingSetupWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "Form6"; starts in tapered mode with "Right Wing Panel" chosen.
    WingSetupWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);
    // The planform windows it opened go with it (they copy into its boxes).
    ~WingSetupWindow() override;

    // Shows the window modeless and places it inside the main window.
    void showAndActivate();

    // Toolbar: 1 "Tapered Wing", 2 "Constant Cord Wing", 3 "Done".
    void setTaperedMode();
    void setConstantChordMode();
    bool isTaperedMode() const;

    // Command1 / Command2 "设置完成".
    void confirmTapered();
    void confirmConstantChord();

    // Command6..Command9: opens the planform window for the chosen wing half.
    void openPlanform(int command);
    // Command10 "材料与切缝...": the materials window (one for the whole program).
    void openMaterials();

    // A wing planform window (left_taper ... Form8), created hidden on first use; its "Done"
    // fills this window's boxes. Null for any other name.
    PlanformWindow* planformWindow(std::string_view name);

    Toolbar* toolbar() const { return toolbar_; }

protected:
    bool event(QEvent* event) override;

private:
    QLineEdit* addBox(QWidget* frame, QGridLayout* grid, int row, int number, const QString& label);
    void mirrorConstantChord();
    void mirrorConstantSpan();
    QLineEdit* text(int number) const;

    Workspace& ws_;
    Dialogs& dialogs_;
    Toolbar* toolbar_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* planformButtons_[4] = {};
    QLabel* planformLabel_ = nullptr;
    QLabel* constantChordLabel_ = nullptr;
    QLabel* text2Label_ = nullptr;
    std::map<std::string, QPointer<PlanformWindow>, std::less<>> planforms_;
};

}  // namespace corvane
