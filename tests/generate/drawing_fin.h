// A tapered, swept fin drawn as two DXF files the tests write themselves: a root of 150 mm (a
// closed polyline with a bulged top) and a tip of 90 mm in centimetres (lines and a spline top)
// drawn 40 mm behind the root's foot, so the drawings place it. Both have four corners.
#pragma once

#include <filesystem>

#include "generate/dxf_test_writer.h"
#include "support/test_support.h"

namespace corvane::test {

inline void writeTaperedFin(const std::filesystem::path& dir) {
    DxfText root;
    root.lwpolyline("FIN", {{0, 0}, {150, 0}, {120, 80, 0.3}, {40, 80}}, true);
    writeFile(dir / "root.dxf", root.str());
    DxfText tip(5);
    tip.line("FIN", 4, 0, 13, 0)
        .line("FIN", 13, 0, 11.5, 5)
        .spline("FIN", 2, {0, 0, 0, 1, 1, 1}, {{11.5, 5}, {9, 6}, {6.5, 5}})
        .line("FIN", 6.5, 5, 4, 0);
    writeFile(dir / "tip.dxf", tip.str());
}

}  // namespace corvane::test
