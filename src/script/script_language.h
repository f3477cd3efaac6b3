// The cutting-script language: a line is items split at plain commas (no trimming, no quotes,
// exact case), item 0 the keyword. One line check serves the editor's Accept/Insert, the
// runner's check pass and `corvane-cli script check`, each with its own wording.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct DerivedSettings;

// Direction items, stored with the trailing blanks that make them match.
inline constexpr const char* kDirForward = "向前     ";  // forward, x axes
inline constexpr const char* kDirBack = "后退  ";        // back, x axes
inline constexpr const char* kDirDown = "下   ";         // down, y axes
inline constexpr const char* kDirUp = "上 ";             // up, y axes

// Items after the keyword that an instruction needs; -1 for an unknown keyword.
int scriptItemsNeeded(std::string_view keyword);

std::vector<std::string> splitScriptLine(std::string_view line);

// The first rule a line breaks, in the order the rules are tested.
enum class LineFault {
    None,
    InstructionIncorrect,
    TooFewItems,
    SpeedNotValid,
    Ct1NotFound,
    Ct2NotFound,
    UnknownAxis,
    UnknownDirection,
    TravelNotNumeric,
    PauseNotNumeric,
    PauseNotANumber,  // only the run check: the pause item is no number at all
};

struct LineCheckContext {
    int32_t speedSliderMax = 0;
    // Whether a file exists (the cut line's companion count file).
    std::function<bool(const std::string& path)> fileExists;
    // The run check reads the pause item as a whole number (a text that is not one is a
    // type mismatch); the editor reads its leading number.
    bool runCheck = false;
};

// RunError Overflow for a number item too large to read (its leading number is past the range
// of a double, "1e999"): the callers report it on the line as they report their errors.
LineFault checkScriptLine(std::string_view line, const LineCheckContext& context);

// The cut line's count file: the path with its last character replaced by "2".
std::string countFileOf(const std::string& stepFile);

// Accept's and Insert's message box text for a fault ("Script error, unknown axis"); Insert
// reports TooFewItems as an error instead (see scriptEditError).
std::string editFaultMessage(LineFault fault);

// The run check's message box text for a fault of 1-based line `line`
// ("Script error in line 2 of Cutting Script"). PauseNotANumber is an error report instead.
std::string runFaultMessage(LineFault fault, int line);

// The pause time in whole milliseconds (halves to even), from the item's leading number.
int64_t pauseMillis(std::string_view item);

// Signed steps of a distance item: StepsPerMm x its leading number, rounded half to even.
// RunError Overflow past 32 bits.
int32_t signedSteps(int32_t stepsPerMm, std::string_view distanceItem);

// The port byte of a "move" of `axis` in `direction`; 0 when they do not name one.
uint8_t moveByte(const DerivedSettings& d, std::string_view axis, std::string_view direction);
// The X and Y bytes of an "angle": both X axes or both Y axes, 0 unless the axis item is "x"
// (or "y") and the direction one of its two.
uint8_t angleXByte(const DerivedSettings& d, std::string_view axis, std::string_view direction);
uint8_t angleYByte(const DerivedSettings& d, std::string_view axis, std::string_view direction);

}  // namespace corvane
