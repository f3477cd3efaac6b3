// The wing planform calculations (and the two foam ones built on the same geometry). Picture
// the panel lying flat between the towers, the wire along x from the left tower to the right
// one; a tower chord is the distance across the wire between the trailing-edge line and the
// leading-edge line where that line meets the tower.
#include <cmath>

#include "generate/planform.h"
#include "generate/planform_steps.h"

namespace corvane {

using namespace planform_steps;

namespace {

// The reference calculation: the panel turned so that its trailing edge runs along the wire.
// The foam `concentric` window also takes the offset off the left gap.
PlanformResult turnedTaper(const BoxTexts& boxes, const OversizeBlank& blank, bool offsetInGap) {
    Value cR = input(boxes, "Text9"), cT = input(boxes, "Text10"), o = input(boxes, "Text11");
    Value L = input(boxes, "Text1"), D = input(boxes, "Text14"), g = input(boxes, "Text3");
    Value e, th, t, a1, a2, a3, a4, phi, G, left, right;

    step([&] { e = need(cR) - need(o) - need(cT); });
    step([&] { th = std::atan(quotient(need(e), need(L))); });
    step([&] { t = need(th) == 0 ? need(L) : quotient(need(e), std::sin(need(th))); });
    step([&] { a1 = need(cR) * std::sin(need(th)); });
    step([&] { a2 = need(cR) * std::cos(need(th)); });
    step([&] { a3 = need(cT) * std::sin(need(th)); });
    step([&] { a4 = need(cT) * std::cos(need(th)); });
    step([&] { phi = std::atan(quotient(need(o), need(L))); });
    step([&] { G = need(D) - need(t) - need(a3) - need(g) - (offsetInGap ? need(o) : 0.0); });
    step([&] { left = finite(need(a2) + (need(a1) + need(G)) * std::tan(need(phi) + need(th))); });
    step([&] { right = finite(need(a4) - need(g) * std::tan(need(phi) + need(th))); });

    PlanformResult r;
    step([&] { show(r, "Text5", need(a1)); });
    step([&] { show(r, "Text2", need(G)); });
    step([&] { show(r, "Text4", need(a3)); });
    step([&] { show(r, "Text12", need(left)); });
    step([&] { show(r, "Text13", need(right)); });
    step([&] { show(r, "Text6", need(a2)); });
    step([&] { show(r, "Text7", blank.depth(need(a2))); });
    step([&] { show(r, "Text8", blank.width(need(a3) + need(t))); });
    return r;
}

// The straight trailing edge along the wire, no turning: the leading edge alone tapers.
PlanformResult straightTrailingEdge(const BoxTexts& boxes, const OversizeBlank& blank) {
    Value cR = input(boxes, "Text9"), cT = input(boxes, "Text10"), L = input(boxes, "Text1");
    Value D = input(boxes, "Text14"), g = input(boxes, "Text3");
    Value e, phi, G, left, right;

    step([&] { e = need(cR) - need(cT); });
    step([&] { phi = std::atan(quotient(need(e), need(L))); });
    step([&] { G = need(D) - need(L) - need(g); });
    step([&] { left = finite(need(cR) + need(G) * std::tan(need(phi))); });
    step([&] { right = finite(need(cT) - need(g) * std::tan(need(phi))); });

    PlanformResult r;
    step([&] { show(r, "Text11", need(e)); });
    step([&] { show(r, "Text2", need(G)); });
    step([&] { show(r, "Text6", need(cR)); });
    step([&] { show(r, "Text12", need(left)); });
    step([&] { show(r, "Text13", need(right)); });
    step([&] { show(r, "Text7", blank.depth(need(cR))); });
    step([&] { show(r, "Text8", blank.width(need(L))); });
    return r;
}

}  // namespace

PlanformResult calculateTaper(const BoxTexts& boxes, const OversizeBlank& blank) {
    return turnedTaper(boxes, blank, false);
}

PlanformResult calculateConcentric(const BoxTexts& boxes, const OversizeBlank& blank) {
    return turnedTaper(boxes, blank, true);
}

PlanformResult calculateLeadingEdgeTaper(const BoxTexts& boxes, const OversizeBlank& blank) {
    return straightTrailingEdge(boxes, blank);
}

PlanformResult calculateEccentric(const BoxTexts& boxes, const OversizeBlank& blank) {
    return straightTrailingEdge(boxes, blank);
}

// Straight leading edge, tapering trailing edge: turned like the reference so that the trailing
// edge runs along the wire; the leading edge then meets it at the turning angle.
PlanformResult calculateTrailingEdgeTaper(const BoxTexts& boxes, const OversizeBlank& blank) {
    Value cR = input(boxes, "Text9"), cT = input(boxes, "Text10"), L = input(boxes, "Text1");
    Value D = input(boxes, "Text14"), g = input(boxes, "Text3");
    Value e, th, t, a1, a2, a5, h, G, left, right;

    step([&] { e = need(cR) - need(cT); });
    step([&] { th = std::atan(quotient(need(e), need(L))); });
    step([&] { t = need(th) == 0 ? need(L) : quotient(need(e), std::sin(need(th))); });
    step([&] { a1 = need(cR) * std::sin(need(th)); });
    step([&] { a2 = need(cR) * std::cos(need(th)); });
    step([&] { a5 = need(L) * std::cos(need(th)); });
    step([&] { h = need(a5) + need(a1) - need(t); });
    step([&] { G = need(D) - need(t) - need(h) - need(g); });
    step([&] { left = finite(need(a2) + (need(a1) + need(G)) * std::tan(need(th))); });
    step([&] { right = finite(need(cT) * std::cos(need(th)) - need(g) * std::tan(need(th))); });

    PlanformResult r;
    step([&] { show(r, "Text11", need(e)); });
    step([&] { show(r, "Text4", need(a1)); });
    step([&] { show(r, "Text2", need(G)); });
    step([&] { show(r, "Text5", need(h)); });
    step([&] { show(r, "Text6", need(a2)); });
    step([&] { show(r, "Text12", need(left)); });
    step([&] { show(r, "Text13", need(right)); });
    step([&] { show(r, "Text7", blank.depth(need(a2))); });
    step([&] { show(r, "Text8", blank.width(need(a5) + need(a1))); });
    return r;
}

// Swept panel: every chord lies at the sweep angle across the wire, the trailing edge along it.
// Root trailing edge at x = 0, tip trailing edge at x = L, root leading edge b1 further left,
// tip leading edge b5 left of the tip's trailing edge; the right tower stands g beyond the tip
// trailing edge (the panel's right end), so the leading-edge line meets it b5 + g beyond the
// tip's leading edge.
PlanformResult calculateSwept(const BoxTexts& boxes, const OversizeBlank& blank,
                              std::string_view gapBox, std::string_view towerGapBox) {
    Value cR = input(boxes, "Text9"), cT = input(boxes, "Text10"), sigma = input(boxes, "Text11");
    Value L = input(boxes, "Text1"), D = input(boxes, "Text14"), g = input(boxes, gapBox);
    Value s, b1, b2, b3, b5, beta, G, left, right;

    step([&] { s = finite(need(sigma) * kPlanformTwoPi / 360); });
    step([&] { b1 = need(cR) * std::sin(need(s)); });
    step([&] { b2 = need(cR) * std::cos(need(s)); });
    step([&] { b3 = need(cT) * std::cos(need(s)); });
    step([&] { b5 = need(cT) * std::sin(need(s)); });
    step([&] { beta = std::atan(quotient(need(b2) - need(b3), need(b1) + need(L) - need(b5))); });
    // The leading-edge angle goes through its degree text and back, as the window always did.
    step([&] {
        double degrees = need(beta) * 360 / kPlanformTwoPi;
        beta = leadingNumber(formatDouble(degrees)) * kPlanformTwoPi / 360;
    });
    step([&] { G = need(D) - need(L) - need(b1) - need(g); });
    step([&] { left = finite(need(b2) + need(G) * std::tan(need(beta))); });
    step([&] { right = finite(need(b3) - (need(b5) + need(g)) * std::tan(need(beta))); });

    PlanformResult r;
    step([&] { show(r, "Text4", need(b1)); });
    step([&] { show(r, towerGapBox, need(G)); });
    step([&] { show(r, "Text5", need(b5)); });
    step([&] { show(r, "Text6", need(b2)); });
    step([&] { show(r, "Text12", need(left)); });
    step([&] { show(r, "Text13", need(right)); });
    step([&] { show(r, "Text7", blank.depth(need(b2))); });
    step([&] { show(r, "Text8", blank.width(need(L) + need(b1))); });
    return r;
}

}  // namespace corvane
