#include "troubleshoot/gui/port_troubleshooter_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

#include "common/run_error.h"
#include "machine/gui/port_refusal.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/fitted_body.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"
#include "platform/port_io.h"
#include "troubleshoot/gui/pin_connector.h"
#include "troubleshoot/gui/rtf_view.h"

namespace corvane {

namespace {

// The pin captions of Frame1 with their label names, in the order shown.
struct PinRow {
    const char* caption;
    const char* label;
    std::string SettingsFields::*field;
};
const PinRow kPinRows[8] = {
    {"X1 Dir.", "x1dir", &SettingsFields::x1_dir}, {"X1 Step", "x1step", &SettingsFields::x1_step},
    {"Y1 Dir.", "y1dir", &SettingsFields::y1_dir}, {"Y1 Step", "y1step", &SettingsFields::y1_step},
    {"X2 Dir.", "x2dir", &SettingsFields::x2_dir}, {"X2 Step", "x2step", &SettingsFields::x2_step},
    {"Y2 Dir.", "y2dir", &SettingsFields::y2_dir}, {"Y2 Step", "y2step", &SettingsFields::y2_step},
};

struct ReverseRow {
    const char* caption;
    const char* box;
    int SettingsFields::*field;
};
const ReverseRow kReverseRows[4] = {
    {"X1 Reversed", "Check1", &SettingsFields::reverseX1},
    {"Y1 Reversed", "Check2", &SettingsFields::reverseY1},
    {"X2 Reversed", "Check3", &SettingsFields::reverseX2},
    {"Y2 Reversed", "Check4", &SettingsFields::reverseY2},
};

QLabel* legendLamp(QRgb colour, const char* name, QWidget* parent) {
    auto* lamp = new QLabel(parent);
    lamp->setObjectName(QString::fromLatin1(name));
    lamp->setFixedSize(16, 16);
    lamp->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid black; "
                                       "border-radius: 8px;")
                            .arg(QColor::fromRgb(colour).name()));
    return lamp;
}

}  // namespace

