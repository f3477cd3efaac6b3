// The delay-point editor DelayForm as the operator uses it: profiles drawn segment by segment,
// picks with the mouse, zoom window with its rubber band, scrolling, the list commands, the save
// question and what the next generation writes from the saved set.
#include "delay/gui/delay_point_editor.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <fstream>
#include <sstream>

#include "generate/active_delay_set.h"
#include "generate/generate_fixture.h"
#include "platform/gui/drawing_view.h"
#include "platform/gui/placement.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"

using namespace corvane;
using corvane::test::GenerateMachine;

namespace {

// A closed profile of n points round an ellipse, starting and ending at the trailing edge, with
// a name line on top as real files have.
std::string ellipseProfile(int n, double thickness = 0.1) {
    std::ostringstream out;
    out.precision(17);
    out << "TEST ELLIPSE\r\n";
    for (int k = 0; k < n; ++k) {
        const double t = 2 * M_PI * k / (n - 1);
        out << 0.5 + 0.5 * std::cos(t) << " " << thickness * std::sin(t) << "\r\n";
    }
    return out.str();
}

struct EditorTest : ::testing::Test {
    static constexpr int kPoints = 13;
    GenerateMachine m;
    ScriptedDialogs dialogs;
    std::vector<std::pair<int, std::string>> statuses;
    std::filesystem::path left = m.airfoil("left.dat", ellipseProfile(kPoints));
    std::filesystem::path right = m.airfoil("right.dat", ellipseProfile(kPoints, 0.06));
    QPointer<DelayPointEditor> editor;

    void SetUp() override {
        m.ws.showStatus = [this](int panel, const std::string& text) {
            statuses.emplace_back(panel, text);
        };
    }
    void TearDown() override { delete editor.data(); }

    DelayPointEditor& open() {
        DelayPointEditor* e = DelayPointEditor::openFor(editor, m.ws, dialogs, nullptr,
                                                        QString::fromStdString(left.string()),
                                                        QString::fromStdString(right.string()));
        EXPECT_NE(e, nullptr);
        return *editor;
    }
    template <class T>
    T* child(const char* name) {
        T* c = editor->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }
    QListWidget* list() { return child<QListWidget>("List1"); }
    DrawingView& view() { return editor->view(); }
    QStringList listLines() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i) out << list()->item(i)->text();
        return out;
    }
    // A left click `offset` pixels beside the middle of segment n, as the operator makes it.
    void clickSegment(int n, QPoint offset = {}) {
        const DrawingEntity* e = view().entity(n);
        ASSERT_NE(e, nullptr) << n;
        const QPointF mid((e->X0 + e->x1) / 2, (e->Y0 + e->y1) / 2);
        QTest::mouseClick(&view(), Qt::LeftButton, {}, view().toPixel(mid).toPoint() + offset);
    }
    void clickDrawing(double x, double y) {
        QTest::mouseClick(&view(), Qt::LeftButton, {}, view().toPixel({x, y}).toPoint());
    }
    // The pointer moving over the view to a drawing point (sent straight to the view: moving
    // the offscreen cursor only reaches the window under it).
    void moveTo(double x, double y) {
        const QPointF at = view().toPixel({x, y});
        QMouseEvent move(QEvent::MouseMove, at, view().mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&view(), &move);
    }
    void pick(int n) {
        trigger("SelectDelayPoint");
        clickSegment(n);
    }
    std::string lastStatus3() {
        for (auto it = statuses.rbegin(); it != statuses.rend(); ++it)
            if (it->first == 3) return it->second;
        return "<none>";
    }
    QPointF point(int k) {  // point k of the left profile (1-based)
        const double t = 2 * M_PI * (k - 1) / (kPoints - 1);
        return {0.5 + 0.5 * std::cos(t), 0.1 * std::sin(t)};
    }
};

void expectNear(const QPointF& a, const QPointF& b) {
    EXPECT_NEAR(a.x(), b.x(), 1e-9);
    EXPECT_NEAR(a.y(), b.y(), 1e-9);
}

}  // namespace

