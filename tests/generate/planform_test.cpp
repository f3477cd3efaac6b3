// The planform calculations against an independent construction: the panel's corners are laid
// out in plan, turned so that the trailing edge runs along the wire, the towers are put at the
// gaps from the panel's ends, and each tower chord is read off where the edge lines cross it.
#include "generate/planform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace corvane {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Pt {
    double x, y;  // x along the wire (root to tip), y across it (leading edge negative)
};

// The panel in plan after turning: corners and the tower positions.
struct Layout {
    Pt rootLE, rootTE, tipLE, tipTE;
    double leftTower = 0, rightTower = 0;

    static double lineAt(Pt a, Pt b, double x) {
        return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
    }
    double chordAt(double x) const { return lineAt(rootTE, tipTE, x) - lineAt(rootLE, tipLE, x); }
    double leftChord() const { return chordAt(leftTower); }
    double rightChord() const { return chordAt(rightTower); }
    double minX() const { return std::min({rootLE.x, rootTE.x, tipLE.x, tipTE.x}); }
    double maxX() const { return std::max({rootLE.x, rootTE.x, tipLE.x, tipTE.x}); }
    double depth() const { return std::max(rootTE.y - rootLE.y, tipTE.y - tipLE.y); }
};

// Plan corners (x spanwise from the root, y chordwise, aft positive) turned about the root
// trailing edge until the trailing edge points along +x.
Layout turnTrailingEdgeOntoWire(Pt rLE, Pt rTE, Pt tLE, Pt tTE) {
    double angle = std::atan2(tTE.y - rTE.y, tTE.x - rTE.x);
    auto turn = [&](Pt p) {
        double dx = p.x - rTE.x, dy = p.y - rTE.y;
        return Pt{dx * std::cos(-angle) - dy * std::sin(-angle),
                  dx * std::sin(-angle) + dy * std::cos(-angle)};
    };
    return Layout{turn(rLE), turn(rTE), turn(tLE), turn(tTE)};
}

// Towers: the right one `gap` beyond `rightEnd`, the left one `towers` before it.
void placeTowers(Layout& l, double rightEnd, double gap, double towers) {
    l.rightTower = rightEnd + gap;
    l.leftTower = l.rightTower - towers;
}

double shown(const PlanformResult& r, const char* box) {
    const FilledBox* b = r.find(box);
    if (!b) {
        ADD_FAILURE() << box << " not filled";
        return NAN;
    }
    EXPECT_NEAR(std::stod(b->text), b->value, 0.005 + 1e-9) << box << " shows " << b->text;
    return b->value;
}

BoxTexts boxes(std::initializer_list<std::pair<const char*, double>> values) {
    BoxTexts out;
    for (auto [name, v] : values) {
        char text[64];
        std::snprintf(text, sizeof text, "%.10g", v);
        out.emplace_back(name, text);
    }
    return out;
}

constexpr double kTol = 1e-9;

// left_taper / right_taper: root cR, tip cT, tip leading edge o behind the root's, span L.
void checkTaper(double cR, double cT, double o, double L, double D, double g) {
    SCOPED_TRACE("taper cR=" + std::to_string(cR) + " cT=" + std::to_string(cT) +
                 " o=" + std::to_string(o));
    Layout p = turnTrailingEdgeOntoWire({0, 0}, {0, cR}, {L, o}, {L, o + cT});
    ASSERT_GE(p.tipLE.x, p.tipTE.x) << "case chosen with the tip leading edge outermost";
    placeTowers(p, p.tipLE.x, g, D);
    PlanformResult r = calculateTaper(boxes({{"Text9", cR},
                                             {"Text10", cT},
                                             {"Text11", o},
                                             {"Text1", L},
                                             {"Text14", D},
                                             {"Text3", g}}),
                                      {});
    EXPECT_NEAR(shown(r, "Text12"), p.leftChord(), kTol);
    EXPECT_NEAR(shown(r, "Text13"), p.rightChord(), kTol);
    EXPECT_NEAR(shown(r, "Text2"), p.minX() - p.leftTower, kTol);
    EXPECT_NEAR(shown(r, "Text5"), p.rootLE.x - p.rootTE.x, kTol);
    EXPECT_NEAR(shown(r, "Text4"), p.tipLE.x - p.tipTE.x, kTol);
    EXPECT_NEAR(shown(r, "Text6"), p.rootTE.y - p.rootLE.y, kTol);
    EXPECT_NEAR(shown(r, "Text7"), p.depth(), kTol);
    EXPECT_NEAR(shown(r, "Text8"), p.maxX() - p.minX(), kTol);
}