PortTroubleshooterWindow::PortTroubleshooterWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ws_(ws), dialogs_(dialogs) {
    setObjectName(QStringLiteral("ppMonitor"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QString::fromUtf8(kTitle));

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{QStringLiteral("Done"), QStringLiteral("Done"), QStringLiteral("Done1"),
                           QStringLiteral("Done")}});
    connect(toolbar_, &Toolbar::buttonClicked, this, [this](int index) {
        if (index != 1) return;
        stop();
        hide();
    });

    // Frame1: the pin of every signal and the four reverse flags, as the settings hold them.
    auto* settingsFrame = new QGroupBox(QStringLiteral("当前设置"), this);
    settingsFrame->setObjectName(QStringLiteral("Frame1"));
    auto* settingsGrid = new QGridLayout(settingsFrame);
    for (int i = 0; i < 8; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(kPinRows[i].caption), settingsFrame);
        pinLabels_[i] = new QLabel(settingsFrame);
        pinLabels_[i]->setObjectName(QString::fromLatin1(kPinRows[i].label));
        pinLabels_[i]->setMinimumWidth(70);
        pinLabels_[i]->setFrameShape(QFrame::Panel);
        pinLabels_[i]->setFrameShadow(QFrame::Sunken);
        const int row = i / 2, column = (i % 2) * 2;
        settingsGrid->addWidget(caption, row, column);
        settingsGrid->addWidget(pinLabels_[i], row, column + 1);
    }
    for (int i = 0; i < 4; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(kReverseRows[i].caption), settingsFrame);
        reverseBoxes_[i] = new QCheckBox(settingsFrame);
        reverseBoxes_[i]->setObjectName(QString::fromLatin1(kReverseRows[i].box));
        reverseBoxes_[i]->setTristate(true);
        // They show the settings; the reversal is changed in 设备设置 only.
        reverseBoxes_[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        reverseBoxes_[i]->setFocusPolicy(Qt::NoFocus);
        settingsGrid->addWidget(caption, i, 4);
        settingsGrid->addWidget(reverseBoxes_[i], i, 5);
    }
    settingsGrid->setColumnStretch(6, 1);

    // The pin indicators with their legend.
    auto* pinsFrame = new QGroupBox(QStringLiteral("Parallel Port Pins"), this);
    pinsFrame->setObjectName(QStringLiteral("Frame2"));
    connector_ = new PinConnector(pinsFrame);
    auto* legend = new QGridLayout;
    legend->addWidget(legendLamp(PinConnector::kRed, "LegendHigh", pinsFrame), 0, 0);
    // The lamps show the register's bits, not a measured voltage.
    legend->addWidget(new QLabel(QStringLiteral("Bit set (1) in the port's register"), pinsFrame),
                      0, 1);
    legend->addWidget(legendLamp(PinConnector::kGreen, "LegendLow", pinsFrame), 1, 0);
    legend->addWidget(new QLabel(QStringLiteral("Bit clear (0)"), pinsFrame), 1, 1);
    auto* inverted = new QLabel(QStringLiteral("A bar over the number (pins 1, 11, 14, 17): the "
                                               "port inverts that pin, 0 V when its bit is set."),
                                pinsFrame);
    inverted->setObjectName(QStringLiteral("InvertedPinsNote"));
    inverted->setWordWrap(true);
    legend->addWidget(inverted, 2, 0, 1, 2);
    // The drawing is the plug of the printer cable, seen from its pins: mirrored against the
    // PC's socket, which a multimeter user probes from the front.
    auto* face =
        new QLabel(QStringLiteral("Seen from the pin side of the cable's plug."), pinsFrame);
    face->setObjectName(QStringLiteral("ConnectorFace"));
    legend->addWidget(face, 3, 0, 1, 2);
    // "The motor does not move" on a dry run has one answer: nothing reaches a machine.
    if (!ws_.port().isHardware()) {
        auto* simulated = new QLabel(
            QStringLiteral("Simulated port: nothing reaches the machine. Start corvane with "
                           "--port direct or --port ppdev to drive the cutter."),
            pinsFrame);
        simulated->setObjectName(QStringLiteral("SimulatedPortNote"));
        simulated->setWordWrap(true);
        simulated->setStyleSheet(QStringLiteral("QLabel { color: #8a4b00; font-weight: bold; }"));
        legend->addWidget(simulated, 4, 0, 1, 2);
    }
    // The legend under the connector: side by side they made the window wider than a 1024 px
    // screen.
    auto* pinsLayout = new QVBoxLayout(pinsFrame);
    pinsLayout->addWidget(connector_, 0, Qt::AlignLeft);
    pinsLayout->addLayout(legend);
    pinsLayout->addStretch(1);

    // Frame3: the four step buttons and the stop.
    auto* manualFrame = new QGroupBox(QStringLiteral("手动控制"), this);
    manualFrame->setObjectName(QStringLiteral("Frame3"));
    auto* manualGrid = new QGridLayout(manualFrame);
    const struct {
        const char* name;
        const char* caption;
        QStyle::StandardPixmap icon;
        StepPair pair;
        int row, column;
    } buttons[] = {
        {"Command6", "Y Up", QStyle::SP_ArrowUp, StepPair::YUp, 0, 1},
        {"Command5", "XForward", QStyle::SP_ArrowLeft, StepPair::XForward, 1, 0},
        {"Command7", "X Back", QStyle::SP_ArrowRight, StepPair::XBack, 1, 2},
        {"Command8", "Y Down", QStyle::SP_ArrowDown, StepPair::YDown, 2, 1},
    };
    for (const auto& b : buttons) {
        auto* button = new QPushButton(style()->standardIcon(b.icon),
                                       QString::fromLatin1(b.caption), manualFrame);
        button->setObjectName(QString::fromLatin1(b.name));
        const StepPair pair = b.pair;
        connect(button, &QPushButton::clicked, this, [this, pair] { step(pair); });
        manualGrid->addWidget(button, b.row, b.column);
    }
    auto* stopButton = new QPushButton(QStringLiteral("停止"), manualFrame);
    stopButton->setObjectName(QStringLiteral("Command9"));
    connect(stopButton, &QPushButton::clicked, this, &PortTroubleshooterWindow::stop);
    manualGrid->addWidget(stopButton, 1, 1);

    // Frame4: the explanation page.
    auto* analysisFrame = new QGroupBox(QStringLiteral("Analysis"), this);
    analysisFrame->setObjectName(QStringLiteral("Frame4"));
    page_ = new QTextEdit(analysisFrame);
    page_->setObjectName(QStringLiteral("RichTextBox1"));
    page_->setReadOnly(true);
    page_->setMinimumSize(420, 160);
    auto* analysisLayout = new QVBoxLayout(analysisFrame);
    analysisLayout->addWidget(page_);

    auto* middle = new QHBoxLayout;
    middle->addWidget(pinsFrame, 1);
    middle->addWidget(manualFrame);
    // Everything below the toolbar scrolls where the main window is too small to show it all.
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addWidget(settingsFrame);
    contentLayout->addLayout(middle);
    contentLayout->addWidget(analysisFrame, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addWidget(new FittedBody(content, this), 1);
}

