// The planform windows as data (names, titles, boxes, twins, hand-over) and the dispatch from a
// window to its calculation.
#include "generate/planform.h"

#include <algorithm>

#include "machine/machine_settings.h"

namespace corvane {

std::optional<std::string> boxText(const BoxTexts& boxes, std::string_view name) {
    for (const auto& [n, text] : boxes)
        if (n == name) return text;
    return std::nullopt;
}

void setBoxText(BoxTexts& boxes, std::string_view name, std::string text) {
    for (auto& [n, t] : boxes)
        if (n == name) {
            t = std::move(text);
            return;
        }
    boxes.emplace_back(std::string(name), std::move(text));
}

OversizeBlank OversizeBlank::fromSettings(const MachineSettings& settings) {
    OversizeBlank b;
    b.ticked = settings.fields.oversize_foam == 1;
    b.depthMm = settings.derived.BlankDepthMm.toDouble();
    b.widthMm = settings.derived.BlankWidthMm.toDouble();
    return b;
}

const FilledBox* PlanformResult::find(std::string_view name) const {
    auto it = std::find_if(boxes.begin(), boxes.end(),
                           [&](const FilledBox& b) { return b.name == name; });
    return it == boxes.end() ? nullptr : &*it;
}

BoxTexts PlanformResult::texts() const {
    BoxTexts out;
    for (const auto& b : boxes) out.emplace_back(b.name, b.text);
    return out;
}

namespace {

using Copies = std::vector<std::pair<std::string_view, std::string_view>>;

const std::vector<std::string_view> kTaperInputs{"Text9", "Text10", "Text11",
                                                 "Text1", "Text14", "Text3"};
const Copies kTaperCopies{{"Text9", "Text9"},   {"Text10", "Text10"}, {"Text14", "Text14"},
                          {"Text11", "Text11"}, {"Text1", "Text1"},   {"Text3", "Text3"}};
const std::vector<std::string_view> kEdgeInputs{"Text9", "Text10", "Text1", "Text14", "Text3"};
const Copies kEdgeCopies{{"Text9", "Text9"},
                         {"Text10", "Text10"},
                         {"Text1", "Text1"},
                         {"Text14", "Text14"},
                         {"Text3", "Text3"}};
const std::vector<std::string_view> kForm7Inputs{"Text9", "Text10", "Text11",
                                                 "Text1", "Text14", "Text2"};
const std::vector<std::string_view> kForm8Inputs{"Text9", "Text10", "Text11",
                                                 "Text1", "Text14", "Text3"};
const Copies kForm7Copies{{"Text9", "Text9"},   {"Text10", "Text10"}, {"Text14", "Text14"},
                          {"Text11", "Text11"}, {"Text1", "Text1"},   {"Text2", "Text3"}};
const Copies kForm8Copies{{"Text9", "Text9"},   {"Text10", "Text10"}, {"Text14", "Text14"},
                          {"Text11", "Text11"}, {"Text1", "Text1"},   {"Text3", "Text2"}};

std::vector<PlanformWindowInfo> makeWindows() {
    using K = PlanformKind;
    return {
        {"left_taper", "Left Tapered Wing Setup", K::Taper, "right_taper", true, true, false,
         "Text3", "Text2", kTaperInputs, kTaperCopies},
        {"right_taper", "Right Tapered Wing Setup", K::Taper, "left_taper", false, false, false,
         "Text3", "Text2", kTaperInputs, kTaperCopies},
        {"left_TE_taper", "Left Trailing Edge Tapered Setup", K::TrailingEdgeTaper,
         "right_TE_taper", true, true, false, "Text3", "Text2", kEdgeInputs, kEdgeCopies},
        {"right_TE_taper", "Right Trailing Edge Tapered Setup", K::TrailingEdgeTaper,
         "left_TE_taper", false, false, false, "Text3", "Text2", kEdgeInputs, kEdgeCopies},
        {"left_LE_taper", "Left Leading EdgeTapered Wing Setup", K::LeadingEdgeTaper,
         "right_LE_taper", true, true, false, "Text3", "Text2", kEdgeInputs, kEdgeCopies},
        {"right_LE_taper", "Right Leading EdgeTapered Wing Setup", K::LeadingEdgeTaper,
         "left_LE_taper", false, false, false, "Text3", "Text2", kEdgeInputs, kEdgeCopies},
        {"Form7", "Right Hand Swept Wing Setup", K::Swept, "Form8", false, true, false, "Text2",
         "Text3", kForm7Inputs, kForm7Copies},
        {"Form8", "Left Hand Swept Wing Setup", K::Swept, "Form7", true, true, false, "Text3",
         "Text2", kForm8Inputs, kForm8Copies},
        {"concentric",
         "Concentric Cut Setup",
         K::Concentric,
         "",
         false,
         false,
         true,
         "Text3",
         "Text2",
         kTaperInputs,
         {}},
        {"eccentric",
         "Eccentric Cut Setup",
         K::Eccentric,
         "",
         false,
         false,
         true,
         "Text3",
         "Text2",
         kEdgeInputs,
         {}},
    };
}

}  // namespace

const std::vector<PlanformWindowInfo>& planformWindows() {
    static const std::vector<PlanformWindowInfo> windows = makeWindows();
    return windows;
}

const PlanformWindowInfo* findPlanformWindow(std::string_view name) {
    for (const auto& w : planformWindows())
        if (w.name == name) return &w;
    return nullptr;
}

std::optional<BoxTexts> planformArguments(const PlanformWindowInfo& window,
                                          const std::vector<std::string>& args,
                                          std::string& complaint) {
    BoxTexts boxes;
    for (const std::string& arg : args) {
        const std::size_t eq = arg.find('=');
        const std::string_view key = std::string_view(arg).substr(0, eq);
        if (eq == std::string::npos ||
            std::find(window.inputs.begin(), window.inputs.end(), key) == window.inputs.end()) {
            std::string inputs;
            for (std::string_view box : window.inputs)
                inputs += (inputs.empty() ? "" : " ") + std::string(box);
            complaint = "\"" + arg + "\" is not TextN=value for an input box of " +
                        std::string(window.name) + " (input boxes: " + inputs + ")";
            return std::nullopt;
        }
        setBoxText(boxes, key, arg.substr(eq + 1));
    }
    return boxes;
}

namespace {

PlanformResult calculateKind(const PlanformWindowInfo& window, const BoxTexts& boxes,
                             const OversizeBlank& blank) {
    switch (window.kind) {
        case PlanformKind::Taper:
            return calculateTaper(boxes, blank);
        case PlanformKind::TrailingEdgeTaper:
            return calculateTrailingEdgeTaper(boxes, blank);
        case PlanformKind::LeadingEdgeTaper:
            return calculateLeadingEdgeTaper(boxes, blank);
        case PlanformKind::Swept:
            return calculateSwept(boxes, blank, window.gapBox, window.towerGapBox);
        case PlanformKind::Concentric:
            return calculateConcentric(boxes, blank);
        case PlanformKind::Eccentric:
            return calculateEccentric(boxes, blank);
    }
    return {};
}

}  // namespace

PlanformResult calculatePlanform(const PlanformWindowInfo& window, const BoxTexts& boxes,
                                 const OversizeBlank& blank) {
    PlanformResult r = calculateKind(window, boxes, blank);
    // Letters in a box read 0 and a gap or span past the towers turns a chord negative: the
    // generator would cut the profile mirrored, so it is said here, where it is computed.
    const char* what = window.foam ? "horizontal size" : "chord";
    for (const auto& [box, side] : {std::pair{"Text12", "left"}, std::pair{"Text13", "right"}}) {
        const FilledBox* b = r.find(box);
        if (b == nullptr || b->value > 0) continue;
        r.problems.push_back(std::string("The ") + side + " tower " + what + " (" + box +
                             ") comes out at " + b->text +
                             " mm: no profile can be cut at a size of 0 or less. Check that "
                             "every box holds a number and that the part fits between the "
                             "towers (span, gap, tower distance), and calculate again");
    }
    return r;
}

std::vector<std::pair<std::string_view, std::string_view>> planformHandover(
    const PlanformWindowInfo& window) {
    if (!window.foam)
        return {{"Text5", "Text1"},  {"Text3", "Text12"}, {"Text4", "Text13"}, {"Text6", "Text9"},
                {"Text7", "Text10"}, {"Text2", "Text11"}, {"Text8", "Text7"},  {"Text9", "Text8"}};
    std::string_view leftSize = window.kind == PlanformKind::Eccentric ? "Text6" : "Text9";
    return {{"Text2", "Text12"},  {"Text3", "Text13"}, {"Text4", leftSize}, {"Text5", "Text10"},
            {"Text11", "Text11"}, {"Text6", "Text1"},  {"Text14", "Text7"}, {"Text1", "Text8"}};
}

}  // namespace corvane
