#include "delay/gui/delay_point_editor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "common/run_error.h"
#include "generate/active_delay_set.h"
#include "generate/airfoil_input.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/drawing_view.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {

constexpr int kOpenLeft = 1, kOpenRight = 2, kZoomSelect = 4, kManage = 5, kDone = 7;

// Design-time sizes in twips that the layout rules leave open.
constexpr double kFrame1Width = 2600;
constexpr double kFrame3Width = 4200;
constexpr double kFrame3Height = 900;
constexpr double kScrollWidth = 255;
constexpr double kInsetLeft = 120;
constexpr double kInsetTop = 300;

QString u(const char* text) {
    return QString::fromUtf8(text);
}

// Windows whose return of the focus is not an activation of ours: dialogs, menus, tool tips.
bool isProgramWindow(QWindow* window) {
    if (window == nullptr) return false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowHandle() != window) continue;
        return w->windowType() == Qt::Window && !w->inherits("QDialog");
    }
    return false;
}

}  // namespace

DelayPointEditor::DelayPointEditor(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), ws_(ws), dialogs_(dialogs) {
    setObjectName(QStringLiteral("DelayForm"));
    setWindowTitle(u("添加延迟点"));
    buildControls();
    buildMenus();
    leftPath_ = QString::fromStdString(ws_.job.leftAirfoilPath);
    rightPath_ = QString::fromStdString(ws_.job.rightAirfoilPath);

    // The focus window before ours tells a real activation (from another window of the program)
    // from the return of our own message boxes and menus.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (focus == nullptr || focus != windowHandle()) previousFocus_ = focus;
    });
}

DelayPointEditor::~DelayPointEditor() = default;

DelayPointEditor* DelayPointEditor::openFor(QPointer<DelayPointEditor>& editor, Workspace& ws,
                                            Dialogs& dialogs, QWidget* parent,
                                            const QString& leftPath, const QString& rightPath) {
    if (isBlankPathField(leftPath.toStdString()) || isBlankPathField(rightPath.toStdString())) {
        dialogs.message(QString::fromUtf8(kDatMissingForDelayPoints),
                        QString::fromUtf8(kDatFileNotFoundTitle));
        return nullptr;
    }
    // One editor for the main window: Form1 and Form14 share it, so two lists can never be open
    // at once with different points.
    if (editor.isNull() && parent != nullptr)
        editor = parent->findChild<DelayPointEditor*>(QStringLiteral("DelayForm"),
                                                      Qt::FindDirectChildrenOnly);
    if (editor.isNull()) editor = new DelayPointEditor(ws, dialogs, parent);
    editor->setProfilePaths(leftPath, rightPath);
    editor->showAndActivate();
    return editor.data();
}

void DelayPointEditor::buildControls() {
    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({
        {"Open Left Profile", "Open Left Cutting Tower Profile", "left1",
         "Open Left Cutting Tower Profile to add Delay Points"},
        {"Open Right Profile", "Open Right Cutting Tower Profile", "right1",
         "Open Right Cutting Tower Profile to add Delay Points"},
        toolbarSeparator(),
        {"Zoom / Select", "Zoom and Select Delay Points", "zoom1", "Zoom and Select Delay Points"},
        {"Delay Points", "Delete Selected", "pause1", "Delete Selected Delay Points or Clear List"},
        toolbarSeparator(),
        {"Done", "Done", "Done", ""},
    });
    connect(toolbar_, &Toolbar::buttonClicked, this, &DelayPointEditor::onToolbar);

    frame1_ = new QGroupBox(QStringLiteral("Delay Points"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    list_ = new QListWidget(frame1_);
    list_->setObjectName(QStringLiteral("List1"));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popUp(manageList_, list_->viewport()->mapToGlobal(at)); });

    frame2_ = new QGroupBox(QStringLiteral("Left Cutting Profile"), this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    view_ = new DrawingView(frame2_);
    view_->setObjectName(QStringLiteral("DXFReader1"));
    connect(view_, &DrawingView::pointClicked, this, &DelayPointEditor::clickAt);
    connect(view_, &DrawingView::mouseMove, this,
            [this](int, double x, double y) { pointerAt(x, y); });
    connect(view_, &DrawingView::mouseDown, this, [this](int button, double x, double y) {
        if (button == 2) popUp(openPopMenu_, view_->mapToGlobal(view_->toPixel({x, y}).toPoint()));
    });
    scroll_ = new QScrollBar(Qt::Vertical, frame2_);
    scroll_->setObjectName(QStringLiteral("VScroll1"));
    scroll_->setRange(-100, 100);
    scroll_->setValue(0);
    connect(scroll_, &QScrollBar::valueChanged, this, &DelayPointEditor::onScroll);

    frame3_ = new QGroupBox(QStringLiteral("Loading Drawing"), this);
    frame3_->setObjectName(QStringLiteral("Frame3"));
    progress_ = new QProgressBar(frame3_);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setTextVisible(false);
    frame3_->setAutoFillBackground(true);
    frame3_->hide();
}

void DelayPointEditor::buildMenus() {
    auto add = [this](QMenu* menu, const char* name, const QString& text,
                      void (DelayPointEditor::*slot)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromUtf8(name));
        connect(a, &QAction::triggered, this, [this, slot] {
            if (!loading_) (this->*slot)();
        });
    };
    openPopMenu_ = new QMenu(u("工具"), this);
    openPopMenu_->setObjectName(QStringLiteral("OpenPopMenu"));
    add(openPopMenu_, "SelectDelayPoint", u("选择延迟点"), &DelayPointEditor::selectDelayPoint);
    openPopMenu_->addSeparator();
    add(openPopMenu_, "ZoomWindow", "Zoom Window", &DelayPointEditor::zoomWindow);
    add(openPopMenu_, "ZoomLimits", "Zoom Limits", &DelayPointEditor::zoomLimits);
    add(openPopMenu_, "ZoomPrevious", "Zoom Previous", &DelayPointEditor::zoomPrevious);
    add(openPopMenu_, "ZoomIn", "Zoom In", &DelayPointEditor::zoomIn);
    add(openPopMenu_, "ZoomOut", "Zoom Out", &DelayPointEditor::zoomOut);
    openPopMenu_->addSeparator();
    add(openPopMenu_, "CancelOperation", "Cancel", &DelayPointEditor::cancelOperation);

    manageList_ = new QMenu(QStringLiteral("Manage List"), this);
    manageList_->setObjectName(QStringLiteral("ManageList"));
    add(manageList_, "ClearDelayPoints", "Clear All Delay Points",
        &DelayPointEditor::clearDelayPoints);
    add(manageList_, "DeleteSelected", u("删除所选延迟点"), &DelayPointEditor::deleteSelected);
}

