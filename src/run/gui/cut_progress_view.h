// The drawing part of the cut runner windows: the left and right profile, each in its own frame
// with a drawing view and a vertical scroll bar, finished segments marked red, delay points
// marked, both views zoomed and scrolled together.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "run/progress_geometry.h"

class QGroupBox;
class QScrollBar;
class QWidget;

namespace corvane {

class DrawingView;
struct ActiveDelaySet;

class CutProgressView : public QObject {
    Q_OBJECT
public:
    // Creates the two frames ("左侧切割文件" / "右侧切割文件") with DXFReader1/VScroll1 and
    // DXFReader2/VScroll2 as children of `window`; `numbers` are its limits and view window.
    explicit CutProgressView(QWidget& window, const ProgressViewNumbers& numbers = {});

    // Clears both drawings and sets them up (layer "0", colour 7, limits, view window, dates),
    // and puts both scroll bars back to 0: a newly loaded window's view and bars agree.
    void setUp();
    // Removes the profiles and every mark; zoom, scroll and bars stay as the operator left them.
    void clearDrawings();

    // Replaces both drawings with the profiles at their scales. `progress(value, maximum)` is
    // called for every entity appended (the "Loading Drawing" bar); it may let events run.
    void build(const Profile& left, const Profile& right, ScaleFactors scale,
               const std::function<void(int, int)>& progress = {});
    // A face set's designed face outlines, lightly after the profiles (the profiles keep their
    // entity numbers, which delay points and segment marks go by). Nothing for empty profiles.
    void addFaceOutlines(const Profile& left, const Profile& right);
    bool hasProfiles() const { return static_cast<int>(left_.size()) > 0; }
    int pointCount() const { return static_cast<int>(left_.size()); }

    // Draws the segment ending at point g (2..P) in red on both views. RunError
    // SubscriptOutOfRange when g is beyond the profiles; nothing while no profile is drawn.
    void markSegment(int g);
    // A red marker at the end point of every active delay point's entity on both views.
    void markDelayPoints(const ActiveDelaySet& delays);
    // A marker of `color` on both views where the wire is at profile point `point` (a point
    // number with the fraction of the next segment made, 2.5: halfway from point 2 to 3).
    void markPoint(double point, std::uint32_t color, double size = 0.02);
    // Regenerates both views: segment marks and markers go, the profiles stay.
    void redraw();
    void zoomIn();
    void zoomOut();

    // Frames side by side (the foam runner) or one above the other (the wing runner), sized from
    // the window's size; `top` is where the frames start inside the window (pixels). Frames are
    // made shorter than their share when the window is too short to hold them whole.
    void layOut(QSize windowSize, int top, bool sideBySide = false);

    DrawingView& leftView() { return *views_[0]; }
    DrawingView& rightView() { return *views_[1]; }
    QScrollBar& scrollBar(int i) { return *bars_[i]; }
    QGroupBox& frame(int i) { return *frames_[i]; }

signals:
    // A scroll bar moved: the window marks the delay points again and gives the slider focus.
    void scrolled();

private:
    void onScroll(int bar, int value);
    // The first drawings after loading show the profiles whole.
    void fitToProfiles();

    QWidget& window_;
    ProgressViewNumbers numbers_;
    QGroupBox* frames_[2];
    DrawingView* views_[2];
    QScrollBar* bars_[2];
    double previous_[2] = {0, 0};
    bool viewChosen_ = false;  // fitted once, or zoomed or scrolled by the operator, since loading
    Profile left_;
    Profile right_;
    ScaleFactors scale_;
};

}  // namespace corvane
