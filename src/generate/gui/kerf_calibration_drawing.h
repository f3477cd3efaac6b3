// The calibration comb drawn to measure by (Picture1 of the calibration window): the part as it
// comes off the block, each tooth's speed above it, its nominal width and the line half way up
// where the calipers go. The same content as the set's SVG, scaled to the window.
#pragma once

#include <QWidget>
#include <optional>

#include "generate/kerf_calibration.h"

namespace corvane {

class KerfCalibrationDrawing : public QWidget {
    Q_OBJECT
public:
    explicit KerfCalibrationDrawing(QWidget* parent = nullptr);

    // The comb to draw; nothing (an empty frame) for none.
    void setCut(std::optional<KerfCalibrationCut> cut);
    const std::optional<KerfCalibrationCut>& cut() const { return cut_; }

    QSize sizeHint() const override { return {560, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<KerfCalibrationCut> cut_;
};

}  // namespace corvane
