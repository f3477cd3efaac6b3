#include "run/gui/cut_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <QWindow>

#include "common/number_format.h"
#include "generate/active_delay_set.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"
#include "platform/port_io.h"
#include "run/gui/controller_cut_driver.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/resume_offer.h"
#include "run/gui/wire_caption.h"
#include "run/kerf_speed_warning.h"
#include "run/set_drawing_loader.h"

namespace corvane {

namespace {

constexpr int kBeginCut = 1, kStop = 2, kWire = 3, kPause = 4;

const char* const kWashoutMissing =
    "Washout data not included with Cut File.  Either reload correct Cut File or regenerate the "
    "Cut File and try again.";

QString u(const char* text) {
    return QString::fromUtf8(text);
}

// The wire pin combo's not-used entry, with or without the blanks the reset puts after it.
bool wirePinUnused(const std::string& enable) {
    std::string trimmed = enable;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    return trimmed == kEnableNotUsed;
}

}  // namespace

const CutWindowVariant& CutWindowVariant::wing() {
    static const CutWindowVariant v{CutSetKind::Wing,
                                    "Form10",
                                    "机翼切割 - 切割进度信息",
                                    "Start the cutting process",
                                    "Abort Cutting Process",
                                    "Turn ON / Turn OFF Hot Wire",
                                    "切割速度调整",
                                    "Hot Wire Control OFF",
                                    "Module 10",
                                    {}};
    return v;
}

// A foam shape is one profile sized by its horizontal distance: a taller view window, no
// washout, the two sides next to each other.
const CutWindowVariant& CutWindowVariant::foam() {
    static const CutWindowVariant v{CutSetKind::Foam,
                                    "Form11",
                                    "泡沫切割 - 进度信息",
                                    "Begin Cutting Process",
                                    "Stop Cutting Process",
                                    "Hot Wire Control",
                                    "Cutting Speed Adjustment",
                                    "电热丝断电",
                                    "Module 11",
                                    {{-0.1, -0.5, 1.1, 0.5}, {-0.1, -10.0, 1.0, 10.0}, true}};
    return v;
}

QString CutWindow::wireOnCaption() {
    return u("电热丝通电");
}
QString CutWindow::wireOffCaption() {
    return u("电热丝断电");
}
QString CutWindow::wireDesignCaption() {
    return QStringLiteral("Hot Wire OFF");
}
QString CutWindow::wireClosedCaption() {
    return QStringLiteral("Hot Wire Control OFF");
}

CutWindow::CutWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent,
                     const CutWindowVariant& variant)
    : QWidget(parent, Qt::Window), variant_(variant), ws_(ws), dialogs_(dialogs), runner_(ws) {
    setObjectName(u(variant_.objectName));
    setWindowTitle(u(variant_.caption));

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({
        {QStringLiteral("Begin Cut"), u(variant_.beginTip), {}, u(variant_.beginTip)},
        {QStringLiteral("Stop"), u(variant_.stopTip), {}, u(variant_.stopTip)},
        {wireDesignCaption(), u(variant_.wireTip), {}, u(variant_.wireTip)},
        {QStringLiteral("Pause Cut"),
         QStringLiteral("Pause Cutting Process"),
         {},
         QStringLiteral("Pause Cutting Process")},
    });
    connect(toolbar_, &Toolbar::buttonClicked, this, &CutWindow::onToolbar);
    wireCaption_ = std::make_unique<WireCaptionBinding>(ws_, *toolbar_, kWire);

    controls_ = new QWidget(this);
    auto* rows = new QVBoxLayout(controls_);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(4, 2, 4, 2);
    rows->addLayout(row);

    auto* speedBox = new QGroupBox(u(variant_.speedTitle), controls_);
    auto* speedRow = new QHBoxLayout(speedBox);
    slider_ = new QSlider(Qt::Horizontal, speedBox);
    slider_->setObjectName(QStringLiteral("Slider1"));
    // The left end is the slowest real speed, 0.2 mm/s: a speed of 0 would end the cut.
    slider_->setMinimum(1);
    slider_->setMinimumWidth(160);
    slider_->installEventFilter(this);
    connect(slider_, &QSlider::valueChanged, this, &CutWindow::onSlider);
    speedLabel_ = new QLabel(speedBox);
    speedLabel_->setObjectName(QStringLiteral("Label4"));
    speedLabel_->setMinimumWidth(40);
    speedRow->addWidget(slider_);
    speedRow->addWidget(new QLabel(u("切割速度\n毫米/秒"), speedBox));
    speedRow->addWidget(speedLabel_);
    row->addWidget(speedBox);

    row->addWidget(new QLabel(QStringLiteral("Delay Value"), controls_));
    pauseText_ = new QLineEdit(QStringLiteral("1"), controls_);
    pauseText_->setObjectName(QStringLiteral("Text1"));
    pauseText_->setMaximumWidth(80);
    connect(pauseText_, &QLineEdit::textChanged, this, &CutWindow::onPauseText);
    row->addWidget(pauseText_);
    row->addWidget(new QLabel(QStringLiteral("milliseconds"), controls_));
    row->addSpacing(20);

    row->addWidget(new QLabel(QStringLiteral("Percent Complete"), controls_));
    percentLabel_ = new QLabel(QStringLiteral("0"), controls_);
    percentLabel_->setObjectName(QStringLiteral("Label5"));
    percentLabel_->setMinimumWidth(30);
    row->addWidget(percentLabel_);
    row->addWidget(new QLabel(QStringLiteral("%"), controls_));
    speedErrorLabel_ = new QLabel(controls_);
    speedErrorLabel_->setObjectName(QStringLiteral("speedErrorLabel"));
    // The last cut's figures take the room that is left, never the slider's: a long text is cut
    // short at the window's edge (its tool tip holds it whole).
    speedErrorLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    speedBox->setMinimumWidth(speedBox->sizeHint().width());
    row->addSpacing(12);
    row->addWidget(speedErrorLabel_, 1);
    // Beside Begin Cut on a simulated port, so a dry run is never taken for a cut.
    simulatedPortNote_ = new QLabel(QStringLiteral("Simulated port: nothing will move"), controls_);
    simulatedPortNote_->setObjectName(QStringLiteral("SimulatedPortNote"));
    simulatedPortNote_->setStyleSheet(
        QStringLiteral("QLabel { color: #003a8c; background: #dce9ff; font-weight: bold; "
                       "padding: 2px 6px; }"));
    simulatedPortNote_->setVisible(!ws_.port().isHardware());
    row->addWidget(simulatedPortNote_, 0, Qt::AlignVCenter);
    // Below the controls, the slider's speed against the speed the set was made for. Its row is
    // kept while the set has such a speed, so the warning coming and going mid-cut moves no
    // drawing.
    kerfWarningRow_ = new QWidget(controls_);
    auto* warningRow = new QHBoxLayout(kerfWarningRow_);
    warningRow->setContentsMargins(4, 0, 4, 2);
    kerfWarning_ = new QLabel(kerfWarningRow_);
    kerfWarning_->setObjectName(QStringLiteral("kerfWarningLabel"));
    kerfWarning_->setStyleSheet(
        QStringLiteral("QLabel { color: #7a3e00; background: #ffe8c2; font-weight: bold; "
                       "padding: 2px 6px; }"));
    kerfWarning_->setToolTip(
        u("滑块速度偏离生成切割文件时的速度超过 %1% 时显示此提示; 切割中不会重新生成切割文件。")
            .arg(qRound(kKerfSpeedFraction * 100)));
    kerfWarning_->ensurePolished();
    kerfWarning_->setText(QStringLiteral("X"));
    kerfWarningRow_->setMinimumHeight(kerfWarning_->sizeHint().height() + 2);
    kerfWarning_->hide();
    warningRow->addWidget(kerfWarning_);
    warningRow->addStretch(1);
    rows->addWidget(kerfWarningRow_);
    kerfWarningRow_->hide();
    controllerCut_ = std::make_unique<ControllerCutDriver>(ws_, dialogs_, this, *toolbar_,
                                                           *percentLabel_, *speedErrorLabel_);

    progress_ = new CutProgressView(*this, variant_.view);
    // The controller's cut marks what the machine has done, as the port's runner does.
    controllerCut_->onSegmentDone = [this](int g) {
        progress_->markSegment(g);
        emit segmentMarked(g);
    };
    connect(progress_, &CutProgressView::scrolled, this, [this] {
        markDelayPoints();
        slider_->setFocus();
    });

    loadingFrame_ = new QGroupBox(QStringLiteral("Loading Drawing"), this);
    loadingFrame_->setObjectName(QStringLiteral("Frame3"));
    auto* loadingRow = new QHBoxLayout(loadingFrame_);
    loadingBar_ = new QProgressBar(loadingFrame_);
    loadingBar_->setObjectName(QStringLiteral("ProgressBar1"));
    loadingRow->addWidget(loadingBar_);
    loadingFrame_->hide();

    resume_ = new ResumeOffer(ws_, dialogs_, *progress_, this);
    connect(resume_, &ResumeOffer::resumeRequested, this,
            [this](const ResumePlan& plan) { runCut(&plan); });

    paced_ = std::make_unique<PacedYield>(ws_);
    runner_.record =
        variant_.kind == CutSetKind::Foam ? CutRunner::Record::Foam : CutRunner::Record::Wing;
    runner_.yield = [this] { paced_->yield(); };
    runner_.onSegmentDone = [this](int g) {
        progress_->markSegment(g);
        emit segmentMarked(g);
    };
    runner_.onTick = [this](const CutStats& stats) {
        if (!runner_.stopRequested()) pendingPercent_ = stats.percentComplete();
        // The first tick of the set ends the lead-in.
        if (leadInShown_ && stats.setTicks > 0) {
            leadInShown_ = false;
            ws_.setStatus(2, std::string());
        }
    };
    paced_->onPaint = [this] {
        if (pendingPercent_ != lastPercent_ && !runner_.stopRequested()) {
            lastPercent_ = pendingPercent_;
            percentLabel_->setText(QString::number(lastPercent_));
        }
    };

    // A modal box closing hands the activation back to this window; that is not the operator
    // coming back to it, so it does not reload the drawings.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
        if (focused && focused != windowHandle())
            returnFromModal_ = focused->modality() != Qt::NonModal;
    });
}

