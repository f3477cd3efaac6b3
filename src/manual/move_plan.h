// The return-home and move-to-waypoint plans: one port byte per tick that takes all four axes
// from the counted position to the target in one straight move, every axis starting and ending
// together. The program keeps one plan (Workspace::movePlan); the three windows play it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace corvane {

struct AxisPosition;
struct DerivedSettings;
class Workspace;

enum class PlanTarget { Home, WayPoint1, WayPoint2 };

// The texts of one variant: menu item, statuses of panel 2, error label, window and button.
struct PlanVariant {
    const char* menuName;  // ReturnHome, MoveWayPoint1, MoveWayPoint2
    const char* menuCaption;
    const char* planningStatus;
    const char* plannedStatus;
    const char* errorLabel;
    const char* windowName;  // Form16, Form17, Form18
    const char* windowCaption;
    const char* startCaption;  // Command1
    const char* runStartStatus;
    const char* runEndStatus;
};

const PlanVariant& planVariant(PlanTarget target);

// Step counts of the four axes (X1, Y1, X2, Y2) from `from` to `to`, rounded half to even;
// for the return home the count is |P x StepsPerMm|. RunError Overflow beyond 32 bits.
struct PlanStepCounts {
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};
PlanStepCounts planStepCounts(const DerivedSettings& settings, const AxisPosition& from,
                              const AxisPosition& to, bool toHome);

// Builds the tick bytes: the axis with most steps steps on every tick, the others on the ticks
// their accumulated threshold reaches; every byte carries all four direction levels.
// `yield` runs once per tick. RunError Overflow for a byte sum above 255.
std::vector<uint8_t> buildMovePlan(const DerivedSettings& settings, const AxisPosition& from,
                                   const AxisPosition& to, bool toHome,
                                   const std::function<void()>& yield = {});

// The target of a variant: home (all 0) or the stored waypoint.
AxisPosition planTargetPosition(const Workspace& ws, PlanTarget target);

// Replaces Workspace::movePlan with the plan from the current Position to the target. The old
// plan is dropped first, so a failure (RunError, rethrown) leaves no runnable plan.
// Running out of memory for a huge plan is reported as RunError OutOfMemory.
void planMove(Workspace& ws, PlanTarget target);

}  // namespace corvane