TEST_F(EditorTest, ControlsCarryTheirNamesCaptionsAndMenus) {
    open();
    EXPECT_EQ(editor->objectName(), "DelayForm");
    EXPECT_EQ(editor->windowTitle(), QString::fromUtf8("添加延迟点"));
    EXPECT_EQ(child<QGroupBox>("Frame1")->title(), "Delay Points");
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), "Left Cutting Profile");
    EXPECT_EQ(child<QGroupBox>("Frame3")->title(), "Loading Drawing");
    EXPECT_FALSE(child<QGroupBox>("Frame3")->isVisible());
    EXPECT_NE(child<QProgressBar>("ProgressBar1"), nullptr);
    EXPECT_EQ(child<DrawingView>("DXFReader1"), &view());
    QScrollBar* scroll = child<QScrollBar>("VScroll1");
    EXPECT_EQ(scroll->minimum(), -100);
    EXPECT_EQ(scroll->maximum(), 100);
    EXPECT_EQ(scroll->value(), 0);

    Toolbar* bar = child<Toolbar>("asxToolbar1");
    ASSERT_EQ(bar->buttonCount(), 7);
    const ToolbarButton& b1 = bar->button(1);
    EXPECT_EQ(b1.caption, "Open Left Profile");
    EXPECT_EQ(b1.description, "Open Left Cutting Tower Profile");
    EXPECT_EQ(b1.key, "left1");
    EXPECT_EQ(b1.toolTip, "Open Left Cutting Tower Profile to add Delay Points");
    EXPECT_EQ(bar->button(2).toolTip, "Open Right Cutting Tower Profile to add Delay Points");
    EXPECT_TRUE(bar->button(3).separator);
    EXPECT_EQ(bar->button(4).caption, "Zoom / Select");
    EXPECT_EQ(bar->button(4).key, "zoom1");
    EXPECT_EQ(bar->button(5).caption, "Delay Points");
    EXPECT_EQ(bar->button(5).description, "Delete Selected");
    EXPECT_EQ(bar->button(5).toolTip, "Delete Selected Delay Points or Clear List");
    EXPECT_TRUE(bar->button(6).separator);
    EXPECT_EQ(bar->button(7).caption, "Done");
    EXPECT_EQ(bar->button(7).key, "Done");
    EXPECT_EQ(bar->button(7).toolTip, "");

    QMenu* tools = child<QMenu>("OpenPopMenu");
    EXPECT_EQ(tools->title(), QString::fromUtf8("工具"));
    QStringList texts;
    for (QAction* a : tools->actions())
        texts << (a->isSeparator() ? "-" : a->objectName() + "=" + a->text());
    EXPECT_EQ(texts, (QStringList{QString::fromUtf8("SelectDelayPoint=选择延迟点"), "-",
                                  "ZoomWindow=Zoom Window", "ZoomLimits=Zoom Limits",
                                  "ZoomPrevious=Zoom Previous", "ZoomIn=Zoom In",
                                  "ZoomOut=Zoom Out", "-", "CancelOperation=Cancel"}));
    QMenu* manage = child<QMenu>("ManageList");
    EXPECT_EQ(manage->title(), "Manage List");
    texts.clear();
    for (QAction* a : manage->actions()) texts << a->objectName() + "=" + a->text();
    EXPECT_EQ(texts, (QStringList{"ClearDelayPoints=Clear All Delay Points",
                                  QString::fromUtf8("DeleteSelected=删除所选延迟点")}));

    // Toolbar buttons 4 and 5 and right-button presses pop the menus up.
    bar->click(4);
    EXPECT_TRUE(tools->isVisible());
    tools->hide();
    bar->click(5);
    EXPECT_TRUE(manage->isVisible());
    manage->hide();
    QTest::mouseClick(&view(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(tools->isVisible());
    tools->hide();
    QContextMenuEvent press(QContextMenuEvent::Mouse, QPoint(5, 5),
                            list()->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list()->viewport(), &press);
    EXPECT_TRUE(manage->isVisible());
    manage->hide();
}

TEST_F(EditorTest, ShowingAProfileCountsReadsAndAppendsOneEntityPerSegment) {
    std::vector<std::pair<int, bool>> seen;  // progress value, loading frame visible
    m.ws.yield = [&] {
        seen.emplace_back(child<QProgressBar>("ProgressBar1")->value(),
                          child<QGroupBox>("Frame3")->isVisible());
    };
    open();
    ASSERT_EQ(view().entityCount(), kPoints - 1);
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->maximum(), kPoints);
    ASSERT_EQ(seen.size(), size_t(kPoints - 1));
    EXPECT_EQ(seen.front(), std::make_pair(2, true));
    EXPECT_EQ(seen.back(), std::make_pair(kPoints, true));
    EXPECT_FALSE(child<QGroupBox>("Frame3")->isVisible());
    // Entity m is segment m: from point m to point m + 1.
    for (int s = 1; s < kPoints; ++s) {
        expectNear({view().entity(s)->X0, view().entity(s)->Y0}, point(s));
        expectNear(*view().entityEndPoint(s), point(s + 1));
        EXPECT_EQ(view().entity(s)->Color, drawing_color::kForeground);
        EXPECT_EQ(view().entity(s)->LayerName, "0");
    }
    EXPECT_EQ(view().limits(), QRectF(QPointF(-0.1, -0.5), QPointF(1.1, 0.5)));
    EXPECT_EQ(view().viewWindow(), QRectF(QPointF(-0.1, -0.5), QPointF(1.0, 0.5)));

    child<Toolbar>("asxToolbar1")->click(2);
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), "Right Cutting Profile");
    EXPECT_EQ(view().entityCount(), kPoints - 1) << "the drawing is replaced, not appended to";
    EXPECT_NEAR(view().entityEndPoint(3)->y(), 0.06 * std::sin(2 * M_PI * 3 / (kPoints - 1)), 1e-9);
    child<Toolbar>("asxToolbar1")->click(1);
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), "Left Cutting Profile");
}

