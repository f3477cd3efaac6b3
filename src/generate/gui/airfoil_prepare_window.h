// The airfoil preparation window: a root and a tip file resampled to one point count and one
// cutting order (the core's airfoil_prepare), drawn over their originals with the leading edges
// marked, with each file's check figures; Save writes both and hands their paths back.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "generate/airfoil_prepare.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace corvane {

class Dialogs;
class Toolbar;
struct FileDialogRequest;

// The open-file request every airfoil chooser asks with, starting in `folder`.
FileDialogRequest airfoilFileRequest(const QString& folder);
class AirfoilDrawing;

class AirfoilPrepareWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "AirfoilPrepare"; Text1/Text2 the root and tip files (Command2/Command3
    // browse), Text3 the point count, Check1 lower surface first, Picture1 the drawing,
    // Label3/Label4 the check figures. Toolbar: 1 Prepare, 2 Save, 3 separator, 4 Done.
    AirfoilPrepareWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    void setFiles(const QString& root, const QString& tip);
    // Reads both files and prepares them; a file that cannot be read shows its reason in its
    // figures. True when both are prepared.
    bool prepare();
    // Asks for the two file names, writes both; emits `saved`. False when cancelled or refused.
    bool save();
    void browse(bool root);

signals:
    void saved(const QString& rootPath, const QString& tipPath);

private:
    struct Side {
        std::optional<AirfoilSurfaces> original;
        std::optional<PreparedProfile> prepared;
        QString error;
    };
    void onToolbar(int index);
    Side prepareSide(const QString& path, const PrepareOptions& options, QLabel* figures);

    Dialogs& dialogs_;
    Toolbar* toolbar_ = nullptr;
    QLineEdit* root_ = nullptr;    // Text1
    QLineEdit* tip_ = nullptr;     // Text2
    QLineEdit* points_ = nullptr;  // Text3
    QCheckBox* lowerFirst_ = nullptr;
    QLabel* rootFigures_ = nullptr;
    QLabel* tipFigures_ = nullptr;
    AirfoilDrawing* drawing_ = nullptr;
    Side sides_[2];
    QString folder_;
};

}  // namespace corvane
