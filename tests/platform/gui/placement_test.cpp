// Tool windows go to 10%/15% of the frame's inner size, the runners and editors to 10, 10 twips.
#include "platform/gui/placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>
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

TEST(Placement, AWindowFillingTheInnerAreaLeavesTheStatusBarInView) {
    QMainWindow frame;
    frame.setCentralWidget(new QMdiArea);
    frame.addToolBar(QStringLiteral("tools"))->addAction(QStringLiteral("Load"));
    frame.statusBar()->showMessage(QStringLiteral("X1, Y1"));
    for (QSize size : {QSize(1280, 960), QSize(1024, 700)}) {
        frame.resize(size);
        frame.show();
        QApplication::processEvents();
        const QWidget* inner = innerAreaOf(frame);
        ASSERT_EQ(inner, frame.centralWidget());
        const QRect innerRect(inner->mapToGlobal(QPoint(0, 0)), inner->size());
        const QRect statusRect(frame.statusBar()->mapToGlobal(QPoint(0, 0)),
                               frame.statusBar()->size());

        QWidget window(&frame, Qt::Window);
        for (Placement placement : {Placement::Corner, Placement::Tool}) {
            // Asked for the whole inner area, it gets what leaves room for its title bar.
            window.resize(fitInInnerArea(window, inner->size(), placement));
            placeInFrame(window, placement);
            const QMargins m = frameMarginsOf(window);
            // The frame starts where the window was moved to; the client area sits inside it.
            const QRect drawn(window.pos(), window.size().grownBy(m));
            EXPECT_TRUE(innerRect.contains(drawn)) << size.height() << " " << int(placement);
            EXPECT_FALSE(drawn.intersects(statusRect));
            EXPECT_GE(m.top(), kDrawnTitleBar);
        }
        // A window that fits already keeps its size.
        EXPECT_EQ(fitInInnerArea(window, QSize(200, 100), Placement::Corner), QSize(200, 100));
    }
    QWidget alone;
    EXPECT_EQ(fitInInnerArea(alone, QSize(5000, 4000), Placement::Corner), QSize(5000, 4000));
}

// A window too tall for its place 15% down the main window moves up rather than off the screen,
// never above it (its title bar stays in reach), and keeps its size where the screen has room.
TEST(Placement, AWindowTooBigForItsPlaceStandsWholeInTheScreensRoom) {
    QMainWindow frame;
    frame.setCentralWidget(new QMdiArea);
    frame.resize(1000, 700);
    frame.show();
    QApplication::processEvents();
    const QRect room = screenRoomOf(frame);
    ASSERT_TRUE(room.contains(frame.frameGeometry()));
    for (const QSize wanted : {QSize(300, 200), QSize(600, room.height() - 60),
                               QSize(room.width() + 50, room.height() + 80)}) {
        QWidget window(&frame, Qt::Window);
        window.resize(fitOnScreen(window, wanted));
        placeInFrame(window);
        const QMargins m = frameMarginsOf(window);
        const QRect outer(window.pos(), window.size().grownBy(m));
        EXPECT_TRUE(room.contains(outer)) << wanted.width() << "x" << wanted.height();
        if (wanted.height() + m.top() + m.bottom() <= room.height()) {
            EXPECT_EQ(window.size(), wanted);
        }
    }
    // The position alone: kept inside, top left first.
    const QSize big(room.width() + 10, 50);
    EXPECT_EQ(keptOnScreen(QPoint(room.right() - 5, room.bottom() - 5), big, frame).x(),
              room.left());
    EXPECT_EQ(keptOnScreen(QPoint(room.left() + 40, room.top() - 30), QSize(100, 100), frame),
              QPoint(room.left() + 40, room.top()));
}

}  // namespace
}  // namespace corvane