TEST_F(EditorTest, PickingTheLastSegmentListsItAndMarksTheLastPoint) {
    open();
    trigger("SelectDelayPoint");
    EXPECT_EQ(view().pointerMode(), 2);
    clickDrawing(0.5, 0.4);  // empty space: nothing, still awaiting a pick
    EXPECT_TRUE(listLines().isEmpty());
    EXPECT_TRUE(editor->pickAwaited());

    clickSegment(kPoints - 1, {0, 3});  // three pixels off the line still picks it
    EXPECT_EQ(listLines(), QStringList{"Cut Step " + QString::number(kPoints - 1)});
    EXPECT_EQ(view().pointerMode(), 0);
    ASSERT_EQ(view().markerCount(), 1);
    expectNear(view().markerPoints()[0], point(kPoints));

    // One pick adds at most one point: further clicks add nothing until the next Select.
    clickSegment(3);
    EXPECT_EQ(list()->count(), 1);
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(EditorTest, PickingAListedSegmentAgainShowsTheMessageAndChangesNothing) {
    open();
    pick(4);
    pick(7);
    trigger("SelectDelayPoint");
    dialogs.answerMessage(MsgAnswer::Ok);
    clickSegment(4);
    ASSERT_EQ(dialogs.messageTexts(), QStringList{"Delay Point Already Selected"});
    EXPECT_EQ(dialogs.messages()[0].title, "");
    EXPECT_EQ(dialogs.messages()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(listLines(), (QStringList{"Cut Step 4", "Cut Step 7"}));
    EXPECT_EQ(view().markerCount(), 2);
    // The pick is still awaited: the operator clicks another segment.
    EXPECT_TRUE(editor->pickAwaited());
    clickSegment(9);
    EXPECT_EQ(listLines(), (QStringList{"Cut Step 4", "Cut Step 7", "Cut Step 9"}));
}

TEST_F(EditorTest, SavingThreeLinesMakesThemTheActiveSetAndTheNextWingPausesThere) {
    open();
    pick(9);
    pick(2);
    pick(5);
    dialogs.answerMessage(MsgAnswer::Yes);
    child<Toolbar>("asxToolbar1")->click(7);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "Save Delay Points? ");
    EXPECT_EQ(dialogs.messages()[0].title, "Save Delay Points");
    EXPECT_EQ(dialogs.messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 3);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, (std::vector<int>{9, 2, 5}));
    EXPECT_EQ(lastStatus3(), "3 Delay Points are currently active");

    // Done only hides: the list and the drawing are there when the window comes back.
    editor->show();
    EXPECT_EQ(list()->count(), 3);

    CutGenerator generator(m.ws);
    const GenerationOutcome out = generator.generate(m.wing(left, right, "100", "100"));
    ASSERT_EQ(out.status, GenerationStatus::Finished);
    const std::vector<int32_t> entries = readCountEntries(m.working("cut_cnt.ct2"));
    ASSERT_EQ(entries.size(), size_t(kPoints - 1 + 3));
    std::vector<int> zeroAfter;  // the segment each zero line follows
    int segments = 0;
    for (int32_t e : entries) {
        if (e == 0)
            zeroAfter.push_back(segments);
        else
            ++segments;
    }
    EXPECT_EQ(zeroAfter, (std::vector<int>{2, 5, 9}));
}