TEST(PlanformTaper, MatchesTheTurnedPanelForTaperedAndSweptWings) {
    checkTaper(250, 150, 0, 600, 1000, 100);   // straight leading edge, tapered
    checkTaper(300, 150, 100, 700, 1100, 80);  // swept leading edge, trailing edge forward
    checkTaper(180, 120, 30, 450, 900, 0);     // panel against the right tower
}

TEST(PlanformTaper, SweptBackPanelStillGivesTheChordsWhereTheTowersStand) {
    // Tip trailing edge aft of the root's: the window measures the left gap from the root
    // trailing edge and the right one from the tip leading edge; the chords must match there.
    double cR = 200, cT = 200, o = 120, L = 500, D = 900, g = 60;
    Layout p = turnTrailingEdgeOntoWire({0, 0}, {0, cR}, {L, o}, {L, o + cT});
    placeTowers(p, p.tipLE.x, g, D);
    PlanformResult r = calculateTaper(boxes({{"Text9", cR},
                                             {"Text10", cT},
                                             {"Text11", o},
                                             {"Text1", L},
                                             {"Text14", D},
                                             {"Text3", g}}),
                                      {});
    EXPECT_NEAR(shown(r, "Text12"), p.leftChord(), kTol);
    EXPECT_NEAR(shown(r, "Text13"), p.rightChord(), kTol);
    EXPECT_NEAR(shown(r, "Text2"), p.rootTE.x - p.leftTower, kTol);
}

TEST(PlanformTaper, RectangularPanelShowsTheWorkedExample) {
    PlanformResult r = calculateTaper({{"Text9", "200"},
                                       {"Text10", "200"},
                                       {"Text11", "0"},
                                       {"Text1", "500"},
                                       {"Text14", "1000"},
                                       {"Text3", "250"}},
                                      {});
    BoxTexts expected{{"Text5", "0"},    {"Text2", "250"}, {"Text4", "0"},   {"Text12", "200"},
                      {"Text13", "200"}, {"Text6", "200"}, {"Text7", "200"}, {"Text8", "500"}};
    EXPECT_EQ(r.texts(), expected);
}

TEST(PlanformTrailingEdgeTaper, MatchesTheTurnedPanel) {
    for (auto [cR, cT, L, D, g] : {std::array{260.0, 140.0, 550.0, 1000.0, 120.0},
                                   std::array{300.0, 100.0, 400.0, 800.0, 30.0}}) {
        SCOPED_TRACE(cR);
        // Straight leading edge square to the root; the trailing edge tapers.
        Layout p = turnTrailingEdgeOntoWire({0, 0}, {0, cR}, {L, 0}, {L, cT});
        placeTowers(p, p.maxX(), g, D);
        PlanformResult r = calculateTrailingEdgeTaper(
            boxes({{"Text9", cR}, {"Text10", cT}, {"Text1", L}, {"Text14", D}, {"Text3", g}}), {});
        EXPECT_NEAR(shown(r, "Text11"), cR - cT, kTol);
        EXPECT_NEAR(shown(r, "Text12"), p.leftChord(), kTol);
        EXPECT_NEAR(shown(r, "Text13"), p.rightChord(), kTol);
        EXPECT_NEAR(shown(r, "Text2"), p.minX() - p.leftTower, kTol);
        EXPECT_NEAR(shown(r, "Text4"), p.rootLE.x - p.rootTE.x, kTol);
        EXPECT_NEAR(shown(r, "Text5"), p.tipLE.x - p.tipTE.x, kTol);
        EXPECT_NEAR(shown(r, "Text6"), p.depth(), kTol);
        EXPECT_NEAR(shown(r, "Text7"), p.depth(), kTol);
        EXPECT_NEAR(shown(r, "Text8"), p.maxX() - p.minX(), kTol);
    }
}

