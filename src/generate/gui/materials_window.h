// The materials window (FormMaterials, "材料与切缝"): the foam materials of materials.txt with
// the kerf each melts at a speed, measured by the operator's own test cuts (Command8 opens the
// calibration cut). Materials and their (speed, kerf[, power]) points are added, edited and
// removed here, and one is chosen for the next generation (or none). Every change is written at
// once, under the application folder's lock, and a file that cannot be read is never written
// over. Opened from Form6 and Form12.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "generate/materials.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace corvane {

class Dialogs;
class Toolbar;
class Workspace;

class MaterialsWindow : public QWidget {
    Q_OBJECT
public:
    MaterialsWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // The one materials window of `frame` (a window of its own above it), made on first use,
    // shown and activated. `frame` may be null (tests): the window then stands alone.
    static MaterialsWindow* openIn(Workspace& ws, Dialogs& dialogs, QWidget* frame);

    // Reads materials.txt again, shows it, places the window and brings it up.
    void showAndActivate();
    // Reads materials.txt again; a file that cannot be read is said once and left untouched.
    void reload();

    // Command3 "新建材料": an empty editor for a new material.
    void newMaterial();
    // Command4 "保存材料": the editor's name and points into materials.txt (added, or replacing
    // the material being edited). False when refused or not written.
    bool saveMaterial();
    // Command5 "删除材料": the material chosen in List1, after a question.
    bool removeMaterial();
    // Command6 "设为使用中" / Command7 "不使用材料".
    bool useSelected();
    bool useNone();
    // Command1 / Command2: a row for another point, or the current row taken away.
    void addPointRow();
    void removePointRow();
    // Command8 "切缝标定...": the calibration window for the material in the editor (or the
    // one in use).
    void openCalibration();
    // Picks a material of the list by name and loads it into the editor.
    bool select(const std::string& name);

    const MaterialTable& table() const { return table_; }
    Toolbar* toolbar() const { return toolbar_; }

protected:
    bool event(QEvent* event) override;

private:
    void showTable(const std::string& selectName);
    void loadEditor(const Material* m);
    void showKerfAtCutSpeed();
    QString selectedName() const;
    // The editor's points; nullopt after the refusal box naming the row.
    std::optional<std::vector<KerfPoint>> editorPoints();
    // Checks that the file could be read; otherwise says why nothing is written.
    bool refuseUnreadableFile();
    // Writes `edit` into materials.txt under the folder's lock; false after the error box.
    bool write(const std::function<bool(MaterialTable&)>& edit, const char* handler);
    void refuse(const QString& text);

    Workspace& ws_;
    Dialogs& dialogs_;
    MaterialTable table_;
    std::string fileFault_;  // why materials.txt could not be read; empty when it could
    std::string editing_;    // the material in the editor; empty for a new one

    Toolbar* toolbar_ = nullptr;
    QListWidget* list_ = nullptr;       // List1
    QLabel* inUse_ = nullptr;           // Label2
    QLineEdit* name_ = nullptr;         // Text1
    QTableWidget* points_ = nullptr;    // Grid1
    QLabel* kerfAtSpeed_ = nullptr;     // Label5
    QPushButton* calibrate_ = nullptr;  // Command8
};

}  // namespace corvane
