#include "manual/move_plan.h"

#include <cmath>
#include <new>

#include "common/fixed_point.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "machine/position.h"
#include "machine/workspace.h"
#include "manual/jog_moves.h"

namespace corvane {

namespace {

const PlanVariant kVariants[] = {
    {"ReturnHome", "返回起点坐标", "Calculating Return to Home Move .....",
     "Return to Home Move Calculations Complete ...", "Module Main, RH", "Form16", "返回起点坐标",
     "返回起点", "返回起点坐标", "成功返回起点"},
    {"MoveWayPoint1", "Move to WayPoint #1", "Calculating WayPoint #1 Move .....",
     "Return to WayPoint #1 Calculations Complete ...", "Module Main, MWP1", "Form17",
     "Move to WayPoint #1", "Move  WayPoint #1", "Moving to WayPoint #1 ...",
     "Move to Waypoint #1 Complete..."},
    {"MoveWayPoint2", "Move to WayPoint #2", "Calculating WayPoint #2 Move .....",
     "Return to WayPoint #2 Calculations Complete ...", "Module Main, MWP2", "Form18",
     "Move to WayPoint #2", "Move  WayPoint #2", "Moving to WayPoint #2 ...",
     "Move to Waypoint #2 Complete..."},
};

// One axis of the plan: its step count, the step and direction-only bytes of its direction,
// and the accumulated threshold of its next step.
struct PlanAxis {
    int32_t steps = 0;
    uint16_t stepByte = 0;
    uint16_t dirByte = 0;
    double interval = 0;
    double threshold = 0;
    int32_t taken = 0;
};

int32_t axisSteps(float from, float to, int32_t stepsPerMm, bool toHome) {
    const double amount = toHome ? std::fabs(static_cast<double>(from) * stepsPerMm)
                                 : std::fabs(static_cast<double>(to - from)) * stepsPerMm;
    return toInt32(amount);
}

// Back for an X axis and up for a Y axis when the target lies above the position.
bool positiveSense(float from, float to) {
    return to - from > 0;
}

}  // namespace

const PlanVariant& planVariant(PlanTarget target) {
    return kVariants[static_cast<int>(target)];
}

PlanStepCounts planStepCounts(const DerivedSettings& s, const AxisPosition& from,
                              const AxisPosition& to, bool toHome) {
    PlanStepCounts n;
    n.X1 = axisSteps(from.X1, to.X1, s.StepsPerMm, toHome);
    n.Y1 = axisSteps(from.Y1, to.Y1, s.StepsPerMm, toHome);
    n.X2 = axisSteps(from.X2, to.X2, s.StepsPerMm, toHome);
    n.Y2 = axisSteps(from.Y2, to.Y2, s.StepsPerMm, toHome);
    return n;
}

std::vector<uint8_t> buildMovePlan(const DerivedSettings& s, const AxisPosition& from,
                                   const AxisPosition& to, bool toHome,
                                   const std::function<void()>& yield) {
    const PlanStepCounts n = planStepCounts(s, from, to, toHome);
    const bool x1 = positiveSense(from.X1, to.X1);
    const bool y1 = positiveSense(from.Y1, to.Y1);
    const bool x2 = positiveSense(from.X2, to.X2);
    const bool y2 = positiveSense(from.Y2, to.Y2);
    PlanAxis axes[4] = {
        {n.X1, x1 ? s.X1Back : s.X1Forward, x1 ? s.X1BackDir : s.X1ForwardDir},
        {n.Y1, y1 ? s.Y1Up : s.Y1Down, y1 ? s.Y1UpDir : s.Y1DownDir},
        {n.X2, x2 ? s.X2Back : s.X2Forward, x2 ? s.X2BackDir : s.X2ForwardDir},
        {n.Y2, y2 ? s.Y2Up : s.Y2Down, y2 ? s.Y2UpDir : s.Y2DownDir},
    };
    int32_t ticks = 0;
    for (const PlanAxis& a : axes) ticks = std::max(ticks, a.steps);
    for (PlanAxis& a : axes) {
        if (a.steps > 0) a.interval = a.threshold = static_cast<double>(ticks) / a.steps;
    }

    std::vector<uint8_t> plan;
    plan.reserve(static_cast<size_t>(ticks));
    // Which axes stepped on each tick (bit a for axis a), to place steps still owed.
    std::vector<uint8_t> stepped;
    stepped.reserve(static_cast<size_t>(ticks));
    for (int32_t i = 1; i <= ticks; ++i) {
        unsigned byte = 0;
        uint8_t mask = 0;
        for (int a = 0; a < 4; ++a) {
            PlanAxis& axis = axes[a];
            if (axis.taken < axis.steps && axis.threshold <= i) {
                byte += axis.stepByte;
                axis.threshold += axis.interval;
                ++axis.taken;
                mask = static_cast<uint8_t>(mask | 1u << a);
            } else {
                byte += axis.dirByte;
            }
        }
        if (byte > 255) throw RunError(ErrorNumber::Overflow);
        plan.push_back(static_cast<uint8_t>(byte));
        stepped.push_back(mask);
        if (yield) yield();
    }
    // The repeated addition can leave the last threshold a hair above the last tick: a step
    // still owed goes to the latest tick on which that axis did not step, never on top of one.
    for (int a = 0; a < 4; ++a) {
        PlanAxis& axis = axes[a];
        for (int32_t i = ticks; axis.taken < axis.steps && i >= 1; --i) {
            const auto t = static_cast<size_t>(i - 1);
            if (stepped[t] >> a & 1) continue;
            const unsigned byte = plan[t] - axis.dirByte + axis.stepByte;
            if (byte > 255) throw RunError(ErrorNumber::Overflow);
            plan[t] = static_cast<uint8_t>(byte);
            stepped[t] = static_cast<uint8_t>(stepped[t] | 1u << a);
            ++axis.taken;
        }
    }
    return plan;
}

AxisPosition planTargetPosition(const Workspace& ws, PlanTarget target) {
    switch (target) {
        case PlanTarget::Home:
            return AxisPosition{};
        case PlanTarget::WayPoint1:
            return ws.position.WayPoint1;
        case PlanTarget::WayPoint2:
            return ws.position.WayPoint2;
    }
    return AxisPosition{};
}

void planMove(Workspace& ws, PlanTarget target) {
    // Drop the old plan first: a window started while this one is being built, or after it
    // failed, finds nothing to run rather than a half-built or stale plan.
    std::vector<uint8_t>().swap(ws.movePlan.bytes);
    const AxisPosition from = ws.position.Position;
    const AxisPosition to = planTargetPosition(ws, target);
    try {
        std::vector<uint8_t> plan =
            buildMovePlan(ws.settings.derived, from, to, target == PlanTarget::Home, ws.yield);
        ws.movePlan.bytes = std::move(plan);
    } catch (const std::bad_alloc&) {
        throw RunError(ErrorNumber::OutOfMemory);
    } catch (const std::length_error&) {
        throw RunError(ErrorNumber::OutOfMemory);
    }
}

}  // namespace corvane