void DelayPointEditor::popUp(QMenu* menu, const QPoint& globalPos) {
    if (loading_) return;
    menu->popup(globalPos);
}

void DelayPointEditor::setProfilePaths(const QString& leftPath, const QString& rightPath) {
    leftPath_ = leftPath;
    rightPath_ = rightPath;
}

QString DelayPointEditor::profilePath(Side side) const {
    return side == Side::Left ? leftPath_ : rightPath_;
}

QString DelayPointEditor::listLine(int step) {
    return QStringLiteral("Cut Step ") + QString::number(step);
}

int DelayPointEditor::stepOfLine(const QString& line) {
    bool ok = false;
    const int step = line.mid(9).trimmed().toInt(&ok);
    return ok ? step : 0;
}

std::vector<int> DelayPointEditor::listedSteps() const {
    std::vector<int> steps;
    for (int i = 0; i < list_->count(); ++i) steps.push_back(stepOfLine(list_->item(i)->text()));
    return steps;
}

// ---------------------------------------------------------------------------------------------
// Loading, layout, activation, closing

void DelayPointEditor::load() {
    loaded_ = true;
    // The window takes the main window's client area, 100 twips narrower, short enough that its
    // title bar and frame leave the main window's status bar in view.
    if (QWidget* frame = frameOf(*this)) {
        const QWidget* inner = innerAreaOf(*frame);
        const int w = inner->width() - twipsToPixels(100, inner->logicalDpiX());
        resize(fitInInnerArea(*this, QSize(std::max(w, 400), std::max(inner->height(), 300)),
                              Placement::Corner, frame));
    } else if (!testAttribute(Qt::WA_Resized)) {
        resize(1000, 680);
    }
    layOut();
}

void DelayPointEditor::layOut() {
    const double dx = logicalDpiX();
    const double dy = logicalDpiY();
    auto px = [dx](double twips) { return twipsToPixels(twips, dx); };
    auto py = [dy](double twips) { return twipsToPixels(twips, dy); };

    toolbar_->setGeometry(0, 0, width(), std::min(toolbar_->sizeHint().height(), py(780)));
    const int frameHeight = std::max(height() - py(900), py(1200));
    const int frame1Width = px(kFrame1Width);
    frame1_->setGeometry(px(200), py(800), frame1Width, frameHeight);
    const int frame2Left = px(200) + frame1Width + px(200);
    const int frame2Width = std::max(width() - frame1Width - px(600), px(1500));
    frame2_->setGeometry(frame2Left, py(800), frame2Width, frameHeight);

    list_->setGeometry(px(kInsetLeft), py(kInsetTop), frame1Width - px(300), frameHeight - py(400));
    const int viewWidth = frame2Width - px(500);
    const int viewHeight = frameHeight - py(450);
    view_->setGeometry(px(kInsetLeft), py(kInsetTop), viewWidth, viewHeight);
    scroll_->setGeometry(px(kInsetLeft) + viewWidth, py(kInsetTop), px(kScrollWidth), viewHeight);

    const int f3w = std::min(px(kFrame3Width), frame2Width);
    frame3_->setGeometry(frame2Left + (frame2Width - f3w) / 2, py(800) + frameHeight / 3, f3w,
                         py(kFrame3Height));
    progress_->setGeometry(px(kInsetLeft), py(kInsetTop), f3w - px(2 * kInsetLeft), py(300));
}

