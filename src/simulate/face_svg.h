// The faces in the simulation's picture: both designed face outlines, lightly, with the outline
// offset by half the kerf and the wire's path where it crosses each face plane, in the faces'
// one frame and scale, so a blend or a kerf error shows as the gap between them.
#pragma once

#include <string>

namespace corvane {

struct Simulation;

// The panel's SVG elements placed from `top` (px) at `left` within `width`; `height` receives
// the space it takes. Empty (height 0) when the simulation has no face check.
std::string facePanelSvg(const Simulation& sim, double top, double left, double width,
                         double& height);

}  // namespace corvane
