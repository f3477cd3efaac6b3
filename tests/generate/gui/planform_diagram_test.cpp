// The planform drawings read as a drawing should: each span carries its window's caption, the
// turned panels have their span square to the chords, root and tip chords are parallel with
// overhangs in proportion, and no box sits on a line. Form6's boxes show "1234.56" whole.
#include "generate/gui/planform_diagram.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <cmath>

#include "generate/gui/planform_window.h"
#include "generate/gui/wing_setup_window.h"
#include "machine/workspace.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane {
namespace {

double cross(QPointF a, QPointF b) {
    return a.x() * b.y() - a.y() * b.x();
}
double length(QPointF a) {
    return std::hypot(a.x(), a.y());
}

struct PlanformDiagramTest : ::testing::Test {
    SimulatedPort port;
    FakeClock clock;
    Workspace ws{"/nonexistent", port, clock};
    ScriptedDialogs dialogs;
};

TEST_F(PlanformDiagramTest, EveryDrawingIsTrueToItsPanelAndKeepsItsBoxesOffTheLines) {
    const std::map<std::string_view, QString> spanCaptions{{"left_taper", "成品翼展"},
                                                           {"right_taper", "成品翼展"},
                                                           {"left_TE_taper", "Wing Span"},
                                                           {"right_TE_taper", "Wing Span"},
                                                           {"left_LE_taper", "成品翼展"},
                                                           {"right_LE_taper", "成品翼展"},
                                                           {"Form7", "成品翼展"},
                                                           {"Form8", "成品翼展"},
                                                           {"concentric", "Desired Cut Width"},
                                                           {"eccentric", "成品宽度"}};
    for (const PlanformWindowInfo& info : planformWindows()) {
        SCOPED_TRACE(std::string(info.name));
        PlanformWindow w(info.name, ws, dialogs);
        for (QSize size : {QSize(900, 440), QSize(1200, 600)}) {
            w.resize(size);
            w.show();
            QApplication::processEvents();
            auto* diagram = w.findChild<PlanformDiagram*>("Picture1");
            ASSERT_NE(diagram, nullptr);
            EXPECT_EQ(diagram->captionOf("Text1"), spanCaptions.at(info.name));

            // Root and tip chords parallel, each overhang in proportion to its chord.
            const PlanformDiagram::Corners c = diagram->corners();
            const QPointF root = c.rootLE - c.rootTE, tip = c.tipLE - c.tipTE;
            EXPECT_NEAR(cross(root, tip) / (length(root) * length(tip)), 0, 1e-9);
            EXPECT_NEAR(root.x() / length(root), tip.x() / length(tip), 1e-9);

            // The span is measured square to the chords, from one chord line to the other,
            // except where the window measures it along the wire (swept: the trailing edge).
            const QLineF span = diagram->dimensionOf("Text1");
            ASSERT_FALSE(span.isNull());
            const QPointF along = span.p2() - span.p1();
            if (info.kind == PlanformKind::Swept) {
                EXPECT_NEAR(along.y(), 0, 1e-9);
                EXPECT_NEAR(std::abs(along.x()), std::abs(c.tipTE.x() - c.rootTE.x()), 1e-6);
            } else {
                EXPECT_NEAR(along.x() * root.x() + along.y() * root.y(), 0,
                            1e-6 * length(along) * length(root));
                EXPECT_NEAR(cross(span.p1() - c.rootTE, root), 0, 1e-6 * length(root) * 1000);
                EXPECT_NEAR(cross(span.p2() - c.tipTE, tip), 0, 1e-6 * length(tip) * 1000);
            }

            // No value box on a line, none outside the drawing, none over another.
            std::vector<QRect> placed;
            for (auto name : diagram->boxNames()) {
                const QRect box = w.box(name)->geometry();
                EXPECT_TRUE(diagram->rect().contains(box)) << name;
                for (const QLineF& line : diagram->drawnLines())
                    EXPECT_FALSE(segmentHitsRect(line, box))
                        << name << " on a line at " << size.width();
                for (const QRect& other : placed) EXPECT_FALSE(other.intersects(box)) << name;
                placed.push_back(box);
            }
        }
    }
}

// The text sits at the left edge of a box that shows it whole: with the cursor at its end, the
// first character is still under the left edge (a box too narrow scrolls it out of view).
void expectShowsWhole(QLineEdit* box) {
    box->setText(QStringLiteral("1234.56"));
    box->setFocus();
    box->end(false);
    QApplication::processEvents();
    EXPECT_EQ(box->cursorPositionAt(QPoint(box->contentsRect().left() + 4, box->height() / 2)), 0)
        << box->objectName().toStdString() << " width " << box->width();
}

TEST_F(PlanformDiagramTest, CalculatedBoxesShowFourDigitsAndTwoDecimalsWhole) {
    ws.settings.derived.SpeedSliderMax = 500;
    WingSetupWindow form6(ws, dialogs);
    form6.resize(form6.minimumSizeHint());
    form6.show();
    QApplication::processEvents();
    for (int n = 2; n <= 15; ++n)
        expectShowsWhole(form6.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n)));

    PlanformWindow taper("left_taper", ws, dialogs);
    taper.resize(taper.minimumSizeHint());
    taper.show();
    QApplication::processEvents();
    for (const char* name : {"Text2", "Text4", "Text5", "Text6", "Text12", "Text13", "Text7"})
        expectShowsWhole(taper.box(name));
}

}  // namespace
}  // namespace corvane
