// The counted machine position, the home flag and the two waypoints: how a step byte moves
// the position, the status-bar and message texts, and waypoint.txt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

struct DerivedSettings;

struct AxisPosition {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    friend bool operator==(const AxisPosition&, const AxisPosition&) = default;
};

struct PositionState {
    bool HomeSet = false;
    AxisPosition Position;
    AxisPosition WayPoint1;
    AxisPosition WayPoint2;
    int WayPointTarget = 0;  // 0 none, 1 or 2
};

inline constexpr const char* kHomeNotSetText = "起点位置尚未设置";
inline constexpr const char* kNoHomeMessage = "A Home Position has not been Selected.";

// Panel 1 text: "X1, Y1 = 00000.000, 00000.000   X2, Y2 = 00000.000, 00000.000" while home is
// set, "起点位置尚未设置" otherwise.
std::string positionStatusText(const PositionState& state);
// The same into `text`, reusing its capacity (the tick loop allocates nothing).
void positionStatusText(const PositionState& state, std::string& text);

// Moves the position by the steps in `portByte` (only while home is set). Returns true when
// the position was counted (the caller then clears PositionUpdatePending).
bool applyStepByte(PositionState& state, const DerivedSettings& settings, uint8_t portByte);

// SetHome: toggles HomeSet; setting it zeroes the position.
void toggleHome(PositionState& state);

// The Display WayPoint message ("Current WayPoint #1 Position \r\rX1, Y1 = ...").
std::string waypointDisplayText(int which, const AxisPosition& waypoint);

// A typed waypoint field: rounded to five decimals and stored as single precision.
float storedWaypointValue(double typed);

// A waypoint field's text as stored by "Done": its leading number rounded to five decimals, or
// nothing when the text holds no number at all (the window then reports it and stores nothing
// from that field).
[[nodiscard]] std::optional<float> waypointFieldValue(std::string_view text);

// waypoint.txt: eight numbers, WayPoint1 then WayPoint2. Loading keeps the values read before
// a failure (RunError) and leaves the rest as they were.
void loadWaypoints(const std::filesystem::path& file, PositionState& state);
void saveWaypoints(const std::filesystem::path& file, const PositionState& state);

}  // namespace corvane
