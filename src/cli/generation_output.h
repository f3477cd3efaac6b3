// The part of `generate` that `calibrate kerf` shares: run a generation request on the working
// set, print its messages and its Name=value summary (the kerf used on each side among it),
// time it at a speed, and save it under a name, the folder held from the generation to the save.
#pragma once

#include <optional>
#include <string>

#include "generate/cut_generator.h"

namespace corvane {
class Workspace;
}

namespace corvane::cli {

// The speed for the summary's times and for kerf by speed: the slider stops at
// SpeedSliderMax / 5, so a faster wish is taken down to it (and said).
double sliderSpeed(const Workspace& ws, double wanted);

// 0 when the set is in place (and saved when asked), 1 otherwise.
int generateAndReport(Workspace& ws, const GenerationRequest& request,
                      const std::optional<std::string>& save, std::optional<double> speed);

// The kerf summary lines of a wing set: the material and the made-for speed when there are
// any, and "LeftKerfUsed=0.3 mm" for one kerf, or a range with the speeds behind it.
std::string kerfSummaryText(const GenerationSummary& summary);

}  // namespace corvane::cli