CutWindow::~CutWindow() {
    runner_.requestStop();
}

// Load: once per showing after a close, as a fresh window would.
void CutWindow::load() {
    loaded_ = true;
    toolbar_->setButtonCaption(kWire, wireDesignCaption());
    wireCaption_->refresh();
    toolbar_->setButtonEnabled(kWire, !wirePinUnused(ws_.settings.fields.enable));
    percentLabel_->setText(QStringLiteral("0"));
    {
        const QSignalBlocker quiet(pauseText_);
        pauseText_->setText(QStringLiteral("1"));
    }
    progress_->setUp();
    if (const QWidget* frame = frameOf(*this)) {
        // The main window's area less 200 by 100 twips, short enough that the title bar and
        // frame leave the main window's status bar in view.
        const QWidget* inner = innerAreaOf(*frame);
        resize(fitInInnerArea(*this,
                              QSize(inner->width() - twipsToPixels(200, logicalDpiX()),
                                    inner->height() - twipsToPixels(100, logicalDpiY())),
                              Placement::Corner, frame));
    } else if (!testAttribute(Qt::WA_Resized)) {
        resize(1000, 720);
    }
    layOutControls();
    progress_->redraw();
}

void CutWindow::layOutControls() {
    const int w = width();
    toolbar_->setGeometry(0, 0, w, toolbar_->sizeHint().height());
    const int controlsTop = toolbar_->sizeHint().height();
    const int controlsH = controls_->sizeHint().height();
    controls_->setGeometry(0, controlsTop, w, controlsH);
    int framesTop = controlsTop + controlsH + 4;
    if (resume_->isVisibleTo(this)) {
        resume_->setGeometry(0, framesTop - 4, w, resume_->sizeHint().height());
        framesTop += resume_->sizeHint().height();
    }
    progress_->layOut(size(), framesTop, variant_.view.sideBySide);
    loadingFrame_->setGeometry(w / 4, framesTop + 40, w / 2, loadingFrame_->sizeHint().height());
    loadingFrame_->raise();
}

void CutWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutControls();
}

void CutWindow::showEvent(QShowEvent* event) {
    if (!loaded_) load();
    QWidget::showEvent(event);
}

// Deactivation has nothing to undo: the tick waits spin on the monotonic clock and do not
// depend on the system timer's resolution.
bool CutWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        const bool fromModal = returnFromModal_;
        returnFromModal_ = false;
        if (!fromModal) activate();
    }
    return QWidget::event(event);
}

void CutWindow::activate() {
    if (activating_) return;  // events processed while loading may activate us again
    // A late activation of a window already closed (a shut-down in between) loads nothing.
    if (!isVisible()) return;
    activating_ = true;
    // A controller chosen since the window was built moves the machine after all.
    simulatedPortNote_->setVisible(!ws_.port().isHardware() && ws_.controller == nullptr);
    // The main toolbar goes first: the window is placed in the inner area it leaves.
    emit mainToolbarVisibilityRequested(false);
    placeInFrame(*this, Placement::Corner);
    emit homeControlMenuEnableRequested();
    if (runner_.running()) {  // a running cut keeps the set it started with
        activating_ = false;
        return;
    }
    // Speed slider: its top is the settings' maximum; it shows CutSpeed.
    slider_->setMaximum(ws_.settings.derived.SpeedSliderMax);
    speedLabel_->setText(QString::fromStdString(formatDouble(ws_.motion.CutSpeed.toDouble())));
    slider_->setValue(toInt32(ws_.motion.CutSpeed.toDouble() * 5));
    // A speed of 0 from the setup boxes becomes the slider's slowest position.
    if (ws_.motion.CutSpeed <= Fixed4{}) onSlider(slider_->value());
    // The warning's row while the working set has a made-for speed (after the slider is set).
    madeFor_ = madeForSpeedMmS(ws_);
    const bool rowWanted = madeFor_.has_value();
    if (rowWanted != kerfWarningRow_->isVisibleTo(this)) {
        kerfWarningRow_->setVisible(rowWanted);
        layOutControls();
    }
    updateKerfWarning();

    toolbar_->setButtonEnabled(kBeginCut, true);
    toolbar_->setButtonEnabled(kStop, true);
    loadingBar_->setValue(0);
    loadingFrame_->show();
    // A shut-down asked for by a signal (a socket notifier) waits until the activation is done:
    // run from inside it, it would unload windows Qt is still activating.
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);

    // The drawings are built again; the zoom and scroll the operator chose stay.
    progress_->clearDrawings();
    const SetDrawing set = loadSetDrawing(ws_, variant_.kind);
    using R = SetDrawing::Result;
    switch (set.result) {
        case R::DatInfoUnreadable:
            loadingFrame_->hide();
            reportError(dialogs_, *set.error, label("FA"));
            break;
        case R::WashoutMissing:
            loadingFrame_->hide();
            dialogs_.message(u(kWashoutMissing), QCoreApplication::applicationName());
            hide();
            // Hidden, the window can no longer be closed, so the main toolbar comes back now.
            emit mainToolbarVisibilityRequested(true);
            break;
        case R::UnequalProfiles:
            loadingFrame_->hide();
            dialogs_.message(u(kDatCountsDiffer), u(kDatFileErrorTitle));
            break;
        case R::ProfileUnreadable:
            loadingFrame_->hide();
            // The foam activation reports every failure under its own label.
            if (variant_.kind == CutSetKind::Foam) {
                reportError(dialogs_, *set.error, label("FA"));
                break;
            }
            dialogs_.message(
                QStringLiteral(
                    "The profile file %1 could not be read (%2). The drawing is not shown; "
                    "check the file or regenerate the Cut File.")
                    .arg(QString::fromStdString(set.failedPath),
                         QString::fromStdString(set.error ? set.error->description()
                                                          : std::string())));
            break;
        case R::Ok:
            progress_->build(set.left, set.right, set.scale, [this](int value, int maximum) {
                loadingBar_->setMaximum(maximum);
                loadingBar_->setValue(value);
                QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
            });
            progress_->addFaceOutlines(set.leftFace, set.rightFace);
            loadingFrame_->hide();
            break;
    }
    // Past the eight values a failed drawing step is skipped, so the delay points are read
    // again whether or not the profiles could be drawn; a count file that cannot be read is
    // reported with the rebuild's own label and leaves the points read before the fault.
    // The foam runner's activation ends at any failure: its delay points stay as they were.
    const bool foam = variant_.kind == CutSetKind::Foam;
    if (set.result == R::Ok || (set.result == R::ProfileUnreadable && !foam)) {
        const std::string report = rebuildActiveDelayPointsReported(ws_);
        if (!report.empty()) dialogs_.message(QString::fromStdString(report));
        markDelayPoints();
    }
    showResumeOffer();
    activating_ = false;
}

QString CutWindow::label(const char* handler) const {
    return u(variant_.module) + QStringLiteral(", ") + QString::fromLatin1(handler);
}

void CutWindow::markDelayPoints() {
    progress_->markDelayPoints(ws_.delays);
}

}  // namespace corvane