// Leading-edge taper: nothing is turned, the trailing edge already runs along the wire.
void checkLeadingEdgeTaper(PlanformResult (*calc)(const BoxTexts&, const OversizeBlank&), double cR,
                           double cT, double L, double D, double g) {
    SCOPED_TRACE(cR);
    Layout p{{0, -cR}, {0, 0}, {L, -cT}, {L, 0}};
    placeTowers(p, L, g, D);
    OversizeBlank blank{true, 12.5, 30};
    PlanformResult r = calc(
        boxes({{"Text9", cR}, {"Text10", cT}, {"Text1", L}, {"Text14", D}, {"Text3", g}}), blank);
    EXPECT_NEAR(shown(r, "Text12"), p.leftChord(), kTol);
    EXPECT_NEAR(shown(r, "Text13"), p.rightChord(), kTol);
    EXPECT_NEAR(shown(r, "Text2"), 0 - p.leftTower, kTol);
    EXPECT_NEAR(shown(r, "Text11"), cR - cT, kTol);
    EXPECT_NEAR(shown(r, "Text6"), cR, kTol);
    EXPECT_NEAR(shown(r, "Text7"), cR + 12.5, kTol);
    EXPECT_NEAR(shown(r, "Text8"), L + 30, kTol);
}

TEST(PlanformLeadingEdgeTaper, MatchesTheFlatPanelAndTheWorkedExample) {
    checkLeadingEdgeTaper(calculateLeadingEdgeTaper, 250, 150, 500, 800, 100);
    checkLeadingEdgeTaper(calculateLeadingEdgeTaper, 140, 210, 650, 1000, 75);  // reverse taper
    checkLeadingEdgeTaper(calculateEccentric, 90, 60, 300, 700, 40);

    PlanformResult r = calculateLeadingEdgeTaper({{"Text9", "250"},
                                                  {"Text10", "150"},
                                                  {"Text1", "500"},
                                                  {"Text14", "800"},
                                                  {"Text3", "100"}},
                                                 {});
    EXPECT_EQ(r.find("Text2")->text, "200");
    EXPECT_EQ(r.find("Text12")->text, "290");
    EXPECT_EQ(r.find("Text13")->text, "130");
    EXPECT_EQ(r.find("Text11")->text, "100");
}

// Swept panel: a wing whose chords run along the flight direction and whose trailing edge is
// swept back by `sweepDeg`; L is the trailing edge's length.
void checkSwept(const char* window, double cR, double cT, double sweepDeg, double L, double D,
                double g) {
    SCOPED_TRACE(window);
    const PlanformWindowInfo* info = findPlanformWindow(window);
    ASSERT_NE(info, nullptr);
    double s = sweepDeg * kPi / 180;
    Pt rTE{0, cR}, tTE{L * std::cos(s), cR + L * std::sin(s)};
    Layout p = turnTrailingEdgeOntoWire({0, 0}, rTE, {tTE.x, tTE.y - cT}, tTE);
    placeTowers(p, p.maxX(), g, D);
    BoxTexts in =
        boxes({{"Text9", cR}, {"Text10", cT}, {"Text11", sweepDeg}, {"Text1", L}, {"Text14", D}});
    setBoxText(in, info->gapBox, std::to_string(g));
    PlanformResult r = calculatePlanform(*info, in, {});
    // The window's own constant for pi (6.2831854 / 2) differs from pi in the eighth digit.
    constexpr double kTolSwept = 1e-4;
    EXPECT_NEAR(shown(r, "Text12"), p.leftChord(), kTolSwept);
    EXPECT_NEAR(shown(r, "Text13"), p.rightChord(), kTolSwept);
    EXPECT_NEAR(shown(r, std::string(info->towerGapBox).c_str()), p.minX() - p.leftTower,
                kTolSwept);
    EXPECT_NEAR(shown(r, "Text4"), p.rootTE.x - p.rootLE.x, kTolSwept);
    EXPECT_NEAR(shown(r, "Text5"), p.tipTE.x - p.tipLE.x, kTolSwept);
    EXPECT_NEAR(shown(r, "Text6"), p.depth(), kTolSwept);
    EXPECT_NEAR(shown(r, "Text8"), p.maxX() - p.minX(), kTolSwept);
    EXPECT_FALSE(r.has(info->gapBox));
}

TEST(PlanformSwept, MatchesTheSweptPanelForBothHands) {
    checkSwept("Form7", 250, 150, 20, 600, 1000, 100);  // tapered and swept
    checkSwept("Form8", 250, 150, 20, 600, 1000, 100);
    checkSwept("Form7", 200, 200, 30, 500, 900, 50);  // constant chord: both chords c.cos(s)
    checkSwept("Form8", 220, 120, 12.5, 800, 1200, 0);
}

