// The planform windows' calculations: from the finished wing (or foam part) to the profile size
// where the wire meets each tower, the gaps to the towers and the foam blank. Pure functions on
// the windows' box texts, shared by the windows and corvane-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {

class MachineSettings;

// 2 pi to eight digits: every degree conversion of these windows uses it.
inline constexpr double kPlanformTwoPi = 6.2831854;

// Box texts by box name ("Text9" -> "200").
using BoxTexts = std::vector<std::pair<std::string, std::string>>;

// The text of `name` in `boxes` (nullopt when the box is not there).
std::optional<std::string> boxText(const BoxTexts& boxes, std::string_view name);
// Sets (or adds) the text of `name`.
void setBoxText(BoxTexts& boxes, std::string_view name, std::string text);

// What the "Oversize Foam Blank" settings add to the blank boxes.
struct OversizeBlank {
    bool ticked = false;
    double depthMm = 0;
    double widthMm = 0;

    static OversizeBlank fromSettings(const MachineSettings& settings);
    double depth(double value) const { return ticked ? value + depthMm : value; }
    double width(double value) const { return ticked ? value + widthMm : value; }
};

// One box a calculation filled: its unrounded value and the text the window shows.
struct FilledBox {
    std::string name;
    double value = 0;
    std::string text;  // rounded to two decimals
};

// The boxes "Calculate" filled, in the order it fills them. A step that failed (division by
// zero, a value out of range) fills nothing; its boxes keep their previous texts.
struct [[nodiscard]] PlanformResult {
    std::vector<FilledBox> boxes;
    // A tower chord (or foam size) of 0 or less: no profile can be cut at it, so the boxes are
    // shown but the result must not be handed over. One message per side, naming the fix.
    std::vector<std::string> problems;

    const FilledBox* find(std::string_view name) const;
    bool has(std::string_view name) const { return find(name) != nullptr; }
    // As box texts, ready to copy over the window's boxes.
    BoxTexts texts() const;
};

enum class PlanformKind {
    Taper,
    TrailingEdgeTaper,
    LeadingEdgeTaper,
    Swept,
    Concentric,
    Eccentric
};

// One planform window: its name, title, kind, twin and boxes.
struct PlanformWindowInfo {
    std::string_view name;   // objectName: "left_taper"
    std::string_view title;  // "Left Tapered Wing Setup"
    PlanformKind kind;
    std::string_view twin;         // the other wing half's window, empty for the foam windows
    bool leftHand = false;         // a left wing panel's window
    bool placedInFrame = false;    // places itself inside the main window on every activation
    bool foam = false;             // hands over to Form12 instead of Form6
    std::string_view gapBox;       // the gap between the panel and the right tower (entered)
    std::string_view towerGapBox;  // the gap between the left tower and the panel (calculated)
    std::vector<std::string_view> inputs;  // white boxes, in the order the window lists them
    // What "Calculate" copies into the twin: (box here, box of the twin).
    std::vector<std::pair<std::string_view, std::string_view>> twinCopies;
};

const std::vector<PlanformWindowInfo>& planformWindows();
const PlanformWindowInfo* findPlanformWindow(std::string_view name);

// The `TextN=value` arguments of `corvane-cli planform` as the window's box texts (the value is
// everything after the first "="). nullopt for an argument that is no input box of the window,
// with `complaint` naming it and the window's input boxes.
[[nodiscard]] std::optional<BoxTexts> planformArguments(const PlanformWindowInfo& window,
                                                        const std::vector<std::string>& args,
                                                        std::string& complaint);

// The calculation of each window kind, on the window's box texts (read as leading numbers).
PlanformResult calculateTaper(const BoxTexts& boxes, const OversizeBlank& blank);
PlanformResult calculateTrailingEdgeTaper(const BoxTexts& boxes, const OversizeBlank& blank);
PlanformResult calculateLeadingEdgeTaper(const BoxTexts& boxes, const OversizeBlank& blank);
// Form7 (gap in Text2, left gap shown in Text3) and Form8 (the two swapped).
PlanformResult calculateSwept(const BoxTexts& boxes, const OversizeBlank& blank,
                              std::string_view gapBox, std::string_view towerGapBox);
PlanformResult calculateConcentric(const BoxTexts& boxes, const OversizeBlank& blank);
PlanformResult calculateEccentric(const BoxTexts& boxes, const OversizeBlank& blank);

// The calculation of the named window, with `problems` filled.
PlanformResult calculatePlanform(const PlanformWindowInfo& window, const BoxTexts& boxes,
                                 const OversizeBlank& blank);

// "Done": which box of the setup window (Form6, or Form12 for the foam windows) takes which box
// of the planform window, as (setup box, planform box) pairs.
std::vector<std::pair<std::string_view, std::string_view>> planformHandover(
    const PlanformWindowInfo& window);

}  // namespace corvane
