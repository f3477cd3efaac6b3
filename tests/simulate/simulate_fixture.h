// The demo wing of scripts/demo as a test set: the shipped NACA 2412 root and NACA 0012 tip at the
// demo's tower chords, 158 steps/mm, a 0.3 mm kerf, -2 degrees washout at the tip, delay points
// after segments 20 and 40 and 10 mm horizontal lead moves; generated into a test machine.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "generate/generate_fixture.h"
#include "simulate/simulation.h"

namespace corvane::test {

inline std::string shippedSample(const char* name) {
    return (std::filesystem::path(CORVANE_RESOURCES) / "samples" / name).string();
}

struct DemoWingOptions {
    bool leadMoves = true;
    std::string rootChord = "271.86", tipChord = "136.33";
    std::function<void(SettingsFields&)> tweak;  // e.g. another pin map before generating
};

struct DemoWing : GenerateMachine {
    explicit DemoWing(const DemoWingOptions& o = {}) {
        SettingsFields& f = ws.settings.fields;
        if (o.tweak) o.tweak(f);
        f.kerf = "0.3";
        if (o.leadMoves) {
            f.lead_in = 1;
            f.horizontal = true;
            f.lead_in_amount = "10";
            f.lead_out = 1;
        }
        ws.settings.derive();
        ws.delays.ActiveDelayPoints = {20, 40};
        ws.delays.ActiveDelayPointCount = 2;
        GenerationRequest r = wing(shippedSample("naca2412.dat"), shippedSample("naca0012.dat"),
                                   o.rootChord, o.tipChord);
        r.leftWashout = true;
        r.leftAngleText = "0";
        r.rightWashout = true;
        r.rightAngleText = "-2";
        CutGenerator generator(ws);
        const GenerationOutcome out = generator.generate(r);
        EXPECT_EQ(out.status, GenerationStatus::Finished);
    }

    Simulation simulate() const { return simulateSet(ws, workingSetPaths(dir.path())); }
};

}  // namespace corvane::test
