// The cut windows' Resume: after a Stop the window offers to go on, says what it will do, and
// then puts out exactly the ticks the uninterrupted cut would have put out (or first retraces
// the path to a segment picked on the drawing); a set that changed is refused by name.
#include "run/gui/resume_offer.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "run/cut_record.h"
#include "run/gui/cut_window_bench.h"
#include "run/resume_plan.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::WindowBench;

// Clicks Stop once the port has seen `ticks` data writes; the Stop acts between two ticks.
void stopAfter(WindowBench& b, CutWindow& w, int ticks) {
    auto writes = std::make_shared<int>(0);
    b.port.setObserver([&b, &w, writes, ticks](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out && op.port == 888 && ++*writes == ticks)
            QTimer::singleShot(0, &w, [&b] { b.clickButton(2); });
    });
    b.clickButton(1);
    b.port.setObserver({});
}

void clickResume(WindowBench& b) {
    b.child<QSpinBox>("resumeHeat").setValue(0);
    b.dialogs.answerMessage(MsgAnswer::Ok);
    b.port.clearOperations();
    b.child<QPushButton>("resumeButton").click();
}

TEST(ResumeOffer, StoppedAtEveryTickBothWindowsResumeWithTheRestOfTheUninterruptedCut) {
    for (const CutWindowVariant* variant : {&CutWindowVariant::wing(), &CutWindowVariant::foam()}) {
        WindowBench whole;
        whole.open(*variant);
        whole.clickButton(1);
        const std::vector<uint8_t> expected = whole.dataWrites();
        ASSERT_EQ(expected.size(), 6u);
        EXPECT_FALSE(whole.child<ResumeOffer>("resumeOffer").isVisible());

        for (int k = 1; k < 6; ++k) {
            WindowBench b;
            CutWindow& w = b.open(*variant);
            stopAfter(b, w, k);
            ASSERT_EQ(w.lastOutcome()->end, CutEnd::Stopped);
            ASSERT_EQ(b.dataWrites().size(), static_cast<size_t>(k)) << variant->objectName;
            EXPECT_TRUE(b.child<ResumeOffer>("resumeOffer").isVisible());
            EXPECT_TRUE(b.child<QLabel>("resumeState")
                            .text()
                            .startsWith(QStringLiteral("Stopped at tick %1 of 6").arg(k)));
            const auto record = readCutRecord(b.ws.appFolder());
            ASSERT_TRUE(record);
            EXPECT_EQ(record->foam, variant == &CutWindowVariant::foam());

            clickResume(b);
            ASSERT_EQ(b.dialogs.messages().size(), 1u);
            EXPECT_TRUE(b.dialogs.messages()[0].text.contains(
                "The carriages must stand where the cut stopped"));
            EXPECT_EQ(w.lastOutcome()->end, CutEnd::Completed);
            EXPECT_EQ(b.dataWrites(), std::vector<uint8_t>(expected.begin() + k, expected.end()))
                << variant->objectName << " stopped after " << k;
            EXPECT_FALSE(b.child<ResumeOffer>("resumeOffer").isVisible());
            // The resume heated the wire before its first tick and switched it off at its end.
            const auto& ops = b.port.operations();
            const auto on = std::find_if(ops.begin(), ops.end(), [](const PortOperation& op) {
                return op.kind == PortOperation::Kind::Set && op.port == 890;
            });
            const auto firstOut = std::find_if(ops.begin(), ops.end(), [](const PortOperation& op) {
                return op.kind == PortOperation::Kind::Out && op.port == 888;
            });
            EXPECT_LT(on - ops.begin(), firstOut - ops.begin());
            EXPECT_FALSE(b.wireBitSet());
        }
    }
}

TEST(ResumeOffer, ASegmentPickedOnTheDrawingIsReachedBackAlongThePathAndAChangedSetIsRefused) {
    WindowBench whole;
    whole.open();
    whole.clickButton(1);
    const std::vector<uint8_t> expected = whole.dataWrites();

    WindowBench b;
    CutWindow& w = b.open();
    stopAfter(b, w, 4);  // segments of 2, 1, 2, 1 ticks: halfway through segment 3
    auto markedAtFirstPoint = [&](int view) {
        for (const QPointF& p : b.view(view).markerPoints())
            if (std::abs(p.x() - 1.0) < 1e-9 && std::abs(p.y()) < 1e-9) return true;
        return false;
    };
    const int markers = b.view(1).markerCount();  // two delay points, the stop, the resume
    EXPECT_FALSE(markedAtFirstPoint(1));
    w.resumeOffer().pickSegment(1);
    // The picked point (green) replaces the one before; the stop (blue) stays.
    EXPECT_TRUE(markedAtFirstPoint(1));
    EXPECT_TRUE(markedAtFirstPoint(2));
    EXPECT_EQ(b.view(1).markerCount(), markers);

    // The step file changed since the Stop: refused by its name, nothing moves.
    const std::string steps = test::readFile(b.ws.file("cut.ct1"));
    test::writeText(b.ws.file("cut.ct1"), steps + "0\r\n");
    clickResume(b);
    ASSERT_EQ(b.dialogs.messages().size(), 1u);
    EXPECT_TRUE(b.dialogs.messages()[0].text.startsWith(
        "The cut cannot be resumed: cut.ct1 has changed since the cut stopped"))
        << b.dialogs.messages()[0].text.toStdString();
    EXPECT_TRUE(b.dataWrites().empty());
    test::writeText(b.ws.file("cut.ct1"), steps);

    clickResume(b);
    EXPECT_EQ(w.lastOutcome()->end, CutEnd::Completed);
    EXPECT_FALSE(b.child<ResumeOffer>("resumeOffer").isVisible());
    std::vector<uint8_t> want;
    for (int t = 4; t > 0; --t)
        want.push_back(reversedByte(expected[static_cast<size_t>(t - 1)], b.ws.settings.derived));
    want.insert(want.end(), expected.begin(), expected.end());
    EXPECT_EQ(b.dataWrites(), want);

    // A record that is not one is said in the offer, and nothing can be resumed from it.
    test::writeText(b.ws.file(kCutRecordName), "half a record");
    w.activate();
    EXPECT_TRUE(b.child<ResumeOffer>("resumeOffer").isVisible());
    EXPECT_TRUE(b.child<QLabel>("resumeState").text().contains(kCutRecordName));
    EXPECT_FALSE(b.child<QPushButton>("resumeButton").isEnabled());
}

}  // namespace
}  // namespace corvane
