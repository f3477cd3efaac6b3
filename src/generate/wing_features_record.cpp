// The wing features' fields on the DAT-information line.
#include "generate/wing_features_record.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iterator>
#include <stdexcept>

#include "common/number_text.h"
#include "generate/cut_set_layout.h"
#include "generate/face_set_record.h"

namespace corvane {

namespace {

FacePair WingFeatures::*const kPairs[] = {
    &WingFeatures::sheetingUpperMm, &WingFeatures::sheetingLowerMm, &WingFeatures::teThicknessMm,
    &WingFeatures::leStockMm, &WingFeatures::teStockMm};
FacePair SparSlot::*const kSlotPairs[] = {&SparSlot::centre, &SparSlot::widthMm,
                                          &SparSlot::depthMm};
const char* const kScalings[] = {"same", "proportional", "per face"};

}  // namespace

void writeWingFeatureFields(RecordWriter& w, const WingFeatures& f) {
    w.text(kWingFeaturesMark);
    for (FacePair WingFeatures::*p : kPairs) w.number((f.*p).left).number((f.*p).right);
    w.integer(f.mirror ? 1 : 0);
    const std::size_t slots = std::min(f.slots.size(), kMaxSparSlots);
    w.integer(static_cast<long long>(slots));
    for (std::size_t i = 0; i < slots; ++i) {
        const SparSlot& s = f.slots[i];
        w.text(s.surface == SlotSurface::Upper ? "upper" : "lower");
        w.text(kScalings[static_cast<int>(s.scaling)]);
        w.integer(s.centreIsFraction ? 1 : 0);
        for (FacePair SparSlot::*p : kSlotPairs) w.number((s.*p).left).number((s.*p).right);
    }
}

std::optional<WingFeatures> wingFeaturesFromFields(const std::vector<std::string>& fields,
                                                   std::string& why) {
    const auto from =
        fields.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(9, fields.size()));
    const auto mark = std::find(from, fields.end(), kWingFeaturesMark);
    if (mark == fields.end()) return WingFeatures{};
    std::size_t i = static_cast<std::size_t>(mark - fields.begin()) + 1;
    auto cut = [&](const std::string& what) {
        why = "the wing features on the DAT-information line " + what;
        return std::nullopt;
    };
    auto number = [&]() {
        if (i >= fields.size()) throw std::out_of_range("short");
        return leadingNumber(fields[i++]);
    };
    WingFeatures f;
    try {
        for (FacePair WingFeatures::*p : kPairs) {
            (f.*p).left = number();
            (f.*p).right = number();
        }
        f.mirror = number() != 0;
        const double count = number();
        if (count < 0 || count > static_cast<double>(kMaxSparSlots) || count != std::floor(count))
            return cut("give " + fields[i - 1] + " spar slots");
        for (int k = 0; k < static_cast<int>(count); ++k) {
            if (i + 2 >= fields.size()) throw std::out_of_range("short");
            SparSlot s;
            const std::string& surface = fields[i++];
            if (surface != "upper" && surface != "lower")
                return cut("name a slot's surface \"" + surface + "\"");
            s.surface = surface == "upper" ? SlotSurface::Upper : SlotSurface::Lower;
            const std::string& scaling = fields[i++];
            const auto named = std::find(std::begin(kScalings), std::end(kScalings), scaling);
            if (named == std::end(kScalings))
                return cut("name a slot's scaling \"" + scaling + "\"");
            s.scaling = static_cast<SlotScaling>(named - std::begin(kScalings));
            s.centreIsFraction = number() != 0;
            for (FacePair SparSlot::*p : kSlotPairs) {
                (s.*p).left = number();
                (s.*p).right = number();
            }
            f.slots.push_back(s);
        }
    } catch (const std::out_of_range&) {
        return cut("end after " + std::to_string(fields.size()) + " fields");
    } catch (const std::exception& e) {
        return cut("hold field " + std::to_string(i) + " that cannot be read (" + e.what() + ")");
    }
    return f;
}

FaceDesign recordedDesign(const FaceDesign& design) {
    const std::string line = faceDatInfoLine(WingDatInfo{}, design);
    std::string why;
    const std::optional<FaceDesign> back =
        faceDesignFromFields(readDatInfoFields(line, kFeaturedDatInfoFields), why);
    return back ? *back : design;
}

}  // namespace corvane
