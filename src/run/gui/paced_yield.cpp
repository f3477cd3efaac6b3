#include "run/gui/paced_yield.h"

#include <QCoreApplication>
#include <algorithm>

#include "machine/workspace.h"
#include "platform/monotonic_clock.h"

namespace corvane {

void PacedYield::begin() {
    if (active_) return;
    active_ = true;
    shown_ = ws_.showStatus;
    changed_.fill(false);
    // Reserved now: keeping a text at a tick then copies into room already there.
    for (std::string& t : texts_) t.reserve(128);
    ws_.showStatus = [this](int panel, const std::string& text) {
        if (panel < 0 || panel >= static_cast<int>(texts_.size())) return;
        texts_[static_cast<size_t>(panel)].assign(text);
        changed_[static_cast<size_t>(panel)] = true;
    };
    nextPaint_ = 0;
    cost_ = Cost{};
}

void PacedYield::end() {
    if (!active_) return;
    active_ = false;
    ws_.showStatus = shown_;
    paint();
}

void PacedYield::paint() {
    for (size_t p = 0; p < texts_.size(); ++p) {
        if (!changed_[p]) continue;
        changed_[p] = false;
        if (shown_) shown_(static_cast<int>(p), texts_[p]);
    }
    if (onPaint) onPaint();
}

// Input first; the texts set at a paint slot are drawn by the next tick's pass.
void PacedYield::yield() {
    MonotonicClock& clock = ws_.clock();
    const int64_t start = clock.now();
    if (processEvents)
        processEvents();
    else
        QCoreApplication::processEvents();
    const int64_t now = clock.now();
    if (now >= nextPaint_) {
        nextPaint_ = now + clock.frequency() / kPaintsPerSecond;
        paint();
    }
    const double us =
        static_cast<double>(clock.now() - start) * 1e6 / static_cast<double>(clock.frequency());
    cost_.count += 1;
    cost_.totalUs += us;
    cost_.maxUs = std::max(cost_.maxUs, us);
}

}  // namespace corvane
