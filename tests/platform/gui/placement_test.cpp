// Tool windows go to 10%/15% of the frame's inner size, the runners and editors to 10, 10 twips.
#include "platform/gui/placement.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QMdiArea>
#include <QWidget>

namespace corvane {
namespace {

TEST(Placement, OffsetsFollowTheFrameSizeOrTwips) {
    EXPECT_EQ(twipsToPixels(1440, 96), 96);
    EXPECT_EQ(twipsToPixels(10, 96), 1);  // 0.67 px rounds to 1
    EXPECT_EQ(twipsToPixels(10, 144), 1);
    EXPECT_EQ(placementOffset(Placement::Tool, QSize(1000, 800), 96, 96), QPoint(100, 120));
    EXPECT_EQ(placementOffset(Placement::Tool, QSize(333, 201), 96, 96), QPoint(33, 30));
    EXPECT_EQ(placementOffset(Placement::Corner, QSize(1000, 800), 2880, 1440), QPoint(20, 10));
}

TEST(Placement, ToolWindowLandsInsideTheFramesInnerArea) {
    QMainWindow frame;
    auto* area = new QMdiArea;
    frame.setCentralWidget(area);
    frame.resize(1000, 700);
    frame.show();

    QWidget tool(&frame, Qt::Window);
    tool.resize(200, 100);
    EXPECT_EQ(frameOf(tool), &frame);
    placeInFrame(tool);
    const QPoint innerTopLeft = area->mapToGlobal(QPoint(0, 0));
    const QPoint expected =
        innerTopLeft + QPoint(qRound(area->width() * 0.10), qRound(area->height() * 0.15));
    EXPECT_EQ(tool.pos(), expected);

    placeInFrame(tool, Placement::Corner);
    EXPECT_EQ(tool.pos(), innerTopLeft + QPoint(twipsToPixels(10, area->logicalDpiX()),
                                                twipsToPixels(10, area->logicalDpiY())));

    // A window opened from a tool window still goes by the main window.
    QWidget editor(&tool, Qt::Window);
    EXPECT_EQ(frameOf(editor), &frame);
    placeInFrame(editor, Placement::Corner);
    EXPECT_EQ(editor.pos(), tool.pos());

    QWidget alone;
    alone.move(5, 6);
    placeInFrame(alone);
    EXPECT_EQ(alone.pos(), QPoint(5, 6));
}

}  // namespace
}  // namespace corvane