void DelayPointEditor::showEvent(QShowEvent* event) {
    if (!loaded_) load();
    QWidget::showEvent(event);
}

void DelayPointEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void DelayPointEditor::showAndActivate() {
    openedByOpener_ = true;
    show();
    raise();
    activateWindow();
    activate();
}

bool DelayPointEditor::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        const bool fromOpener = openedByOpener_;
        openedByOpener_ = false;
        if (!fromOpener && isProgramWindow(previousFocus_)) activate();
    }
    return QWidget::event(event);
}

void DelayPointEditor::activate() {
    if (activating_ || loading_) return;
    activating_ = true;
    if (!loaded_) load();
    showProfile(Side::Left);
    placeInFrame(*this, Placement::Corner);
    drawMarkers();
    activating_ = false;
}

void DelayPointEditor::closeEvent(QCloseEvent* event) {
    if (isVisible()) offerSave();
    hide();
    unload();
    event->accept();
}

void DelayPointEditor::unload() {
    abortLoading_ = true;
    list_->clear();
    view_->clear();
    x_.clear();
    y_.clear();
    pickAwaited_ = firstCornerAwaited_ = secondCornerAwaited_ = false;
    view_->setPointerMode(0);
    loaded_ = false;
}

void DelayPointEditor::done() {
    offerSave();
    hide();
}

void DelayPointEditor::offerSave() {
    std::optional<ActiveDelaySet> before = std::exchange(beforeEdit_, std::nullopt);
    if (list_->count() == 0) return;
    const MsgAnswer answer =
        dialogs_.message(QStringLiteral("Save Delay Points? "), QStringLiteral("Save Delay Points"),
                         MsgButtons::YesNo);
    // No keeps the set that was active before, points and count alike: the count that followed
    // the list would otherwise pause the next cut at the first points of the old set.
    if (answer != MsgAnswer::Yes) {
        if (before) {
            ws_.delays = std::move(*before);
            showDelayStatus(ws_);
        }
        return;
    }
    ActiveDelaySet set;
    set.ActiveDelayPoints = listedSteps();
    set.ActiveDelayPointCount = static_cast<int>(set.ActiveDelayPoints.size());
    ws_.delays = std::move(set);
    showDelayStatus(ws_);
}

// ---------------------------------------------------------------------------------------------
// The list

void DelayPointEditor::setActiveCountToList() {
    // Only the count follows the list at once; the points change on a saved list alone, and a No
    // to the save question puts the count back too. The count never names more points than the
    // set has.
    if (!beforeEdit_) beforeEdit_ = ws_.delays;
    ws_.delays.ActiveDelayPointCount =
        std::min(list_->count(), static_cast<int>(ws_.delays.ActiveDelayPoints.size()));
    showDelayStatus(ws_);
}

void DelayPointEditor::clearDelayPoints() {
    list_->clear();
    view_->regenerate();
    setActiveCountToList();
}

void DelayPointEditor::deleteSelected() {
    const int row = list_->currentRow();
    QListWidgetItem* item = row >= 0 ? list_->item(row) : nullptr;
    if (item != nullptr && item->isSelected()) {
        if (auto end = view_->entityEndPoint(stepOfLine(item->text())))
            view_->drawMarker(end->x(), end->y(), kMarkerSize, drawing_color::kWindowBackground);
        delete list_->takeItem(row);
        // Another line may end on the same point (a profile that repeats a point): keep its mark.
        drawMarkers();
    }
    setActiveCountToList();
}

void DelayPointEditor::showStatus(const QString& text) {
    ws_.setStatus(3, text.toStdString());
}

void DelayPointEditor::onToolbar(int index) {
    if (loading_) return;
    switch (index) {
        case kOpenLeft:
            showProfile(Side::Left);
            break;
        case kOpenRight:
            showProfile(Side::Right);
            break;
        case kZoomSelect:
        case kManage: {
            QWidget* button = toolbar_->widgetForAction(toolbar_->action(index));
            const QPoint at =
                button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos();
            popUp(index == kZoomSelect ? openPopMenu_ : manageList_, at);
            break;
        }
        case kDone:
            done();
            break;
        default:
            break;
    }
}

}  // namespace corvane