TEST_F(EditorTest, AnsweringNoOrClosingEmptyKeepsThePreviousSet) {
    test::writeFile(m.dir / "cut_cnt.ct2", "5\r\n7\r\n0\r\n9\r\n0\r\n0\r\n12\r\n");
    rebuildActiveDelayPoints(m.ws);
    const ActiveDelaySet before = m.ws.delays;
    ASSERT_EQ(before.ActiveDelayPointCount, 3);

    open();
    child<Toolbar>("asxToolbar1")->click(7);  // empty list: nothing asked
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 3);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, before.ActiveDelayPoints);

    open();
    pick(6);
    dialogs.answerMessage(MsgAnswer::No);
    child<Toolbar>("asxToolbar1")->click(7);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"Save Delay Points? "});
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 3);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, before.ActiveDelayPoints);
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(EditorTest, TheCloseBoxAsksThenUnloadsTheList) {
    open();
    pick(3);
    dialogs.answerMessage(MsgAnswer::Yes);
    editor->close();
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"Save Delay Points? "});
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, std::vector<int>{3});
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(list()->count(), 0) << "closing unloads the window's list";

    open();  // loads again: a fresh list over a freshly drawn profile
    EXPECT_EQ(view().entityCount(), kPoints - 1);
    EXPECT_EQ(list()->count(), 0);
}

TEST_F(EditorTest, ScrollingPansByAHundredthPerUnitAndBack) {
    open();
    pick(5);
    QScrollBar* scroll = child<QScrollBar>("VScroll1");
    const QRectF start = view().viewWindow();
    scroll->setValue(10);
    EXPECT_NEAR(view().viewWindow().center().y(), start.center().y() - 0.1, 1e-12);
    EXPECT_NEAR(view().viewWindow().center().x(), start.center().x(), 1e-12);
    EXPECT_EQ(view().markerCount(), 1) << "the markers are drawn again, once each";
    scroll->setValue(0);
    EXPECT_NEAR(view().viewWindow().center().y(), start.center().y(), 1e-12);
    scroll->setValue(-100);
    EXPECT_NEAR(view().viewWindow().center().y(), start.center().y() + 1.0, 1e-12);
}