PortTroubleshooterWindow::~PortTroubleshooterWindow() {
    stepper_->requestStop();
}

void PortTroubleshooterWindow::showAndActivate() {
    // Placed before it is mapped too, so the window manager takes that place from the start.
    if (!isVisible()) fitAndPlaceInFrame(*this, Placement::Tool, FitRoom::Screen);
    show();
    raise();
    activateWindow();
    activated();
}

void PortTroubleshooterWindow::activated() {
    const SettingsFields& f = ws_.settings.fields;
    for (int i = 0; i < 8; ++i)
        pinLabels_[i]->setText(QString::fromStdString(f.*(kPinRows[i].field)));
    for (int i = 0; i < 4; ++i) {
        const int value = f.*(kReverseRows[i].field);
        reverseBoxes_[i]->setCheckState(value == 1   ? Qt::Checked
                                        : value == 2 ? Qt::PartiallyChecked
                                                     : Qt::Unchecked);
    }
    // The jog speed stays the operator's: the steps here keep their own slow pace.
    if (!isStepping()) loadPage(kStartPage);
    // Every control in reach without scrolling: it may cover the status bar on a small screen.
    fitAndPlaceInFrame(*this, Placement::Tool, FitRoom::Screen);
    try {
        refreshIndicators();
        readFailed_ = false;
    } catch (const std::exception& e) {
        // A port that cannot be read leaves the lamps as they were; the window stays usable.
        // Said once until it reads again (showing the window activates it twice).
        if (!readFailed_) reportError(dialogs_, e, QStringLiteral("Module ppMonitor, Activate"));
        readFailed_ = true;
    }
}

void PortTroubleshooterWindow::loadPage(const char* name) {
    // A page that cannot be shown leaves its reason in the box itself.
    (void)showRtfPage(*page_, ws_.file(name), ws_.settings.fields);
}

void PortTroubleshooterWindow::refreshIndicators() {
    // Without a known port nothing is read either: address 0 is not a parallel port.
    PinLevels levels{};
    levels.fill(PinLevel::Uncoloured);
    if (ws_.portKnown())
        levels = readPinLevels(ws_.port(), static_cast<uint16_t>(ws_.settings.derived.DataPort));
    connector_->setLevels(levels);
    connector_->repaint();
}

void PortTroubleshooterWindow::step(StepPair pair) {
    if (isStepping()) return;
    if (!ws_.portKnown()) {
        dialogs_.message(QString::fromStdString(ws_.portRefusal()),
                         QString::fromUtf8(Workspace::kNoPortTitle));
        return;
    }
    // Held while stepping: no cut, jog or settings apply runs beside the slow steps.
    const LeaseHold lease = takeLease(ws_, dialogs_, this, windowTitle());
    if (!lease) return;
    // Everything used after the loop is held here, not through the window.
    const QPointer<PortTroubleshooterWindow> window(this);
    const std::shared_ptr<PortStepper> stepper = stepper_;
    Workspace& ws = ws_;
    Dialogs& dialogs = dialogs_;
    setCursor(Qt::BusyCursor);
    loadPage(pairPage(pair));
    try {
        // The loop refreshes twice a step: after the write (the step bits set), after the clear.
        int refreshes = 0;
        stepper->run(ws, pair, [window, &refreshes] {
            if (!window) return;
            window->refreshIndicators();
            if (refreshes++ % 2 == 0) emit window->stepWritten();
        });
        if (window) window->refreshIndicators();
    } catch (const std::exception& e) {
        reportError(dialogs, e, QStringLiteral("Module ppMonitor, Step"));
    }
    if (window) window->unsetCursor();
}

bool PortTroubleshooterWindow::portIsHardware() const {
    return ws_.port().isHardware();
}

void PortTroubleshooterWindow::stop() {
    stepper_->requestStop();
}

bool PortTroubleshooterWindow::event(QEvent* event) {
    // Coming back from one of our own message boxes is not an activation.
    if (activation_.isActivation(this, event)) activated();
    return QWidget::event(event);
}

void PortTroubleshooterWindow::closeEvent(QCloseEvent* event) {
    // Closing hides the window; a running step loop ends at its next test.
    stop();
    QWidget::closeEvent(event);
}

}  // namespace corvane
