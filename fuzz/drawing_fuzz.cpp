// Fuzz target: DXF drawings. The reader (dxflib and our flattening), the chaining of every
// layer that draws, and for a layer that is a part its orientation both ways and its pairing
// with itself, as generate foam --drawing runs them.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "generate/drawing_shape.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    Drawing d;
    try {
        d = parseDrawing(bytes, "fuzz.dxf");
    } catch (const DrawingError&) {
        return 0;
    }
    for (const DrawingPiece& p : d.pieces)
        fuzz::require(p.points.size() == p.joint.size(), "a piece's joints and points differ");
    for (const std::string& layer : drawnLayers(d)) {
        const LayerOutlines lo = chainLayer(d, layer);
        if (!lo.problems.empty()) continue;
        fuzz::require(lo.outlines.size() == 1 && lo.outlines[0].closed,
                      "a part layer without one closed outline");
        for (const bool reverse : {false, true}) {
            try {
                ShapeChoice choice;
                choice.reverse = reverse;
                const DrawingOutline o = orientOutline(lo.outlines[0], choice);
                fuzz::require(o.points.size() == o.corner.size(), "corner flags lost");
                const DrawingShape s = correspondOutlines(o, o);
                fuzz::require(s.root.size() == s.tip.size(), "root and tip differ in points");
            } catch (const DrawingError&) {
            }
        }
    }
    return 0;
}
