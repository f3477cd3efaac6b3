// Every window the main window opens ends inside its inner area, title bar and borders included,
// at the two frame sizes the operator's screens have, so the toolbar and the status bar stay in
// view; the two whose every control must be in reach (Device Settings, the troubleshooter) may
// take the screen's room instead, whole and unscrolled. Checked from geometry, not from pictures
// (the real display's check is scripts/real-display-check --windows).
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QWidget>

#include "platform/gui/placement.h"
#include "shell_fixture.h"

namespace corvane {
namespace {

class WindowFit : public ShellTest, public ::testing::WithParamInterface<QSize> {};

// The window's outer rectangle (the frame a window manager or a picture draws round it, from the
// window's position) in the inner area's coordinates.
QRect outerInInnerArea(const QWidget& window, const QWidget& inner) {
    const QMargins m = frameMarginsOf(window);
    return QRect(inner.mapFromGlobal(window.frameGeometry().topLeft()), window.size().grownBy(m));
}

TEST_P(WindowFit, EveryWindowEndsInsideTheInnerAreaWithTheStatusBarShowing) {
    MainWindow& w = startedFrame();
    w.resize(GetParam());
    QApplication::processEvents();
    const QWidget* inner = innerAreaOf(w);
    const QRect area(QPoint(0, 0), inner->size());
    int checked = 0;
    for (const QString& name : w.windows().names()) {
        // The return windows plan a move and answer with a message box, not a window.
        if (name.startsWith(QStringLiteral("Form1")) && name.size() == 6 && name.at(5).isDigit() &&
            name.at(5) >= QLatin1Char('6') && name.at(5) <= QLatin1Char('8'))
            continue;
        QWidget* window = w.windows().show(name);
        QApplication::processEvents();
        dialogs_.takeUnscripted();
        if (window == nullptr || !window->isVisible()) continue;
        ++checked;
        const QRect outer = outerInInnerArea(*window, *inner);
        if (name == QLatin1String("Form9") || name == QLatin1String("ppMonitor")) {
            const QRect global(window->frameGeometry().topLeft(),
                               window->size().grownBy(frameMarginsOf(*window)));
            EXPECT_TRUE(screenRoomOf(w).contains(global)) << name.toStdString();
            for (const QScrollArea* body : window->findChildren<QScrollArea*>("FittedBody")) {
                EXPECT_FALSE(body->verticalScrollBar()->isVisible()) << name.toStdString();
                EXPECT_FALSE(body->horizontalScrollBar()->isVisible()) << name.toStdString();
            }
        } else {
            EXPECT_TRUE(area.contains(outer))
                << name.toStdString() << " at " << GetParam().width() << "x" << GetParam().height()
                << ": outer (" << outer.left() << "," << outer.top() << ")-(" << outer.right()
                << "," << outer.bottom() << ") in an inner area of " << area.width() << "x"
                << area.height();
        }
        if (name != QLatin1String("Form19") && name != QLatin1String("Form5")) window->close();
        QApplication::processEvents();
        dialogs_.takeUnscripted();
    }
    EXPECT_GE(checked, 12);
    ASSERT_NE(w.statusBar(), nullptr);
    EXPECT_TRUE(w.statusBar()->isVisible());
    EXPECT_LE(w.statusBar()->geometry().bottom(), w.height());
}

INSTANTIATE_TEST_SUITE_P(FrameSizes, WindowFit,
                         ::testing::Values(QSize(1280, 960), QSize(1024, 700)),
                         [](const auto& instance) {
                             return std::to_string(instance.param.width()) + "x" +
                                    std::to_string(instance.param.height());
                         });

}  // namespace
}  // namespace corvane
