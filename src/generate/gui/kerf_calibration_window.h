// The kerf calibration window (FormKerfCalibration, "切缝标定"): makes the calibration cut (a
// comb, one tooth a speed) as the working set, draws it with the widths to measure, takes the
// widths measured with calipers, shows the kerf at each speed (nominal less measured) and
// stores the points in a material of materials.txt. Its help says the method and the
// arithmetic. Opened from the materials window.
#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "generate/kerf_calibration.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace corvane {

class Dialogs;
class KerfCalibrationDrawing;
class Toolbar;
class Workspace;

class KerfCalibrationWindow : public QWidget {
    Q_OBJECT
public:
    KerfCalibrationWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // The one calibration window of `frame`, made on first use, shown with `material` chosen
    // (the material in use when empty). `frame` may be null (tests).
    static KerfCalibrationWindow* openIn(Workspace& ws, Dialogs& dialogs, QWidget* frame,
                                         const QString& material);

    void showAndActivate();
    // The material names of materials.txt into Combo1, `material` chosen (or the one in use).
    void chooseMaterial(const QString& material);

    // The design from the boxes; nullopt after the box that says why it cannot be cut.
    std::optional<KerfCalibrationDesign> design(bool tell);
    // Command1 "生成标定切割文件": the comb's DAT file and the working set; true when made.
    bool makeCalibrationSet();
    // Command2 "计算切缝": the kerf of each measured tooth into Grid1; true when at least one.
    bool computeKerf();
    // Command3 "存入材料": the computed points into the material; true when written.
    bool storeInMaterial();
    // Command4 "方法说明": shows or hides the help.
    void toggleHelp();

    const std::vector<KerfPoint>& computed() const { return computed_; }
    Toolbar* toolbar() const { return toolbar_; }

signals:
    // materials.txt was written: a materials window shows it again.
    void materialsChanged();

protected:
    bool event(QEvent* event) override;

private:
    // The drawing and the measurement rows follow the boxes (the typed widths stay with their
    // speed).
    void designChanged();
    void refuse(const QString& text);

    Workspace& ws_;
    Dialogs& dialogs_;
    std::optional<KerfCalibrationCut> cut_;  // as drawn and listed in Grid1
    std::vector<KerfPoint> computed_;        // by speed, from the last Command2

    Toolbar* toolbar_ = nullptr;
    QComboBox* material_ = nullptr;              // Combo1
    QLineEdit* speeds_ = nullptr;                // Text1
    QLineEdit* sizes_[5] = {};                   // Text2..Text6: width, height, gap, margin, base
    KerfCalibrationDrawing* drawing_ = nullptr;  // Picture1
    QTableWidget* teeth_ = nullptr;              // Grid1
    QLabel* help_ = nullptr;                     // Label9
    QLabel* stored_ = nullptr;                   // Label10: the material last written
};

}  // namespace corvane
