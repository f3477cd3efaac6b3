// What a GRBL-family controller says and the single bytes it acts on at once: its reply lines
// classified (ok, error:N, ALARM:N, status report, banner, [..] messages), the status report
// parsed, the error and alarm numbers given their meaning, and feed override steps as bytes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::grbl {

// Real-time commands: the controller acts on them the moment they arrive, outside the
// character count.
inline constexpr char kSoftReset = '\x18';
inline constexpr char kStatusQuery = '?';
inline constexpr char kFeedHold = '!';
inline constexpr char kCycleStart = '~';
inline constexpr char kJogCancel = '\x85';
inline constexpr char kFeedOverrideReset = '\x90';
inline constexpr char kFeedOverridePlus10 = '\x91';
inline constexpr char kFeedOverrideMinus10 = '\x92';
inline constexpr char kFeedOverridePlus1 = '\x93';
inline constexpr char kFeedOverrideMinus1 = '\x94';

// The feed override range the firmware accepts, in percent.
inline constexpr int kFeedOverrideMin = 10;
inline constexpr int kFeedOverrideMax = 200;

enum class ReplyKind { Ok, Error, Alarm, Status, Banner, Bracketed, Setting, Other };

struct [[nodiscard]] Reply {
    ReplyKind kind = ReplyKind::Other;
    int code = 0;      // the N of error:N and ALARM:N
    std::string text;  // the line without its line end
};
Reply classify(std::string_view line);

// One `<State|MPos:...|FS:...|WCO:...|Ov:...|A:...|Ln:...>` report. Absent fields keep their
// defaults; mergeStatus() gives them their value from the reports before.
struct StatusReport {
    std::string state;                 // "Idle", "Run", "Hold:0", "Jog", "Alarm", "Door:1", ...
    std::array<double, 4> position{};  // as reported, X Y Z A (mm): MPos, or WPos
    bool hasPosition = false;
    bool workPosition = false;  // the report gave WPos (machine position less the offset)
    std::optional<std::array<double, 4>> offset;  // WCO: work coordinate offset
    double feed = 0;                              // mm/min
    double spindle = 0;
    std::array<int, 3> overrides{100, 100, 100};  // feed, rapid, spindle (percent)
    bool hasOverrides = false;
    bool hasAccessories = false;    // the report held A: (or, merged, an earlier one did)
    bool accessoriesKnown = false;  // merged: the outputs below are the controller's word
    bool spindleOn = false;         // A: holds S or C
    bool coolantOn = false;         // A: holds F or M
    int line = -1;                  // Ln: the line number the controller executes, -1 when absent
    // The state's first word: "Hold" for "Hold:0".
    std::string stateName() const;
    bool moving() const;  // Run, Jog, Home, or a hold still decelerating (Hold:1)
    // MPos, or WPos plus the offset; nullopt for a WPos without a known offset.
    std::optional<std::array<double, 4>> machinePosition() const;
};
// Where X1 Y1 X2 Y2 sit among a board's axes: X Y Z A, or on a board built with U and V axes
// X Y U V (Z idle); `index` is each one's place in the board's order (its MPos values).
struct AxisMap {
    std::string letters = "XYZA";  // the words X1 Y1 X2 Y2 are sent as
    std::array<int, 4> index{0, 1, 2, 3};
};
// The letters of an `[AXS:n:LETTERS]` line ($I), nullopt when the line is not one.
[[nodiscard]] std::optional<std::string> axesOf(std::string_view line);
// The map for a board with `axes` (e.g. "XYZA", "XYZUV"); nullopt, with `why`, when its axes
// cannot carry X1 Y1 X2 Y2.
[[nodiscard]] std::optional<AxisMap> axisMapOf(std::string_view axes, std::string* why = nullptr);

// `index`: where X Y Z A (X1 Y1 X2 Y2) sit among the report's position values.
[[nodiscard]] std::optional<StatusReport> parseStatus(std::string_view line,
                                                      const std::array<int, 4>& index = {0, 1, 2,
                                                                                         3});

// `next` with what it left out taken from `previous` as the firmware means it: the override
// (Ov:) and offset (WCO:) fields come only now and then and are unchanged while absent; the
// accessory field (A:) is unchanged while absent, except beside an Ov: field, which carries
// A: whenever an output is on (so there an absent A: says every output is off).
StatusReport mergeStatus(const std::optional<StatusReport>& previous, StatusReport next);

// "error:22" -> its meaning in the firmware's words; a number nobody knows says so.
std::string errorMeaning(int code);
std::string alarmMeaning(int code);

// The real-time bytes that take the feed override from `from` to `to` percent (both inside
// the firmware's range), tens first, then ones.
std::string feedOverrideBytes(int from, int to);
// `percent` clamped to the firmware's range.
int clampFeedOverride(int percent);

// The RX buffer size of an `[OPT:flags,blocks,rx,...]` line, nullopt when the line has none.
[[nodiscard]] std::optional<int> rxBufferOf(std::string_view optLine);

}  // namespace corvane::grbl
