#include "manual/gui/jog_speed_control.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "common/fixed_point.h"
#include "common/number_format.h"
#include "machine/workspace.h"

namespace corvane {

JogSpeedControl::JogSpeedControl(Workspace& ws, const QString& speedLabelName, QWidget* parent)
    : QWidget(parent), ws_(ws) {
    setObjectName(QStringLiteral("JogSpeedControl"));
    auto* caption = new QLabel(QStringLiteral("切割速度"), this);
    caption->setObjectName(QStringLiteral("SpeedCaption"));
    auto* unit = new QLabel(QStringLiteral("毫米/秒"), this);
    unit->setObjectName(QStringLiteral("SpeedUnit"));
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("Slider1"));
    slider_->setRange(0, std::max<int>(0, ws_.settings.derived.SpeedSliderMax));
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setPageStep(1);
    speedLabel_ = new QLabel(this);
    speedLabel_->setObjectName(speedLabelName);
    speedLabel_->setMinimumWidth(40);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(unit, 1, 0);
    grid->addWidget(slider_, 0, 1, 2, 1);
    grid->addWidget(speedLabel_, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);

    connect(slider_, &QSlider::valueChanged, this, &JogSpeedControl::sliderChanged);
}

void JogSpeedControl::activate() {
    const int maximum = std::max<int>(0, ws_.settings.derived.SpeedSliderMax);
    const double wanted = roundHalfEven(5.0 * ws_.motion.JogSpeed.toDouble());
    const int value = static_cast<int>(std::clamp(wanted, 0.0, static_cast<double>(maximum)));
    {
        const QSignalBlocker block(slider_);
        slider_->setMaximum(maximum);
        slider_->setValue(value);
    }
    if (wanted > maximum) ws_.motion.JogSpeed = Fixed4::fromRaw(value * (Fixed4::kScale / 5));
    speedLabel_->setText(QString::fromStdString(formatDouble(ws_.motion.JogSpeed.toDouble())));
}

void JogSpeedControl::sliderChanged(int value) {
    ws_.motion.JogSpeed = Fixed4::fromRaw(static_cast<int64_t>(value) * (Fixed4::kScale / 5));
    speedLabel_->setText(QString::fromStdString(formatDouble(value / 5.0)));
}

}  // namespace corvane
