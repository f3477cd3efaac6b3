// Form11, the foam runner: the cut window with its own texts, four DAT values read and never
// sheared, every activation failure under "Module 11, FA", the views side by side, and the wire
// caption it leaves on closing.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QScrollBar>
#include <filesystem>

#include "platform/gui/placement.h"
#include "run/gui/cut_progress_view.h"
#include "run/gui/cut_window_bench.h"

namespace corvane {
namespace {

using test::u;
using test::WindowBench;

TEST(FoamCutWindow, ShowsItsOwnTextsAndRunsTheSetLikeTheWingRunner) {
    WindowBench b;
    b.writeDatInfo("120", "120", "0", "0", "0", "0");
    CutWindow& w = b.open(CutWindowVariant::foam());
    EXPECT_EQ(w.objectName(), "Form11");
    EXPECT_EQ(w.windowTitle(), u("泡沫切割 - 进度信息"));
    const char* tips[3] = {"Begin Cutting Process", "Stop Cutting Process", "Hot Wire Control"};
    const char* captions[4] = {"Begin Cut", "Stop", "Hot Wire OFF", "Pause Cut"};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(w.toolbar().buttonCaption(i), captions[i - 1]);
        if (i == 4) break;
        EXPECT_EQ(w.toolbar().button(i).description, tips[i - 1]);
        EXPECT_EQ(w.toolbar().button(i).toolTip, tips[i - 1]);
    }
    bool speedTitle = false;
    for (QGroupBox* box : w.findChildren<QGroupBox*>())
        speedTitle = speedTitle || box->title() == "Cutting Speed Adjustment";
    EXPECT_TRUE(speedTitle);
    EXPECT_EQ(b.view(1).limits(), QRectF(QPointF(-0.1, -0.5), QPointF(1.1, 0.5)));

    // The same loop, pauses and delay-point markers as Form10.
    EXPECT_EQ(b.view(1).entityCount(), 4);
    EXPECT_EQ(b.view(2).markerCount(), 2);
    b.clickButton(1);
    ASSERT_TRUE(w.lastOutcome());
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    EXPECT_EQ(b.dataWrites(), (std::vector<uint8_t>{0x03, 0x03, 0x30, 0x0C, 0xC0, 0x33}));
    EXPECT_EQ(w.lastOutcome()->stats.pauses, 3);
    EXPECT_TRUE(b.dialogs.calls().empty());

