// The foam runner with a foam set from drawings cut on the faces: it draws the fin's tower
// outlines (where the carriages go) and its face outlines lightly after them; the wing runner
// refuses the set as the foam set it is.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "generate/drawing_faces.h"
#include "generate/drawing_fin.h"
#include "generate/face_set_record.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/cut_window_bench.h"

namespace corvane {
namespace {

using test::WindowBench;

TEST(FoamCutWindow, AFoamFaceSetFromDrawingsDrawsItsTowerOutlinesAndFaces) {
    WindowBench b;
    test::writeTaperedFin(b.folder.path());
    DrawingJob job;
    job.rootFile = b.folder.path() / "root.dxf";
    job.tipFile = b.folder.path() / "tip.dxf";
    const PreparedDrawing p = prepareDrawing(job);
    const auto [left, right] = writeDrawingProfiles(p, b.folder.path() / "drawings", "root", "tip");
    FaceDesign d;
    d.towersMm = 600, d.leftGapMm = 100, d.spanMm = 400;
    d = drawingFaceDesign(p, d);
    const FaceGeometryResult built = drawingFaceGeometry(p, d);
    ASSERT_TRUE(built.geometry);
    const FaceGeometry& g = *built.geometry;
    const std::string line = foamFaceDatInfoLine(left.string(), right.string(), 165, 75, d);
    test::writeText(b.ws.file("datinfo.ct3"), line);

    b.open(CutWindowVariant::foam());
    const int segments = static_cast<int>(p.shape.root.size()) - 1;
    ASSERT_EQ(b.view(1).entityCount(), 2 * segments);
    ASSERT_EQ(b.view(2).entityCount(), 2 * segments);
    const double larger = std::max(g.leftTowerChordMm, g.rightTowerChordMm);
    EXPECT_NEAR(b.view(1).entity(1)->X0, g.leftTower.x[0] / larger, 1e-9);
    EXPECT_NEAR(b.view(2).entity(1)->X0, g.rightTower.x[0] / larger, 1e-9);
    EXPECT_NEAR(b.view(1).entity(segments + 1)->X0, 150 / larger, 1e-9);
    EXPECT_NEAR(b.view(2).entity(segments + 1)->X0, 130 / larger, 1e-9);  // the tip as drawn
    EXPECT_EQ(b.view(2).entity(segments + 1)->Color, 0xC8C8C8u);
    if (const char* shot = std::getenv("CORVANE_FOAM_FACES_SHOT")) {
        b.window->resize(1000, 640);
        QTest::qWait(50);
        b.window->grab().save(QString::fromUtf8(shot));
    }

    b.dialogs.answerMessage();
    CutWindow& wing = b.open();
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_EQ(b.dialogs.messages()[0].text,
              "Washout data not included with Cut File.  Either reload correct Cut File or "
              "regenerate the Cut File and try again.");
    EXPECT_FALSE(wing.isVisible());
}

}  // namespace
}  // namespace corvane
