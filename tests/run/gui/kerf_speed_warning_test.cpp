// The cut window's kerf warning: the slider moved more than a quarter away from the speed the
// set was made for says so beside the controls, and says nothing within it or when the set
// does not record a speed; mid-cut the warning comes and goes without moving the drawings or
// touching the set. Run it on a real display too (scripts/with-display); with
// CORVANE_SCREENSHOT_DIR set it leaves a picture of the window with the warning.
#include "run/kerf_speed_warning.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QSlider>
#include <QTimer>

#include "generate/cut_generator.h"
#include "platform/gui/real_display.h"
#include "run/gui/cut_window.h"
#include "run/gui/cut_window_bench.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::u;
using test::WindowBench;

TEST(KerfSpeedWarning, MoreThanAQuarterAwayEitherWayAndOnlyWithAMadeForSpeed) {
    struct Case {
        std::optional<double> madeFor;
        double now;
        bool warns;
    };
    const Case cases[] = {{4, 4, false},  {4, 3, false},   {4, 5, false},
                          {4, 2.8, true}, {4, 5.2, true},  {4, 0.2, true},
                          {2, 2.6, true}, {2, 1.6, false}, {std::nullopt, 0.2, false},
                          {0, 5, false},  {-1, 5, false}};
    for (const Case& c : cases) {
        const auto d = farFromMadeForSpeed(c.madeFor, c.now);
        EXPECT_EQ(d.has_value(), c.warns) << c.now;
        if (d) {
            EXPECT_NEAR(d->fraction, (c.now - *c.madeFor) / *c.madeFor, 1e-12);
        }
    }
}

struct WarningBench : WindowBench {
    QSlider& slider() { return child<QSlider>("Slider1"); }
    QLabel& warning() { return child<QLabel>("kerfWarningLabel"); }
    std::string datInfo() { return test::readFile(ws.file("datinfo.ct3")); }
    // The set's line with the generation's record of the speed it was made for.
    void recordMadeFor(const char* speed) {
        std::string line = datInfo();
        line.resize(line.size() - 2);  // CR LF
        test::writeText(ws.file("datinfo.ct3"),
                        line + ",\"made for\"," + speed + ",\"\",\"settings\",0\r\n");
    }
    WarningBench() {
        recordMadeFor("4");
        ws.motion.CutSpeed = Fixed4::fromInt(4);
    }
};

TEST(KerfSpeedWarning, AppearsWhenTheSliderMovesFarAndGoesWhenItComesBack) {
    WarningBench b;
    b.open();
    EXPECT_EQ(b.slider().value(), 20);
    EXPECT_FALSE(b.warning().isVisible());

    struct Step {
        int slider;
        const char* text;  // empty: no warning
    };
    const Step steps[] = {
        {14, "速度 2.8 毫米/秒 比切割文件的 4 毫米/秒 慢 30%: 切缝会变宽, 尺寸与设计不符"},
        {16, ""},  // 3.2 mm/s: a fifth slower is within a quarter
        {26, "速度 5.2 毫米/秒 比切割文件的 4 毫米/秒 快 30%: 切缝会变窄, 尺寸与设计不符"},
        {25, ""},  // 5 mm/s: a quarter faster, no more
        {1, "速度 0.2 毫米/秒 比切割文件的 4 毫米/秒 慢 95%: 切缝会变宽, 尺寸与设计不符"},
        {20, ""},
    };
    for (const Step& s : steps) {
        b.slider().setValue(s.slider);
        const bool warns = *s.text != '\0';
        EXPECT_EQ(b.warning().isVisible(), warns) << s.slider;
        if (warns) {
            EXPECT_EQ(b.warning().text(), u(s.text));
        }
    }
    EXPECT_TRUE(b.dialogs.calls().empty());  // a label, never a box
}

TEST(KerfSpeedWarning, ASetWithoutARecordIsKnownOnlyWhileItIsTheSetGeneratedHere) {
    // A set made before speeds were recorded: no warning however far the slider goes, even
    // with a speed left from another set generated here.
    WindowBench old;
    old.ws.motion.CutSpeed = Fixed4::fromInt(4);
    old.ws.job.madeForSpeedMmS = 4;
    old.ws.job.madeForDatInfo = "\"other.dat\",\"other.dat\",100,100\r\n";
    old.open();
    old.child<QSlider>("Slider1").setValue(1);
    EXPECT_FALSE(old.child<QLabel>("kerfWarningLabel").isVisible());

    // A foam set has no room for the record: the speed the generation window made it at counts
    // while the DAT-information file is the one it wrote.
    WindowBench foam;
    foam.ws.motion.CutSpeed = Fixed4::fromInt(4);
    foam.ws.job.madeForSpeedMmS = 4;
    foam.ws.job.madeForDatInfo = test::readFile(foam.ws.file("datinfo.ct3"));
    foam.open(CutWindowVariant::foam());
    foam.child<QSlider>("Slider1").setValue(1);
    EXPECT_TRUE(foam.child<QLabel>("kerfWarningLabel").isVisible());
}

TEST(KerfSpeedWarning, MidCutItComesAndGoesWithoutMovingTheDrawingsOrTouchingTheSet) {
    WarningBench b;
    CutWindow& w = b.open();
    b.child<QLineEdit>("Text1").setText("20");  // pauses long enough to move the slider
    auto* frame = w.findChild<QGroupBox*>("Frame1");
    ASSERT_NE(frame, nullptr);
    const QRect before = frame->geometry();
    const std::string set = test::readFile(b.ws.file("cut.ct1"));
    bool shownMidCut = false, goneMidCut = true;
    QRect during;
    QTimer::singleShot(0, &w, [&] {
        b.slider().setValue(12);
        shownMidCut = w.cutting() && b.warning().isVisible();
        during = frame->geometry();
        b.slider().setValue(20);
        goneMidCut = b.warning().isVisible();
    });
    b.clickButton(1);
    ASSERT_TRUE(w.lastOutcome());
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    EXPECT_TRUE(shownMidCut);
    EXPECT_FALSE(goneMidCut);
    EXPECT_EQ(during, before);
    EXPECT_EQ(test::readFile(b.ws.file("cut.ct1")), set);
}

// The wing cut window on the demo panel with the slider at 2.4 mm/s for a set made at 4 mm/s.
TEST(KerfSpeedWarning, Picture) {
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR to write the picture";
    WarningBench b;
    b.ws.settings.derived.SpeedSliderMax = 50;
    test::copyResources(b.folder.path());
    GenerationRequest request;
    request.leftPath = (b.folder.path() / "samples" / "naca2412.dat").string();
    request.rightPath = (b.folder.path() / "samples" / "naca0012.dat").string();
    request.leftChordText = "250";
    request.rightChordText = "160";
    request.cutSpeedMmS = 4;  // the generation records it
    CutGenerator generator(b.ws);
    ASSERT_EQ(generator.generate(request).status, GenerationStatus::Finished);
    CutWindow& w = b.open();
    w.resize(1100, 700);
    b.slider().setValue(12);
    ASSERT_TRUE(b.warning().isVisible());
    QDir().mkpath(dir);
    QImage picture;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        ASSERT_TRUE(waitUntilOnScreen(w));
        EXPECT_TRUE(checkOnScreen(w).ok()) << checkOnScreen(w).line().toStdString();
        picture = screenPicture(w);
    } else {
        picture = w.grab().toImage();
    }
    EXPECT_TRUE(picture.save(dir + "/cut-window-kerf-warning.png"));
}

}  // namespace
}  // namespace corvane