TEST(PlanformConcentric, IsTheTurnedPanelWithTheOffsetTakenOffTheTowerDistance) {
    double hL = 120, hR = 80, o = 20, W = 400, D = 800, g = 50;
    Layout p = turnTrailingEdgeOntoWire({0, 0}, {0, hL}, {W, o}, {W, o + hR});
    placeTowers(p, p.tipLE.x, g, D - o);
    PlanformResult r = calculateConcentric(boxes({{"Text9", hL},
                                                  {"Text10", hR},
                                                  {"Text11", o},
                                                  {"Text1", W},
                                                  {"Text14", D},
                                                  {"Text3", g}}),
                                           {});
    EXPECT_NEAR(shown(r, "Text12"), p.leftChord(), kTol);
    EXPECT_NEAR(shown(r, "Text13"), p.rightChord(), kTol);
    EXPECT_NEAR(shown(r, "Text2"), p.minX() - p.leftTower, kTol);
    EXPECT_NEAR(shown(r, "Text8"), p.maxX() - p.minX(), kTol);
}

TEST(PlanformBlank, OversizeAmountsAreAddedOnlyWhenTicked) {
    BoxTexts in{
        {"Text9", "180"}, {"Text10", "180"}, {"Text1", "400"}, {"Text14", "900"}, {"Text3", "10"}};
    EXPECT_EQ(calculateLeadingEdgeTaper(in, {false, 10, 20}).find("Text7")->text, "180");
    EXPECT_EQ(calculateLeadingEdgeTaper(in, {true, 10, 20}).find("Text7")->text, "190");
    EXPECT_EQ(calculateLeadingEdgeTaper(in, {true, 10, 20}).find("Text8")->text, "420");
}

TEST(PlanformSteps, AFailedStepLeavesItsBoxesAndTheRestGoOn) {
    // Span 0: the angle cannot be computed (division by zero), so every box that needs it is
    // left alone; the gap to the left tower does not need it.
    PlanformResult le = calculateLeadingEdgeTaper(
        {{"Text9", "250"}, {"Text10", "150"}, {"Text1", "0"}, {"Text14", "800"}, {"Text3", "100"}},
        {});
    EXPECT_FALSE(le.has("Text12"));
    EXPECT_FALSE(le.has("Text13"));
    EXPECT_EQ(le.find("Text2")->text, "700");
    EXPECT_EQ(le.find("Text11")->text, "100");
    EXPECT_EQ(le.find("Text8")->text, "0");

    PlanformResult taper = calculateTaper({{"Text9", "250"},
                                           {"Text10", "150"},
                                           {"Text11", "0"},
                                           {"Text1", ""},
                                           {"Text14", "800"},
                                           {"Text3", "1"}},
                                          {});
    EXPECT_TRUE(taper.boxes.empty());

    // A number too large for the program is no number: its steps are skipped.
    PlanformResult huge = calculateLeadingEdgeTaper({{"Text9", "250"},
                                                     {"Text10", "150"},
                                                     {"Text1", "500"},
                                                     {"Text14", "1e999"},
                                                     {"Text3", "100"}},
                                                    {});
    EXPECT_FALSE(huge.has("Text2"));
    EXPECT_FALSE(huge.has("Text12"));
    EXPECT_EQ(huge.find("Text13")->text, "130");
}

TEST(PlanformSteps, BoxesAreReadAsLeadingNumbers) {
    PlanformResult r = calculateLeadingEdgeTaper({{"Text9", " 25 0mm"},
                                                  {"Text10", "150.0abc"},
                                                  {"Text1", "5e2"},
                                                  {"Text14", "800"},
                                                  {"Text3", "x"}},
                                                 {});
    EXPECT_EQ(r.find("Text2")->text, "300");   // g reads 0
    EXPECT_EQ(r.find("Text12")->text, "310");  // 250 + 300 x 0.2
    EXPECT_EQ(r.find("Text13")->text, "150");
}

TEST(PlanformSteps, CalculatedBoxesShowTwoDecimals) {
    PlanformResult r = calculateLeadingEdgeTaper(
        {{"Text9", "100"}, {"Text10", "0"}, {"Text1", "300"}, {"Text14", "400"}, {"Text3", "0"}},
        {});
    EXPECT_EQ(r.find("Text12")->text, "133.33");
    EXPECT_NEAR(r.find("Text12")->value, 100 + 100.0 / 3, 1e-12);
}

