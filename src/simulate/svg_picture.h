// A picture of a simulated set, to look at before the foam does: each tower's intended profile
// under the decoded wire path (lead moves dashed, delay points circled, the start dotted), both
// towers at one scale and lined up from the start so the taper shows true, a scale bar in mm.
#pragma once

#include <string>

namespace corvane {

struct Simulation;

// The picture as a standalone SVG document (UTF-8). The decoded path keeps every segment end and
// every tick that strays more than half a pixel from its segment's straight line.
std::string svgPicture(const Simulation& sim);

}  // namespace corvane
