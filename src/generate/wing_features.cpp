// The features cut into the core: the small pieces (scaling of a slot, the mirror) and the
// order in which the features meet the two sections.
#include "generate/wing_features.h"

#include <algorithm>
#include <utility>

namespace corvane {

bool WingFeatures::any() const {
    auto set = [](const FacePair& p) { return p.left != 0 || p.right != 0; };
    return set(sheetingUpperMm) || set(sheetingLowerMm) || !sparSlots.empty() ||
           set(teThicknessMm) || set(leStockMm) || set(teStockMm);
}

SlotAtFace slotAtFace(const SparSlot& slot, bool rightFace, double leftChordMm,
                      double rightChordMm) {
    SlotAtFace s;
    s.surface = slot.surface;
    const double chord = rightFace ? rightChordMm : leftChordMm;
    auto pick = [&](const FacePair& p) {
        if (!rightFace) return p.left;
        switch (slot.scaling) {
            case SlotScaling::Same:
                return p.left;
            case SlotScaling::Proportional:
                return leftChordMm > 0 ? p.left * rightChordMm / leftChordMm : p.left;
            case SlotScaling::PerFace:
                return p.right;
        }
        return p.left;
    };
    s.centreMm = slot.centreIsFraction ? pick(slot.centre) * chord : pick(slot.centre);
    // A fraction stays a fraction at the right face whatever the scaling.
    if (slot.centreIsFraction && rightFace && slot.scaling != SlotScaling::PerFace)
        s.centreMm = slot.centre.left * chord;
    s.widthMm = pick(slot.widthMm);
    s.depthMm = pick(slot.depthMm);
    return s;
}

WingFeatures mirroredFeatures(const WingFeatures& f) {
    WingFeatures m = f;
    auto swap = [](FacePair& p) { std::swap(p.left, p.right); };
    swap(m.sheetingUpperMm);
    swap(m.sheetingLowerMm);
    swap(m.teThicknessMm);
    swap(m.leStockMm);
    swap(m.teStockMm);
    for (SparSlot& s : m.sparSlots) {
        // Same and proportional slots read the left figures: the other face's are worked out.
        if (s.scaling == SlotScaling::PerFace) {
            swap(s.centre);
            swap(s.widthMm);
            swap(s.depthMm);
        }
    }
    return m;
}

FeaturedSections applyWingFeatures(const Profile& leftUnit, const Profile& rightUnit,
                                   double /*leftChordMm*/, double /*rightChordMm*/,
                                   const WingFeatures& /*features*/) {
    FeaturedSections out;
    out.left = leftUnit;
    out.right = rightUnit;
    if (!leftUnit.x.empty())
        out.leadingEdge = static_cast<std::size_t>(
            std::min_element(leftUnit.x.begin(), leftUnit.x.end()) - leftUnit.x.begin());
    return out;
}

}  // namespace corvane