TEST(PlanformWindows, TwinsAndHandOver) {
    for (const auto& w : planformWindows()) {
        if (w.twin.empty()) continue;
        const PlanformWindowInfo* twin = findPlanformWindow(w.twin);
        ASSERT_NE(twin, nullptr) << w.name;
        EXPECT_EQ(twin->twin, w.name);
        EXPECT_NE(twin->leftHand, w.leftHand);
        // The twin's copies land in the twin's own input boxes.
        for (auto [from, to] : w.twinCopies) {
            EXPECT_NE(std::find(w.inputs.begin(), w.inputs.end(), from), w.inputs.end())
                << w.name << from;
            EXPECT_NE(std::find(twin->inputs.begin(), twin->inputs.end(), to), twin->inputs.end())
                << w.name << to;
        }
    }
    auto ecc = planformHandover(*findPlanformWindow("eccentric"));
    EXPECT_NE(std::find(ecc.begin(), ecc.end(),
                        std::pair<std::string_view, std::string_view>{"Text4", "Text6"}),
              ecc.end());
    auto form8 = planformHandover(*findPlanformWindow("Form8"));
    EXPECT_NE(std::find(form8.begin(), form8.end(),
                        std::pair<std::string_view, std::string_view>{"Text2", "Text11"}),
              form8.end());
}

TEST(PlanformWindows, CommandLineArgumentsBecomeInputBoxes) {
    const PlanformWindowInfo& form7 = *findPlanformWindow("Form7");
    std::string complaint;
    // The value is everything after the first "=", and a later argument of a box wins.
    auto boxes =
        planformArguments(form7, {"Text9=200", "Text2=a=b", "Text9=", "Text9=250"}, complaint);
    ASSERT_TRUE(boxes);
    EXPECT_EQ(boxText(*boxes, "Text9"), "250");
    EXPECT_EQ(boxText(*boxes, "Text2"), "a=b");
    EXPECT_EQ(boxes->size(), 2u);

    struct Refused {
        const char* arg;
    };
    // Text3 is an input of Form8 but filled by the calculation of Form7.
    for (const Refused& r :
         {Refused{"Text9"}, Refused{"Text3=1"}, Refused{"=5"}, Refused{"text9=1"}, Refused{""}}) {
        complaint.clear();
        EXPECT_FALSE(planformArguments(form7, {"Text9=1", r.arg}, complaint)) << r.arg;
        EXPECT_EQ(complaint, "\"" + std::string(r.arg) +
                                 "\" is not TextN=value for an input box of Form7 (input boxes: "
                                 "Text9 Text10 Text11 Text1 Text14 Text2)");
    }
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

// A panel that cannot stand between the towers as entered (a gap past them, letters read as 0)
// gives a chord of 0 or less: said for that side, with the fix; a buildable one says nothing.
TEST(PlanformRefusals, AChordOfZeroOrLessIsNamedWhereItIsComputed) {
    const struct {
        const char* window;
        BoxTexts in;
        const char* words;  // the one problem, or nullptr
    } cases[] = {
        {"left_LE_taper",
         {{"Text9", "250"},
          {"Text10", "150"},
          {"Text1", "500"},
          {"Text14", "800"},
          {"Text3", "100"}},
         nullptr},
        {"left_LE_taper",
         {{"Text9", "250"},
          {"Text10", "150"},
          {"Text1", "500"},
          {"Text14", "800"},
          {"Text3", "800"}},
         "The right tower chord (Text13) comes out at -10 mm"},
        {"left_LE_taper",
         {{"Text9", "abc"},
          {"Text10", "150"},
          {"Text1", "500"},
          {"Text14", "800"},
          {"Text3", "100"}},
         "The left tower chord (Text12) comes out at -60 mm"},
        {"eccentric",
         {{"Text9", "80"}, {"Text10", "40"}, {"Text1", "300"}, {"Text14", "500"}, {"Text3", "500"}},
         "The right tower horizontal size (Text13) comes out at -26.67 mm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.window) + (c.words ? c.words : " buildable"));
        const PlanformResult r = calculatePlanform(*findPlanformWindow(c.window), c.in, {});
        if (c.words == nullptr) {
            EXPECT_TRUE(r.problems.empty()) << r.problems.front();
            continue;
        }
        ASSERT_EQ(r.problems.size(), 1u);
        EXPECT_EQ(r.problems[0].rfind(c.words, 0), 0u) << r.problems[0];
        EXPECT_NE(r.problems[0].find("calculate again"), std::string::npos);
    }
}

}  // namespace
}  // namespace corvane
