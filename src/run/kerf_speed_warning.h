// A cut run at a slider speed far from the speed its set was made for melts another kerf: the
// wire stays longer in the foam when slower (a wider kerf, a thinner part) and shorter when
// faster. The cut window says so, without regenerating anything mid-cut, once the speed has
// moved more than kKerfSpeedFraction of the made-for speed away from it.
#pragma once

#include <optional>

namespace corvane {

class Workspace;

// A quarter: about the change in speed at which a hot wire's kerf moves by a tenth of a
// millimetre or more in the usual foams.
inline constexpr double kKerfSpeedFraction = 0.25;

// The speed the working set was made for, mm/s: its DAT-information line's "made for" record,
// or for a set without one (a foam set) the speed this program generated it at; nullopt when
// neither says (a set made before speeds were recorded, a foam set loaded or made elsewhere).
std::optional<double> madeForSpeedMmS(const Workspace& ws);

struct SpeedDeparture {
    double madeForMmS = 0;
    double nowMmS = 0;
    double fraction = 0;  // (now - made for) / made for: negative when slower
};

// The departure of `nowMmS` from the made-for speed when it is more than kKerfSpeedFraction;
// nullopt within it or without a made-for speed.
std::optional<SpeedDeparture> farFromMadeForSpeed(std::optional<double> madeForMmS, double nowMmS);

}  // namespace corvane
