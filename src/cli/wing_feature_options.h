// The wing features on `generate wing`: sheeting, spar slots, trailing-edge thickness, stock and
// the mirrored half, read from their option texts into the face design's WingFeatures.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "generate/wing_features.h"

namespace corvane::cli {

struct WingFeatureOptions {
    std::optional<std::string> sheetingUpper, sheetingLower, teThickness, leStock, teStock;
    std::vector<std::string> spars;
    bool mirror = false;
    bool any() const;  // a feature option given (the mirror aside)
};

// --sheeting-upper MM[:MM], --sheeting-lower MM[:MM], --te-thickness MM[:MM], --le-stock MM[:MM],
// --te-stock MM[:MM] (left face, right face; one figure for both),
// --spar upper|lower:POS:WIDTH:DEPTH[:same|proportional|per-face] (repeatable) and --mirror.
void addWingFeatureOptions(CLI::App* wing, WingFeatureOptions& options);

// The features the options describe; nullopt with `problem` saying which text is wrong. A spar's
// POS is mm from the leading edge, or a chord fraction when written with % (35%) or below 1
// (0.35). POS, WIDTH and DEPTH may each be "LEFT/RIGHT": the slot is then given per face.
std::optional<WingFeatures> wingFeaturesFrom(const WingFeatureOptions& options,
                                             std::string& problem);

// The summary's lines for the features: each figure at the left and right face, and each slot's
// centre, width and depth in mm at both faces ("SparSlot1=upper 70,6,4 44.8,3.84,2.56").
std::string featureSummary(const WingFeatures& features, double leftChordMm, double rightChordMm);

}  // namespace corvane::cli