TEST_F(EditorTest, ZoomWindowTakesTwoCornersWithARubberBand) {
    open();
    pick(4);
    trigger("ZoomWindow");
    EXPECT_EQ(view().pointerMode(), 2);
    EXPECT_TRUE(editor->firstCornerAwaited());
    clickDrawing(0.2, 0.05);
    EXPECT_EQ(lastStatus3(), "Select window second point");
    EXPECT_FALSE(editor->firstCornerAwaited());
    EXPECT_TRUE(editor->secondCornerAwaited());

    statuses.clear();
    moveTo(0.5, -0.05);
    ASSERT_TRUE(view().rubberBand().has_value());
    const double px = 1.0 / view().pixelsPerUnit();
    EXPECT_NEAR(view().rubberBand()->left(), 0.2, px);
    EXPECT_NEAR(view().rubberBand()->right(), 0.5, px);
    EXPECT_NEAR(view().rubberBand()->top(), -0.05, px);
    EXPECT_NEAR(view().rubberBand()->bottom(), 0.05, px);
    EXPECT_EQ(lastStatus3(), "Select window second point");

    clickDrawing(0.5, -0.05);
    const QRectF w = view().viewWindow();
    EXPECT_NEAR(w.left(), 0.2, px);
    EXPECT_NEAR(w.right(), 0.5, px);
    EXPECT_NEAR(w.top(), -0.05, px);
    EXPECT_NEAR(w.bottom(), 0.05, px);
    EXPECT_FALSE(view().rubberBand().has_value());
    EXPECT_EQ(lastStatus3(), "");
    EXPECT_EQ(view().pointerMode(), 0);
    EXPECT_FALSE(editor->secondCornerAwaited());
    EXPECT_EQ(view().markerCount(), 1);

    // Zoom Previous, In, Out and Limits act on the view and keep the markers.
    trigger("ZoomPrevious");
    EXPECT_EQ(view().viewWindow(), QRectF(QPointF(-0.1, -0.5), QPointF(1.0, 0.5)));
    trigger("ZoomIn");
    EXPECT_NEAR(view().viewWindow().width(), 0.55, 1e-12);
    trigger("ZoomOut");
    trigger("ZoomOut");
    EXPECT_NEAR(view().viewWindow().width(), 2.2, 1e-12);
    trigger("ZoomLimits");
    EXPECT_EQ(view().viewWindow(), QRectF(QPointF(-0.1, -0.5), QPointF(1.1, 0.5)));
    EXPECT_EQ(view().markerCount(), 1);

    // At any zoom a click within a few pixels picks the segment.
    view().zoomWindow(0.0, -0.01, 0.02, 0.01);
    pick(1);
    EXPECT_EQ(listLines(), (QStringList{"Cut Step 4", "Cut Step 1"}));
}

TEST_F(EditorTest, CancelAndEscClearTheSecondCornerAndPickButNotTheFirstCorner) {
    open();
    trigger("ZoomWindow");
    trigger("CancelOperation");
    EXPECT_EQ(view().pointerMode(), 0);
    EXPECT_EQ(lastStatus3(), "");
    EXPECT_TRUE(editor->firstCornerAwaited()) << "the next click still takes a first corner";
    clickDrawing(0.1, 0.1);
    EXPECT_TRUE(editor->secondCornerAwaited());

    trigger("SelectDelayPoint");
    pick(2);
    ASSERT_EQ(view().markerCount(), 1);
    moveTo(0.6, 0.0);
    trigger("SelectDelayPoint");
    QTest::keyClick(editor.data(), Qt::Key_Escape);
    EXPECT_FALSE(editor->secondCornerAwaited());
    EXPECT_FALSE(editor->pickAwaited());
    EXPECT_FALSE(view().rubberBand().has_value());
    EXPECT_EQ(view().pointerMode(), 0);
    EXPECT_EQ(view().markerCount(), 1) << "Esc regenerates; the listed points keep their markers";
    const int before = list()->count();
    clickSegment(8);
    EXPECT_EQ(list()->count(), before);

    // Esc works wherever the focus is in the window, the list included.
    trigger("SelectDelayPoint");
    QTest::keyClick(list(), Qt::Key_Escape);
    EXPECT_FALSE(editor->pickAwaited());
    trigger("SelectDelayPoint");
    QTest::keyClick(&view(), Qt::Key_Escape);
    EXPECT_FALSE(editor->pickAwaited());
}

