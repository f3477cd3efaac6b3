#include "run/gui/resume_offer.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/drawing_view.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/cut_speed_refusal.h"

namespace corvane {

namespace {

// Colour numbers as the drawings take them (red + 256 green + 65536 blue).
constexpr std::uint32_t kStopColor = 0xFF0000;    // blue: where the carriages stand
constexpr std::uint32_t kResumeColor = 0x00B000;  // green: where the cut goes on from

enum Choice { kWhereStopped, kLastDelayPoint, kPickedSegment };

QString resumeTitle() {
    return QStringLiteral("Resume");
}

}  // namespace

ResumeOffer::ResumeOffer(Workspace& ws, Dialogs& dialogs, CutProgressView& view, QWidget* parent)
    : QGroupBox(QStringLiteral("Resume the stopped cut"), parent),
      ws_(ws),
      dialogs_(dialogs),
      view_(view) {
    setObjectName(QStringLiteral("resumeOffer"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("resumeState"));
    row->addWidget(state_, 1);
    row->addWidget(new QLabel(QStringLiteral("from"), this));
    from_ = new QComboBox(this);
    from_->setObjectName(QStringLiteral("resumeFrom"));
    from_->addItems({QStringLiteral("where it stopped"), QStringLiteral("the last delay point"),
                     QStringLiteral("the segment picked on the drawing")});
    row->addWidget(from_);
    row->addWidget(new QLabel(QStringLiteral("heat"), this));
    heat_ = new QSpinBox(this);
    heat_->setObjectName(QStringLiteral("resumeHeat"));
    heat_->setRange(0, 120);
    heat_->setValue(5);
    heat_->setSuffix(QStringLiteral(" s"));
    row->addWidget(heat_);
    button_ = new QPushButton(QStringLiteral("Resume"), this);
    button_->setObjectName(QStringLiteral("resumeButton"));
    row->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, &ResumeOffer::resume);
    connect(from_, &QComboBox::currentIndexChanged, this, [this] { markPoints(); });
    // A click on a profile picks the segment under it.
    for (DrawingView* v : {&view_.leftView(), &view_.rightView()}) {
        connect(v, &DrawingView::pointClicked, this, [this, v](double x, double y) {
            if (isVisible())
                if (const int segment = v->pick(x, y); segment > 0) pickSegment(segment);
        });
    }
    hide();
}

void ResumeOffer::refresh() {
    record_.reset();
    shownPoint_ = -1;  // called after the drawings were rebuilt or redrawn
    try {
        record_ = readCutRecord(ws_.appFolder());
    } catch (const RunError& e) {
        // A record that cannot be read is said, not passed over: nothing can be resumed from it.
        state_->setText(QString::fromStdString(e.detail()));
        button_->setEnabled(false);
        show();
        return;
    }
    if (!record_) {
        hide();
        return;
    }
    // The machine held by another source (the other cut window's cut, say), the record is that
    // cut's place, not a stopped cut: nothing is offered until the machine is free.
    if (!ws_.lease.mayWrite(parentWidget())) {
        state_->setText(QStringLiteral("%1 holds the machine; a cut under way keeps this record. "
                                       "Resume is offered once the machine is free.")
                            .arg(QString::fromStdString(ws_.lease.holderName())));
        button_->setEnabled(false);
        show();
        return;
    }
    button_->setEnabled(true);
    const CutTape tape = [&] {
        try {
            return readCutTape(ws_, *record_);
        } catch (const RunError&) {
            return CutTape(*record_, {}, {});
        }
    }();
    const int64_t tick = record_->place.tick;
    QString text = QStringLiteral("Stopped at tick %1 of %2, segment %3")
                       .arg(tick)
                       .arg(record_->totalTicks())
                       .arg(tape.segmentAt(tick));
    if (const int k = tape.lastDelayPointAt(tick); k > 0)
        text += QStringLiteral(", after delay point %1").arg(k);
    state_->setText(text);
    setEnabled(true);
    show();
    markPoints();
}

ResumeRequest ResumeOffer::request() const {
    switch (from_->currentIndex()) {
        case kLastDelayPoint:
            return {ResumeRequest::From::LastDelayPoint, 0};
        case kPickedSegment:
            return {ResumeRequest::From::Segment, segment_};
        default:
            return {};
    }
}

void ResumeOffer::markPoints() {
    if (!record_) return;
    try {
        const CutTape tape = readCutTape(ws_, *record_);
        // The point chosen before goes (a background marker erases what stands there).
        if (shownPoint_ >= 0) view_.markPoint(shownPoint_, drawing_color::kWindowBackground);
        shownPoint_ = -1;
        const double stop = tape.profilePointAt(record_->place.tick);
        try {
            const ResumePlan plan = planResume(*record_, tape, fingerprintSet(ws_.appFolder()),
                                               ws_.settings.derived, request(), heat_->value());
            shownPoint_ = tape.profilePointAt(plan.to);
            view_.markPoint(shownPoint_, kResumeColor, 0.03);
        } catch (const ResumeRefused&) {
            // A point that cannot be planned has no marker; Resume says why.
        }
        // Drawn last and smaller: it stays in sight when the cut goes on where it stopped.
        view_.markPoint(stop, kStopColor, 0.02);
    } catch (const std::exception&) {
        // A point that cannot be planned has no marker; Resume says why.
    }
}

void ResumeOffer::pickSegment(int segment) {
    segment_ = segment;
    if (from_->currentIndex() == kPickedSegment)
        markPoints();
    else
        from_->setCurrentIndex(kPickedSegment);  // which marks the points
}

void ResumeOffer::resume() {
    if (from_->currentIndex() == kPickedSegment && segment_ == 0) {
        dialogs_.message(QStringLiteral("Click the segment to resume from on the drawing first."),
                         resumeTitle());
        return;
    }
    if (refuseStandingSpeed(ws_, dialogs_)) return;  // before the heating is even offered
    try {
        const ResumePlan plan = planResumeIn(ws_, request(), heat_->value());
        if (dialogs_.message(QString::fromStdString(plan.what), resumeTitle(), MsgButtons::OkCancel,
                             MsgIcon::Question) != MsgAnswer::Ok)
            return;
        emit resumeRequested(plan);
    } catch (const ResumeRefused& e) {
        dialogs_.message(QString::fromStdString(e.what()), resumeTitle());
    } catch (const RunError& e) {
        reportError(dialogs_, e, QStringLiteral("Resume"));
    }
}

}  // namespace corvane
