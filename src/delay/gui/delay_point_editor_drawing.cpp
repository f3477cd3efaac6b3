// The delay editor's drawing: a profile shown as its chain of segments, the markers of the listed
// points, and the picking, zooming and scrolling on it. The window, its list and its toolbar are
// in delay_point_editor.cpp.
#include <QDateTime>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QProgressBar>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "common/run_error.h"
#include "delay/gui/delay_point_editor.h"
#include "generate/airfoil_input.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/drawing_view.h"

namespace corvane {

namespace {
const char* const kSecondPointStatus = "Select window second point";
}  // namespace

// ---------------------------------------------------------------------------------------------
// Showing a profile

bool DelayPointEditor::showProfile(Side side) {
    if (loading_) return false;
    loading_ = true;
    frame3_->show();
    frame3_->raise();

    view_->clear();
    view_->setCurrentLayer(QStringLiteral("0"));
    view_->setCurrentColor(drawing_color::kForeground);
    view_->setLimits(-0.1, -0.5, 1.1, 0.5);
    view_->zoomLimits();
    view_->setViewWindow(-0.1, -0.5, 1.0, 0.5);
    const QDateTime now = QDateTime::currentDateTime();
    view_->setDates(now, now);
    view_->regenerate();
    shownSide_ = side;
    frame2_->setTitle(side == Side::Left ? QStringLiteral("Left Cutting Profile")
                                         : QStringLiteral("Right Cutting Profile"));
    x_.clear();
    y_.clear();
    abortLoading_ = false;

    const QString path = profilePath(side);
    QString failure;
    Profile profile;
    if (isBlankPathField(path.toStdString())) {
        failure = QString::fromUtf8(kDatMissingForDelayPoints);
    } else {
        try {
            const std::filesystem::path file = path.toStdString();
            progress_->setMaximum(static_cast<int>(std::max<std::size_t>(countPoints(file), 1)));
            profile = readProfile(file);
        } catch (const RunError& e) {
            failure = QString::fromStdString(
                e.detail().empty() ? e.description() : e.description() + ": " + e.detail());
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
    }

    if (failure.isEmpty()) {
        const int n = static_cast<int>(profile.size());
        progress_->setMaximum(std::max(n, 1));
        for (int k = 2; k <= n && !abortLoading_; ++k) {
            progress_->setValue(k);
            ws_.yield();
            if (abortLoading_) break;  // the window was closed while loading
            view_->addLine(profile.x[k - 2], profile.y[k - 2], profile.x[k - 1], profile.y[k - 1]);
        }
        if (abortLoading_) {
            view_->clear();
        } else {
            x_ = std::move(profile.x);
            y_ = std::move(profile.y);
        }
    }
    frame3_->hide();
    view_->regenerate();
    loading_ = false;
    if (!failure.isEmpty()) {
        dialogs_.message(
            QStringLiteral("The profile file could not be read, so no profile is drawn.\r") + path +
                QStringLiteral("\r") + failure,
            QString::fromUtf8(kDatFileErrorTitle));
        return false;
    }
    drawMarkers();
    return true;
}

void DelayPointEditor::drawMarkers() {
    view_->clearMarkers();
    for (int step : listedSteps())
        if (auto end = view_->entityEndPoint(step))
            view_->drawMarker(end->x(), end->y(), kMarkerSize, drawing_color::kRed);
}

// ---------------------------------------------------------------------------------------------
// Picking, zooming, scrolling

void DelayPointEditor::selectDelayPoint() {
    pickAwaited_ = true;
    view_->setPointerMode(2);
}

void DelayPointEditor::clickAt(double x, double y) {
    if (loading_) return;
    if (secondCornerAwaited_) {
        view_->clearRubberBand();
        view_->zoomWindow(firstCorner_.x(), firstCorner_.y(), x, y);
        drawMarkers();
        secondCornerAwaited_ = false;
        showStatus(QString());
        view_->setPointerMode(0);
    }
    if (firstCornerAwaited_) {
        firstCorner_ = QPointF(x, y);
        showStatus(QString::fromUtf8(kSecondPointStatus));
        firstCornerAwaited_ = false;
        secondCornerAwaited_ = true;
    }
    if (pickAwaited_) {
        const int entity = view_->pick(x, y);
        if (entity == 0) return;
        lastPicked_ = entity;
        const std::vector<int> steps = listedSteps();
        if (std::find(steps.begin(), steps.end(), entity) != steps.end()) {
            dialogs_.message(QStringLiteral("Delay Point Already Selected"));
            return;
        }
        list_->addItem(listLine(entity));
        pickAwaited_ = false;
        if (auto end = view_->entityEndPoint(entity))
            view_->drawMarker(end->x(), end->y(), kMarkerSize, drawing_color::kRed);
        view_->setPointerMode(0);
    }
}

void DelayPointEditor::pointerAt(double x, double y) {
    if (!secondCornerAwaited_) return;
    view_->setRubberBand(firstCorner_.x(), firstCorner_.y(), x, y);
    showStatus(QString::fromUtf8(kSecondPointStatus));
}

void DelayPointEditor::zoomWindow() {
    view_->setPointerMode(2);
    firstCornerAwaited_ = true;
    drawMarkers();
}

void DelayPointEditor::zoomLimits() {
    view_->zoomLimits();
    drawMarkers();
}

void DelayPointEditor::zoomPrevious() {
    view_->zoomPrevious();
    drawMarkers();
}

void DelayPointEditor::zoomIn() {
    view_->zoomIn();
    drawMarkers();
}

void DelayPointEditor::zoomOut() {
    view_->zoomOut();
    drawMarkers();
}

void DelayPointEditor::cancelOperation() {
    // The first-corner flag stays: after Zoom Window and Cancel the next click is still a corner.
    secondCornerAwaited_ = false;
    pickAwaited_ = false;
    view_->clearRubberBand();
    view_->setPointerMode(0);
    showStatus(QString());
}

void DelayPointEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelOperation();
        view_->regenerate();
        drawMarkers();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DelayPointEditor::onScroll(int value) {
    const double v = value;
    view_->pan(1.0, -scrollPrevious_ / 100.0, 1.0, -v / 100.0);
    drawMarkers();
    scrollPrevious_ = v;
}

}  // namespace corvane
