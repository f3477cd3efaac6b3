// Writes pictures of Form6 and the planform windows, filled with a worked example, into the
// folder named by CORVANE_SCREENSHOT_DIR (skipped when it is not set), for a look at a glance.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPixmap>

#include "generate/gui/planform_window.h"
#include "generate/gui/wing_setup_window.h"
#include "machine/workspace.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/toolbar.h"
#include "platform/monotonic_clock.h"
#include "platform/simulated_port.h"

namespace corvane {
namespace {

TEST(PlanformScreenshots, Form6AndTwoPlanformWindows) {
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR to write the pictures";
    QDir().mkpath(dir);
    SimulatedPort port;
    FakeClock clock;
    Workspace ws{"/nonexistent", port, clock};
    ws.settings.derived.SpeedSliderMax = 500;
    ScriptedDialogs dialogs;
    WingSetupWindow form6(ws, dialogs);
    form6.findChild<QLineEdit*>("Text1")->setText("6");

    auto shoot = [&](QWidget& w, const QString& file) {
        w.resize(w.sizeHint().expandedTo(QSize(900, 440)));
        w.show();
        QPixmap pix = w.grab();
        EXPECT_TRUE(pix.save(dir + "/" + file)) << file.toStdString();
    };

    PlanformWindow* taper = form6.planformWindow("right_taper");
    for (auto [n, v] : {std::pair{"Text9", "250"},
                        {"Text10", "150"},
                        {"Text11", "40"},
                        {"Text1", "600"},
                        {"Text14", "1000"},
                        {"Text3", "100"}})
        taper->box(n)->setText(v);
    taper->calculate();
    shoot(*taper, "right_taper.png");
    taper->done();

    PlanformWindow* swept = form6.planformWindow("Form8");
    for (auto [n, v] : {std::pair{"Text9", "250"},
                        {"Text10", "150"},
                        {"Text11", "20"},
                        {"Text1", "600"},
                        {"Text14", "1000"},
                        {"Text3", "100"}})
        swept->box(n)->setText(v);
    swept->calculate();
    shoot(*swept, "Form8.png");

    PlanformWindow* edge = form6.planformWindow("left_TE_taper");
    for (auto [n, v] : {std::pair{"Text9", "250"},
                        {"Text10", "150"},
                        {"Text1", "600"},
                        {"Text14", "1000"},
                        {"Text3", "100"}})
        edge->box(n)->setText(v);
    edge->calculate();
    shoot(*edge, "left_TE_taper.png");
    PlanformWindow* leading = form6.planformWindow("right_LE_taper");
    for (auto [n, v] : {std::pair{"Text9", "250"},
                        {"Text10", "150"},
                        {"Text1", "500"},
                        {"Text14", "800"},
                        {"Text3", "100"}})
        leading->box(n)->setText(v);
    leading->calculate();
    shoot(*leading, "right_LE_taper.png");

    PlanformWindow concentric("concentric", ws, dialogs);
    for (auto [n, v] : {std::pair{"Text9", "120"},
                        {"Text10", "80"},
                        {"Text11", "20"},
                        {"Text1", "400"},
                        {"Text14", "800"},
                        {"Text3", "50"}})
        concentric.box(n)->setText(v);
    concentric.calculate();
    shoot(concentric, "concentric.png");

    form6.resize(760, 420);
    form6.show();
    EXPECT_TRUE(form6.grab().save(dir + "/Form6.png"));
}

}  // namespace
}  // namespace corvane
