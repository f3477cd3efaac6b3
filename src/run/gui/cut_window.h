// The cut progress windows Form10 (wing) and Form11 (foam): one window that runs the working
// cut-file set on the machine with the wire under the operator's hand, lead moves, pauses, live
// speed, Stop and Pause, and draws both profiles with each finished segment marked.
#pragma once

#include <QWidget>
#include <memory>

#include "generate/cut_generator.h"
#include "run/cut_runner.h"
#include "run/gui/paced_yield.h"
#include "run/progress_geometry.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QGroupBox;
class QSlider;

namespace corvane {

class Dialogs;
class Toolbar;
class Workspace;
class CutProgressView;
class ManualControlWindow;
class WireCaptionBinding;
class ControllerCutDriver;
class ResumeOffer;
struct ResumePlan;

// What sets the foam runner apart from the wing runner: its texts, what its activation reads,
// its views' numbers and the frames side by side. Everything else is the same window.
struct CutWindowVariant {
    CutSetKind kind;
    const char* objectName;
    const char* caption;
    const char* beginTip;
    const char* stopTip;
    const char* wireTip;
    const char* speedTitle;         // the frame around the speed slider
    const char* wireClosedCaption;  // toolbar button 3 once the window is closed
    const char* module;             // "Module 10": its handlers' error labels start with it
    ProgressViewNumbers view;

    static const CutWindowVariant& wing();  // Form10
    static const CutWindowVariant& foam();  // Form11
};

// Status panel 2 while a cut's lead-in runs.
inline constexpr const char* kLeadInStatus = "Lead-in";

class CutWindow : public QWidget {
    Q_OBJECT
public:
    CutWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr,
              const CutWindowVariant& variant = CutWindowVariant::wing());
    ~CutWindow() override;

    // The activation steps (placement, slider, toolbar, loading, drawings, delay points); run on
    // every activation of the window. While a cut runs it only places the window.
    void activate();

    bool cutting() const { return runner_.running() || controllerCutting(); }
    const CutWindowVariant& variant() const { return variant_; }
    CutProgressView& progressView() { return *progress_; }
    Toolbar& toolbar() { return *toolbar_; }
    ResumeOffer& resumeOffer() { return *resume_; }
    // How the last cut ended (nothing before the first).
    const std::optional<CutOutcome>& lastOutcome() const { return lastOutcome_; }
    const PacedYield& pacedYield() const { return *paced_; }

    // The design-time and state captions of toolbar button 3 (the foam window's closed caption
    // is its variant's).
    static QString wireOnCaption();      // "电热丝通电"
    static QString wireOffCaption();     // "电热丝断电"
    static QString wireDesignCaption();  // "Hot Wire OFF"
    static QString wireClosedCaption();  // "Hot Wire Control OFF"

signals:
    // The main window's toolbar: hidden while this window is up, shown again when it closes.
    void mainToolbarVisibilityRequested(bool visible);
    // The main window's home-control menu ("起点控制") is enabled on activation.
    void homeControlMenuEnableRequested();
    // F5 on the speed slider: the manual-control window Form15 is wanted (when nothing listens,
    // the window opens a Form15 of its own).
    void manualControlRequested();
    // A segment of the running cut is finished and marked (its end point, 2 for the first).
    void segmentMarked(int segmentEnd);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void onToolbar(int index);
    void beginCut();
    // Begin Cut, or the resume of a stopped cut with a plan.
    void runCut(const ResumePlan* resume);
    void stopCut();
    void switchWire();
    void pauseCut();
    void onSlider(int value);
    // The kerf warning for the slider's speed against the set's made-for speed.
    void updateKerfWarning();
    void onPauseText(const QString& text);
    void finish();
    // A cut that failed leaves no wire on.
    void wireOffAfterFailure();
    void showResumeOffer();
    void markDelayPoints();
    void layOutControls();
    void openManualControl();
    bool controllerCutting() const;
    // An error label of this window's handler: "Module 10, BC" or "Module 11, BC".
    QString label(const char* handler) const;

    const CutWindowVariant& variant_;
    Workspace& ws_;
    Dialogs& dialogs_;
    CutRunner runner_;
    std::optional<CutOutcome> lastOutcome_;
    bool loaded_ = false;
    bool activating_ = false;
    bool returnFromModal_ = false;
    int lastPercent_ = -1;
    bool toldPriority_ = false;  // the refusal of real-time priority is shown once
    int pendingPercent_ = 0;     // shown at the next paint slot
    bool leadInShown_ = false;   // status panel 2 says "Lead-in" until the set's first tick

    Toolbar* toolbar_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* speedLabel_ = nullptr;       // Label4
    QLineEdit* pauseText_ = nullptr;     // Text1
    QLabel* percentLabel_ = nullptr;     // Label5
    QLabel* speedErrorLabel_ = nullptr;  // the last cut's mean speed error
    QLabel* simulatedPortNote_ = nullptr;
    QWidget* kerfWarningRow_ = nullptr;  // shown while the set has a made-for speed
    QLabel* kerfWarning_ = nullptr;      // kerfWarningLabel: the slider far from that speed
    std::optional<double> madeFor_;      // the working set's made-for speed, read on activation
    std::unique_ptr<PacedYield> paced_;  // the yield of a cut, texts at most 30 a second
    QWidget* controls_ = nullptr;
    QGroupBox* loadingFrame_ = nullptr;
    QProgressBar* loadingBar_ = nullptr;
    CutProgressView* progress_ = nullptr;
    ManualControlWindow* manual_ = nullptr;
    ResumeOffer* resume_ = nullptr;  // shown while the working set has a stopped cut
    std::unique_ptr<WireCaptionBinding> wireCaption_;     // button 3 follows the wire state
    std::unique_ptr<ControllerCutDriver> controllerCut_;  // the same controls on a controller
};

}  // namespace corvane