    // A count file beyond the profile ends the cut under the foam label.
    b.writeSet({1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6});
    b.dialogs.answerMessage();
    b.clickButton(1);
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_EQ(b.dialogs.messages()[0].text,
              "Error encountered, Error Number 9, Subscript out of range\rModule 11, BC");
}

// Loaded, each runner shows its profiles whole and large, whatever the view window set up for
// an empty drawing; the zoom the operator chose afterwards stays through the next activation.
TEST(CutWindowDrawing, TheFirstDrawingFitsTheProfilesAndAnOperatorZoomStays) {
    for (const CutWindowVariant* variant : {&CutWindowVariant::wing(), &CutWindowVariant::foam()}) {
        SCOPED_TRACE(variant->objectName);
        WindowBench b;
        b.writeDatInfo("200", "100", "0", "0", "0", "0");
        b.open(*variant);
        for (int side : {1, 2}) {
            DrawingView& v = b.view(side);
            ASSERT_EQ(v.entityCount(), 4);
            QRectF drawn;
            for (int n = 1; n <= 4; ++n) {
                const DrawingEntity* e = v.entity(n);
                drawn |= QRectF(v.toPixel({e->X0, e->Y0}), v.toPixel({e->x1, e->y1})).normalized();
            }
            EXPECT_TRUE(QRectF(v.rect()).contains(drawn));
            // The larger profile spans at least half the view one way or the other.
            if (side == 1) {
                EXPECT_GT(std::max(drawn.width() / v.width(), drawn.height() / v.height()), 0.5);
            }
        }
        // Both views share one window, so the smaller side still shows the taper.
        EXPECT_EQ(b.view(1).viewWindow(), b.view(2).viewWindow());
        b.window->progressView().zoomOut();
        const QRectF chosen = b.view(1).viewWindow();
        b.window->activate();
        EXPECT_EQ(b.view(1).viewWindow(), chosen);
    }
}

// A wing set's eight values load too: the first four are read, the washout is ignored.
TEST(FoamCutWindow, AWingSetLoadsWithoutItsWashout) {
    WindowBench b;
    b.writeDatInfo("200", "100", "1", "1", "45", "45");
    CutWindow& w = b.open(CutWindowVariant::foam());
    EXPECT_TRUE(b.dialogs.calls().empty());
    EXPECT_TRUE(w.isVisible());
    const DrawingEntity* l1 = b.view(1).entity(1);
    const DrawingEntity* r1 = b.view(2).entity(1);
    ASSERT_TRUE(l1 && r1);
    EXPECT_DOUBLE_EQ(l1->Y0, 0.0);
    EXPECT_DOUBLE_EQ(l1->y1, 0.06);
    EXPECT_DOUBLE_EQ(r1->X0, 0.5);  // the sizes still scale the smaller side
    EXPECT_NEAR(r1->y1, 0.03, 1e-6);

    // The same file in the wing runner is sheared: the two windows read it differently.
    WindowBench wing;
    wing.writeDatInfo("200", "100", "1", "1", "45", "45");
    wing.open();
    EXPECT_NEAR(wing.view(1).entity(1)->Y0, 1.0, 1e-6);
}

TEST(FoamCutWindow, EveryActivationFailureIsReportedUnderItsLabelAndNothingIsDrawn) {
    const std::string fileNotFound = "Error encountered, Error Number 53, File not found\r";
    struct Case {
        const char* what;
        std::function<void(WindowBench&)> spoil;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"a missing profile",
         [](WindowBench& b) { std::filesystem::remove(b.folder.path() / "right.dat"); },
         fileNotFound + "Module 11, FA"},
        {"no datinfo.ct3",
         [](WindowBench& b) { std::filesystem::remove(b.ws.file("datinfo.ct3")); },
         fileNotFound + "Module 11, FA"},
        {"a short datinfo.ct3",
         [](WindowBench& b) {
             test::writeText(b.ws.file("datinfo.ct3"), "\"a.dat\",\"b.dat\",120\r\n");
         },
         "Error encountered, Error Number 62, Input past end of file\rModule 11, FA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowBench b;
        c.spoil(b);
        b.ws.delays.ActiveDelayPoints = {5};
        b.ws.delays.ActiveDelayPointCount = 1;
        b.dialogs.answerMessage();
        CutWindow& w = b.open(CutWindowVariant::foam());
        // The activation ended at the failure: no rebuild of the delay points from the set.
        EXPECT_EQ(b.ws.delays.ActiveDelayPointCount, 1);
        EXPECT_EQ(b.ws.delays.ActiveDelayPoints, std::vector<int>{5});
        ASSERT_EQ(b.dialogs.messages().size(), 1u);
        // The report, with the detail (the file behind it) on a line of its own where there is one.
        const std::string text = b.dialogs.messages()[0].text.toStdString();
        EXPECT_EQ(text.substr(0, c.message.size()), c.message);
        EXPECT_TRUE(text.size() == c.message.size() || text[c.message.size()] == '\r') << text;
        EXPECT_EQ(b.view(1).entityCount(), 0);
        EXPECT_EQ(b.view(2).entityCount(), 0);
        EXPECT_TRUE(w.isVisible());
    }

    // Unequal profiles keep the wing runner's own message.
    WindowBench b;
    b.writeProfiles(test::kProfile, "X\r\n1 0\r\n0 0\r\n1 0\r\n");
    b.dialogs.answerMessage();
    b.open(CutWindowVariant::foam());
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_EQ(b.dialogs.messages()[0].title, "DAT File Error");
}

TEST(FoamCutWindow, ClosingShowsTheWireOffCaptionAndSwitchesTheWireOff) {
    WindowBench b;
    CutWindow& w = b.open(CutWindowVariant::foam());
    b.clickButton(3);
    EXPECT_EQ(w.toolbar().buttonCaption(3), u("电热丝通电"));
    ASSERT_TRUE(b.wireBitSet());
    w.close();
    EXPECT_FALSE(b.wireBitSet());
    EXPECT_EQ(w.toolbar().buttonCaption(3), u("电热丝断电"));
}

// The two frames stand side by side, each 0.48 of the window wide and 0.88 high.
TEST(FoamCutWindow, LaysOutItsFramesSideBySide) {
    WindowBench b;
    QMainWindow main;
    CutWindow& w = b.openInside(main, QSize(1200, 1400), CutWindowVariant::foam());
    w.show();
    w.activate();
    QGroupBox& left = b.child<QGroupBox>("Frame1");
    QGroupBox& right = b.child<QGroupBox>("Frame2");
    EXPECT_EQ(left.width(), static_cast<int>(0.48 * w.width()));
    EXPECT_LE(left.height(), static_cast<int>(0.88 * w.height()));
    EXPECT_LE(left.geometry().bottom(), w.height());
    EXPECT_EQ(right.size(), left.size());
    EXPECT_EQ(right.y(), left.y());
    EXPECT_EQ(right.x(), left.x() + left.width() + twipsToPixels(200, w.logicalDpiX()));
    DrawingView& view = b.view(2);
    EXPECT_EQ(view.width(), static_cast<int>(0.96 * right.width()));
    EXPECT_EQ(view.height(), static_cast<int>(0.96 * right.height()));
    QScrollBar& bar = b.child<QScrollBar>("VScroll2");
    EXPECT_EQ(bar.height(), view.height());
    EXPECT_EQ(bar.geometry().right(), view.geometry().right());
}

}  // namespace
}  // namespace corvane