TEST_F(EditorTest, ClearAllAndDeleteSelectedSetOnlyTheCountAndNoKeepsThePoints) {
    test::writeFile(m.dir / "cut_cnt.ct2", "5\r\n7\r\n0\r\n9\r\n0\r\n0\r\n12\r\n");
    rebuildActiveDelayPoints(m.ws);
    const std::vector<int> before = m.ws.delays.ActiveDelayPoints;
    ASSERT_EQ(before, (std::vector<int>{2, 3, 3}));

    open();
    pick(3);
    pick(6);
    pick(10);
    pick(11);
    list()->clearSelection();
    list()->setCurrentRow(-1);
    trigger("DeleteSelected");  // nothing selected: nothing removed, the count still follows
    EXPECT_EQ(list()->count(), 4);
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 3) << "never more than the set's points";
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, before) << "the points wait for the save";
    EXPECT_EQ(lastStatus3(), "3 Delay Points are currently active");

    list()->setCurrentRow(1);
    trigger("DeleteSelected");
    list()->setCurrentRow(2);
    trigger("DeleteSelected");
    EXPECT_EQ(listLines(), (QStringList{"Cut Step 3", "Cut Step 10"}));
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 2);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, before);
    EXPECT_EQ(lastStatus3(), "2 Delay Points are currently active");
    ASSERT_EQ(view().markerCount(), 2);
    expectNear(view().markerPoints()[0], point(4));
    expectNear(view().markerPoints()[1], point(11));

    // No: the operator refused the list, so the set active before comes back whole: its points
    // and its count (a count of 2 over the old points would pause after points nobody chose).
    dialogs.answerMessage(MsgAnswer::No);
    child<Toolbar>("asxToolbar1")->click(7);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, before);
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 3);
    EXPECT_EQ(lastStatus3(), "3 Delay Points are currently active");

    open();
    trigger("ClearDelayPoints");
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(view().markerCount(), 0);
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 0);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, before);
    EXPECT_EQ(lastStatus3(), "0 Delay Points are currently active");

    // Yes is the one way the points change.
    pick(5);
    dialogs.answerMessage(MsgAnswer::Yes);
    child<Toolbar>("asxToolbar1")->click(7);
    EXPECT_EQ(m.ws.delays.ActiveDelayPoints, std::vector<int>{5});
    EXPECT_EQ(m.ws.delays.ActiveDelayPointCount, 1);
}

TEST_F(EditorTest, OpeningNeedsBothProfilePaths) {
    dialogs.answerMessage().answerMessage();
    EXPECT_EQ(DelayPointEditor::openFor(editor, m.ws, dialogs, nullptr, "",
                                        QString::fromStdString(right.string())),
              nullptr);
    EXPECT_EQ(DelayPointEditor::openFor(editor, m.ws, dialogs, nullptr,
                                        QString::fromStdString(left.string()), "   "),
              nullptr);
    EXPECT_TRUE(editor.isNull());
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[1].text, "DAT file must be entered to add delay points");
    EXPECT_EQ(dialogs.messages()[1].title, "DAT File not Found");

    DelayPointEditor* first = &open();
    EXPECT_TRUE(first->isVisible());
    first->done();
    EXPECT_EQ(&open(), first) << "the loaded window is reused";
}

TEST_F(EditorTest, AnUnreadableProfileIsReportedAndTheWindowStaysUsable) {
    test::writeFile(right, "0 0\r\n0.5 oops\r\n1 0\r\n");
    open();
    pick(2);
    dialogs.answerMessage();
    child<Toolbar>("asxToolbar1")->click(2);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "DAT File Error");
    EXPECT_TRUE(dialogs.messages()[0].text.contains("right.dat"))
        << dialogs.messages()[0].text.toStdString();
    EXPECT_EQ(view().entityCount(), 0);
    EXPECT_FALSE(child<QGroupBox>("Frame3")->isVisible());
    EXPECT_EQ(list()->count(), 1) << "the list is kept";

    std::filesystem::remove(left);
    dialogs.answerMessage();
    child<Toolbar>("asxToolbar1")->click(1);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[1].title, "DAT File Error");

    test::writeFile(left, ellipseProfile(5));
    child<Toolbar>("asxToolbar1")->click(1);
    EXPECT_EQ(view().entityCount(), 4);
    EXPECT_EQ(view().markerCount(), 1);
}

TEST_F(EditorTest, LaysOutInTheMainWindowAndPlacesItselfAtTenTenTwips) {
    QMainWindow main;
    auto* central = new QWidget(&main);
    main.setCentralWidget(central);
    main.resize(1200, 800);
    main.show();
    ASSERT_NE(DelayPointEditor::openFor(editor, m.ws, dialogs, &main,
                                        QString::fromStdString(left.string()),
                                        QString::fromStdString(right.string())),
              nullptr);
    const double dpi = editor->logicalDpiX();
    auto tw = [dpi](double twips) { return twipsToPixels(twips, dpi); };
    EXPECT_EQ(editor->width(), central->width() - tw(100));
    EXPECT_EQ(editor->pos(),
              central->mapToGlobal(QPoint(0, 0)) +
                  placementOffset(Placement::Corner, central->size(), dpi, editor->logicalDpiY()));

    QWidget* f1 = child<QWidget>("Frame1");
    QWidget* f2 = child<QWidget>("Frame2");
    EXPECT_EQ(f1->pos(), QPoint(tw(200), twipsToPixels(800, editor->logicalDpiY())));
    EXPECT_EQ(f2->x(), f1->geometry().right() + 1 + tw(200));
    EXPECT_EQ(f2->y(), f1->y());
    EXPECT_EQ(f1->height(), editor->height() - twipsToPixels(900, editor->logicalDpiY()));
    EXPECT_EQ(f2->height(), f1->height());
    EXPECT_EQ(f2->width(), editor->width() - f1->width() - tw(600));
    EXPECT_EQ(list()->width(), f1->width() - tw(300));
    EXPECT_EQ(view().width(), f2->width() - tw(500));
    QWidget* scroll = child<QWidget>("VScroll1");
    EXPECT_EQ(scroll->height(), view().height());
    EXPECT_EQ(scroll->x(), view().geometry().right() + 1);
    EXPECT_EQ(scroll->y(), view().y());
    editor->hide();
}

