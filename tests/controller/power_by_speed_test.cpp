// Power by speed: a face set made with a material whose points carry a power gets an S word on
// every move, the power at the move's face speed worked out again here from the program's own
// positions and feed; the wire comes on at the made-for speed's power; the controller stream
// sends the same words; constant power stays for a material without powers, and when asked.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "controller/controller_program.h"
#include "simulate/gcode_export.h"
#include "simulate/simulate_fixture.h"

namespace corvane {
namespace {

struct Words {
    std::string text;
    bool has(char letter) const { return find(letter) != std::string::npos; }
    std::size_t find(char letter) const { return text.find(std::string(" ") + letter); }
    double get(char letter) const { return std::stod(text.substr(find(letter) + 2)); }
};

std::vector<Words> lines(const std::string& program, const char* start) {
    std::vector<Words> out;
    std::istringstream in(program);
    for (std::string line; std::getline(in, line);) {
        const std::size_t paren = line.find('(');
        if (paren != std::string::npos) line = line.substr(0, paren);
        if (line.rfind(start, 0) == 0) out.push_back({" " + line});
    }
    return out;
}

Material withPowers(bool powers) {
    std::string why;
    std::vector<KerfPoint> p = {{2, 1.4, 500}, {4, 0.8, 600}, {6, 0.6, 700}};
    if (!powers)
        for (KerfPoint& k : p) k.power.reset();
    return *makeMaterial("EPS 20 泡沫", p, why);
}

// The demo's airfoils on faces 250 and 130 mm, made at 5 mm/s with `material`.
struct TaperedFaceSet : test::GenerateMachine {
    explicit TaperedFaceSet(const Material& material) {
        ws.settings.fields.kerf = "0.3";
        ws.settings.derive();
        GenerationRequest r =
            wing(test::shippedSample("naca2412.dat"), test::shippedSample("naca0012.dat"), "", "");
        r.geometry = WingGeometry::Faces;
        r.faces.leftChordMm = 250, r.faces.rightChordMm = 130;
        r.faces.towersMm = 900, r.faces.leftGapMm = 150, r.faces.spanMm = 600;
        r.faces.sweepMm = 30;
        r.faces.leftKerfMm = r.faces.rightKerfMm = 0.3;
        r.material = material;
        r.cutSpeedMmS = 5;
        CutGenerator generator(ws);
        const GenerationOutcome out = generator.generate(r);
        EXPECT_EQ(out.status, GenerationStatus::Finished)
            << (out.messages.empty() ? "" : out.messages.front().text);
    }
    Simulation simulate() const { return simulateSet(ws, workingSetPaths(dir.path())); }
};

TEST(PowerBySpeed, EveryMoveCarriesThePowerAtItsFaceSpeed) {
    const Material m = withPowers(true);
    TaperedFaceSet set(m);
    const Simulation sim = set.simulate();
    ASSERT_TRUE(sim.faces);
    GcodeOptions o;
    o.axes = GcodeAxes::XYUV;
    o.speed = Fixed4::fromInt(5);
    const std::string program = gcodeProgram(sim, o);
    const std::vector<Words> moves = lines(program, "G1");
    ASSERT_GT(moves.size(), 50u);

    // The wire at each face, from the program's own positions: a straight line from (X, Y) to
    // (U, V), the faces at 150 and 750 of 900 mm; each move's time from its inverse-time feed.
    const double at[2] = {150.0 / 900, 750.0 / 900};
    double prev[4] = {0, 0, 0, 0};
    double lowest = 1e9, highest = 0;
    for (const Words& w : moves) {
        ASSERT_TRUE(w.has('S')) << w.text;
        const double end[4] = {w.get('X'), w.get('Y'), w.get('U'), w.get('V')};
        const double seconds = 60.0 / w.get('F');
        double faceMm = 0;
        for (double f : at) {
            const double dx = (end[0] - prev[0]) + ((end[2] - prev[2]) - (end[0] - prev[0])) * f;
            const double dy = (end[1] - prev[1]) + ((end[3] - prev[3]) - (end[1] - prev[1])) * f;
            faceMm += std::hypot(dx, dy) / 2;
        }
        const double speed = faceMm / seconds;
        EXPECT_NEAR(w.get('S'), *powerAt(m, speed), 0.05) << w.text << " at " << speed;
        lowest = std::min(lowest, w.get('S'));
        highest = std::max(highest, w.get('S'));
        for (int a = 0; a < 4; ++a) prev[a] = end[a];
    }
    EXPECT_GE(lowest, 500);
    EXPECT_LE(highest, 700);
    EXPECT_GT(highest - lowest, 20);  // the power follows the speed round the profile
    // The wire comes on at the power of the speed the set was made for: 650 at 5 mm/s.
    const std::vector<Words> on = lines(program, "M3");
    ASSERT_EQ(on.size(), 1u);
    EXPECT_EQ(on[0].get('S'), 650);

    // The controller streams the same S words, and switches the wire on at the same power.
    ControllerCutOptions c;
    c.speed = Fixed4::fromInt(5);
    c.wire = true;
    std::string streamed;
    for (const ProgramLine& l : controllerCut(sim, c)) streamed += l.text + "\n";
    std::vector<Words> streamedMoves;
    int wireOn = 0;
    for (const Words& w : lines(streamed, "N")) {
        if (w.text.find(" G1 ") != std::string::npos) streamedMoves.push_back(w);
        if (w.text.find(" M3") != std::string::npos) {
            EXPECT_EQ(w.get('S'), 650) << w.text;
            ++wireOn;
        }
    }
    EXPECT_EQ(wireOn, 1);
    ASSERT_EQ(streamedMoves.size(), moves.size());
    for (std::size_t i = 0; i < moves.size(); ++i)
        EXPECT_EQ(streamedMoves[i].get('S'), moves[i].get('S')) << i;
}

TEST(PowerBySpeed, ConstantPowerWithoutPowersOrWhenAsked) {
    struct Case {
        const char* what;
        bool powers, bySpeed;
    };
    const Case cases[] = {{"material without powers", false, true},
                          {"power by speed turned off", true, false}};
    for (const Case& c : cases) {
        TaperedFaceSet set(withPowers(c.powers));
        const Simulation sim = set.simulate();
        GcodeOptions o;
        o.speed = Fixed4::fromInt(5);
        o.powerBySpeed = c.bySpeed;
        const std::string program = gcodeProgram(sim, o);
        for (const Words& w : lines(program, "G1")) EXPECT_FALSE(w.has('S')) << c.what;
        const std::vector<Words> on = lines(program, "M3");
        ASSERT_EQ(on.size(), 1u);
        EXPECT_EQ(on[0].get('S'), kDefaultWirePower) << c.what;
    }
}

}  // namespace
}  // namespace corvane
