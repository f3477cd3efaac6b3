// The drawing choice of the foam generation window: browse, layers, the preview's outline,
// start and direction, a refusal shown with the outline still drawn, and "Use" filling Form1's
// paths and sizes so Generate makes the set; a window picture of a tapered fin when asked.
#include "generate/gui/drawing_choice_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>

#include "generate/dxf_test_writer.h"
#include "generate/gui/wing_generation_window.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::control;
using test::DxfText;

class DrawingChoiceTest : public ::testing::Test {
protected:
    DrawingChoiceTest() {
        test::copyResources(m.dir.path());
        m.ws.settings.fields.kerf = "0";
        m.ws.settings.derive();
        DxfText root;
        root.lwpolyline("FIN", {{0, 0}, {150, 0}, {120, 80, 0.3}, {40, 80}}, true);
        test::rectangle(root, "FRAME", -10, -10, 200, 120);
        test::writeFile(m.dir / "root.dxf", root.str());
        DxfText tip;
        tip.line("FIN", 0, 0, 90, 0).line("FIN", 90, 0, 70, 50);
        tip.spline("FIN", 2, {0, 0, 0, 1, 1, 1}, {{70, 50}, {50, 60}, {30, 50}});
        tip.line("FIN", 30, 50, 0, 0);
        test::writeFile(m.dir / "tip.dxf", tip.str());
        DxfText holed;
        test::rectangle(test::rectangle(holed, "0", 0, 0, 60, 40), "0", 20, 10, 10, 10);
        test::writeFile(m.dir / "holed.dxf", holed.str());
    }
    QString path(const char* name) const { return QString::fromStdString((m.dir / name).string()); }

    test::TestMachine m;
    ScriptedDialogs dialogs;
};

TEST_F(DrawingChoiceTest, PreviewShowsTheChainedOutlineStartAndDirection) {
    DrawingChoiceWindow w(m.ws, dialogs);
    dialogs.answerOpenFile(path("root.dxf"));
    control<QPushButton>(w, "drawing_browse")->click();
    auto* layer = control<QComboBox>(w, "drawing_layer");
    ASSERT_EQ(layer->count(), 2);
    layer->setCurrentText("FIN");
    EXPECT_TRUE(w.refresh());
    auto* preview = w.findChild<DrawingPreview*>("drawing_preview");
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->outlines().size(), 1u);
    EXPECT_TRUE(preview->oriented());
    EXPECT_EQ(placeText(preview->outlines()[0].points.front()), "(150, 0)");
    EXPECT_EQ(placeText(preview->outlines()[0].points[1]), "(120, 80)");  // counter-clockwise
    EXPECT_NE(w.statusText().indexOf("Start (150, 0), counter-clockwise"), -1)
        << w.statusText().toStdString();

    control<QCheckBox>(w, "drawing_reverse")->setChecked(true);
    EXPECT_EQ(placeText(preview->outlines()[0].points[1]), "(0, 0)");  // clockwise
    control<QLineEdit>(w, "drawing_start")->setText("75,-2");          // nearest: on the foot
    EXPECT_TRUE(w.refresh());
    EXPECT_EQ(placeText(preview->outlines()[0].points.front()), "(75, 0)");

    control<QLineEdit>(w, "drawing_start")->setText("40");
    EXPECT_FALSE(w.refresh());
    EXPECT_EQ(w.statusText(), "The start point is X,Y, e.g. 120,4.5");

    // A refused drawing: the reason with its place, the outlines still drawn, no start.
    control<QLineEdit>(w, "drawing_start")->clear();
    control<QLineEdit>(w, "drawing_file")->setText(path("holed.dxf"));
    emit control<QLineEdit>(w, "drawing_file")->editingFinished();
    EXPECT_FALSE(w.prepared().has_value());
    EXPECT_NE(w.statusText().indexOf("a hole) at (30, 10)"), -1) << w.statusText().toStdString();
    EXPECT_EQ(preview->outlines().size(), 2u);
    EXPECT_FALSE(preview->oriented());
}

TEST_F(DrawingChoiceTest, UseFillsTheFoamWindowAndGenerateMakesTheSet) {
    WingGenerationWindow form1(m.ws, dialogs, nullptr, CutSetKind::Foam);
    form1.show();
    control<QPushButton>(form1, "drawing_choice_button")->click();
    auto* w = form1.findChild<DrawingChoiceWindow*>("drawing_choice");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    control<QLineEdit>(*w, "drawing_file")->setText(path("root.dxf"));
    emit control<QLineEdit>(*w, "drawing_file")->editingFinished();
    control<QComboBox>(*w, "drawing_layer")->setCurrentText("FIN");
    control<QLineEdit>(*w, "tip_drawing_file")->setText(path("tip.dxf"));
    control<QLineEdit>(*w, "drawing_size")->setText("300");
    ASSERT_TRUE(w->refresh()) << w->statusText().toStdString();
    EXPECT_NE(w->statusText().indexOf("4 corners, tip 4 (matched)"), -1)
        << w->statusText().toStdString();

    if (const char* shot = std::getenv("CORVANE_DRAWING_SHOT")) {
        w->resize(520, 460);
        w->show();
        QTest::qWait(50);
        w->grab().save(QString::fromUtf8(shot));
    }

    control<QPushButton>(*w, "drawing_use")->click();
    EXPECT_FALSE(w->isVisible());
    const QString left = control<QLineEdit>(form1, "Text1")->text();
    EXPECT_TRUE(left.contains("drawings/root-root-")) << left.toStdString();
    EXPECT_TRUE(control<QLineEdit>(form1, "Text2")->text().contains("drawings/tip-tip-"));
    EXPECT_EQ(control<QLineEdit>(form1, "Text6")->text(), "300");
    EXPECT_EQ(control<QLineEdit>(form1, "Text7")->text(), "180");  // 90 at the root's ratio

    dialogs.answerSaveFile(QString());
    EXPECT_EQ(form1.generate(), GenerationStatus::Finished);
    EXPECT_EQ(test::readFile(m.dir / "datinfo.ct3"),
              "\"" + left.toStdString() + "\",\"" +
                  control<QLineEdit>(form1, "Text2")->text().toStdString() + "\",300,180\r\n");
}

TEST_F(DrawingChoiceTest, TheWingWindowHasNoDrawingChoice) {
    WingGenerationWindow form14(m.ws, dialogs, nullptr, CutSetKind::Wing);
    EXPECT_EQ(form14.findChild<QPushButton*>("drawing_choice_button"), nullptr);
}

}  // namespace
}  // namespace corvane
