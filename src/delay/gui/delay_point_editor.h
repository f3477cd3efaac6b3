// The delay-point editor DelayForm: draws the left or right profile of the job as a chain of
// segments, lets the operator pick segments (zooming and scrolling to reach small ones), keeps
// them in List1 and, when saved, makes them the active delay-point set of the next generation.
#pragma once

#include <QPointF>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "machine/workspace.h"

class QAction;
class QGroupBox;
class QListWidget;
class QMenu;
class QProgressBar;
class QScrollBar;
class QWindow;

namespace corvane {

class Dialogs;
class DrawingView;
class Toolbar;
class Workspace;

class DelayPointEditor : public QWidget {
    Q_OBJECT
public:
    enum class Side { Left, Right };

    DelayPointEditor(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);
    ~DelayPointEditor() override;

    // "Add Delay Points" of the generation windows (Form14, Form1): refuses with "DAT file must be
    // entered to add delay points" (title "DAT File not Found") when either path is blank;
    // otherwise creates the editor on first use (a window of its own above `parent`), gives it
    // the two paths and shows it modeless with its activation steps. Returns the editor, or null
    // when refused.
    static DelayPointEditor* openFor(QPointer<DelayPointEditor>& editor, Workspace& ws,
                                     Dialogs& dialogs, QWidget* parent, const QString& leftPath,
                                     const QString& rightPath);

    // The profile files drawn by "Open Left Profile" / "Open Right Profile".
    void setProfilePaths(const QString& leftPath, const QString& rightPath);
    QString profilePath(Side side) const;

    // Shows the window modeless and runs the activation steps: lay out on first show, draw the
    // left profile, place at 10, 10 twips inside the main window, draw the markers.
    void showAndActivate();
    void activate();

    // --- the window's operations (toolbar, menus, keys) -------------------------------------
    // Draws a profile; false (after a message) when its file cannot be read.
    bool showProfile(Side side);
    void selectDelayPoint();
    void zoomWindow();
    void zoomLimits();
    void zoomPrevious();
    void zoomIn();
    void zoomOut();
    void cancelOperation();
    void clearDelayPoints();
    void deleteSelected();
    // "Done": the save question when the list is not empty, then hide.
    void done();

    // Clicks and pointer movements in drawing coordinates (the view's events go here).
    void clickAt(double x, double y);
    void pointerAt(double x, double y);

    // The step numbers of List1's lines, first to last.
    std::vector<int> listedSteps() const;
    Side shownSide() const { return shownSide_; }
    bool pickAwaited() const { return pickAwaited_; }
    bool firstCornerAwaited() const { return firstCornerAwaited_; }
    bool secondCornerAwaited() const { return secondCornerAwaited_; }
    DrawingView& view() { return *view_; }

    // "Cut Step " followed by the number.
    static QString listLine(int step);
    // The number in a list line: the text from its tenth character on, as a whole number.
    static int stepOfLine(const QString& line);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Drawing units: the marker on each listed point.
    static constexpr double kMarkerSize = 0.01;
    void buildControls();
    void buildMenus();
    void load();
    void layOut();
    void onToolbar(int index);
    void onScroll(int value);
    void drawMarkers();
    void showStatus(const QString& text);
    void setActiveCountToList();
    // The save question when the list is not empty; Yes makes the list the active set.
    void offerSave();
    // Unloading empties the window; it loads again on the next show.
    void unload();
    void popUp(QMenu* menu, const QPoint& globalPos);

    Workspace& ws_;
    Dialogs& dialogs_;
    QString leftPath_;
    QString rightPath_;
    Side shownSide_ = Side::Left;
    std::vector<double> x_;  // the profile shown, point k at [k - 1]
    std::vector<double> y_;

    bool loaded_ = false;
    bool loading_ = false;
    bool abortLoading_ = false;
    bool activating_ = false;
    bool openedByOpener_ = false;
    bool pickAwaited_ = false;
    bool firstCornerAwaited_ = false;
    bool secondCornerAwaited_ = false;
    QPointF firstCorner_;
    int lastPicked_ = 0;
    double scrollPrevious_ = 0;
    QPointer<QWindow> previousFocus_;
    // The active set as it stood before Clear or Delete first changed its count; a No to the
    // save question puts it back whole.
    std::optional<ActiveDelaySet> beforeEdit_;

    Toolbar* toolbar_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QListWidget* list_ = nullptr;
    DrawingView* view_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QMenu* openPopMenu_ = nullptr;
    QMenu* manageList_ = nullptr;
};

}  // namespace corvane