// The editor with a real airfoil and three delay points, saved as pictures for people to look
// at: set CORVANE_SCREENSHOT_DIR to the folder that should receive delay_point_editor.png (and
// the loading and zoom-window states beside it).
TEST_F(EditorTest, ScreenshotWithARealAirfoilAndThreeMarkers) {
    const std::filesystem::path clarky =
        std::filesystem::path(CORVANE_SHARED_AIRFOILS) / "clarky.dat";
    if (!std::filesystem::exists(clarky)) GTEST_SKIP() << "no shared airfoils here";
    const QString folder = QString::fromLocal8Bit(qgetenv("CORVANE_SCREENSHOT_DIR"));
    auto save = [&](const QImage& shot, const char* name) {
        EXPECT_FALSE(shot.isNull());
        if (!folder.isEmpty()) {
            EXPECT_TRUE(shot.save(folder + "/" + name)) << name;
        }
    };
    left = clarky;
    open();
    editor->resize(1200, 640);
    const int segments = view().entityCount();
    ASSERT_GT(segments, 20);
    for (int s : {segments / 6, segments / 2, segments * 5 / 6}) pick(s);
    EXPECT_EQ(view().markerCount(), 3);
    save(editor->grab().toImage(), "delay_point_editor.png");

    int yields = 0;
    m.ws.yield = [&] {
        if (++yields == segments / 2)
            save(editor->grab().toImage(), "delay_point_editor_loading.png");
    };
    child<Toolbar>("asxToolbar1")->click(1);
    m.ws.yield = [] {};
    trigger("ZoomWindow");
    clickDrawing(0.55, 0.1);
    moveTo(0.9, -0.05);
    EXPECT_TRUE(view().rubberBand().has_value());
    save(editor->grab().toImage(), "delay_point_editor_zoom_window.png");
    clickDrawing(0.9, -0.05);
    save(editor->grab().toImage(), "delay_point_editor_zoomed.png");
}

TEST_F(EditorTest, ClosingWhileTheProfileLoadsStopsTheLoadingCleanly) {
    int yields = 0;
    m.ws.yield = [&] {
        if (++yields == 3 && editor) editor->close();
    };
    open();
    EXPECT_LT(yields, kPoints - 1) << "loading stops at the close";
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(view().entityCount(), 0);
    EXPECT_FALSE(child<QGroupBox>("Frame3")->isVisible());

    m.ws.yield = [] {};
    open();
    EXPECT_EQ(view().entityCount(), kPoints - 1);
}

TEST_F(EditorTest, ComingBackFromAnotherProgramWindowActivatesAgain) {
    QWidget other(nullptr, Qt::Window);
    other.resize(200, 100);
    open();
    child<Toolbar>("asxToolbar1")->click(2);
    ASSERT_EQ(child<QGroupBox>("Frame2")->title(), "Right Cutting Profile");
    view().zoomIn();

    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor.data()));
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), "Left Cutting Profile");
    EXPECT_EQ(view().viewWindow(), QRectF(QPointF(-0.1, -0.5), QPointF(1.0, 0.5)));

    // The return from one of its own dialogs or menus is no new activation.
    child<Toolbar>("asxToolbar1")->click(2);
    QMessageBox box;
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.hide();
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor.data()));
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), "Right Cutting Profile");
}
