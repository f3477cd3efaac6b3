// The drawing choice's face geometry: a tapered two-drawing fin chosen on the faces in the window
// and generated from the foam window makes the very files `corvane-cli generate foam --drawing
// --geometry faces` makes with the same numbers; the preview shows both faces as placed; a cone
// that turns over is refused in a box raised by the drawing window with the core's numbers, and
// nothing is handed on. A window picture when CORVANE_DRAWING_FACES_SHOT names a file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <regex>

#include "cli/cli_runner.h"
#include "generate/cut_set_layout.h"
#include "generate/drawing_fin.h"
#include "generate/gui/drawing_choice_window.h"
#include "generate/gui/wing_generation_window.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::control;

// Records which window was active when each message box was asked for: the box's owner.
class OwnerDialogs : public ScriptedDialogs {
public:
    MsgAnswer message(const QString& text, const QString& title, MsgButtons buttons,
                      MsgIcon icon) override {
        owners.push_back(QApplication::activeWindow());
        return ScriptedDialogs::message(text, title, buttons, icon);
    }
    std::vector<QWidget*> owners;
};

class DrawingFacesWindowTest : public ::testing::Test {
protected:
    DrawingFacesWindowTest() {
        test::copyResources(m.dir.path());
        m.ws.settings.fields.kerf = "0.3";
        m.ws.settings.fields.lead_in = 1;
        m.ws.settings.fields.lead_in_amount = "10";
        m.ws.settings.derive();
        // corvane-cli reads the same settings from the folder.
        m.ws.settings.save(m.dir / "settings.txt");
        test::writeTaperedFin(m.dir.path());
    }
    std::string file(const char* name) const { return (m.dir / name).string(); }

    // Form1's drawing choice with the fin and the face boxes filled from `faces`.
    DrawingChoiceWindow* chooseFin(WingGenerationWindow& form1,
                                   const std::vector<std::pair<const char*, const char*>>& faces) {
        form1.show();
        control<QPushButton>(form1, "drawing_choice_button")->click();
        auto* w = form1.findChild<DrawingChoiceWindow*>("drawing_choice");
        if (w == nullptr) return nullptr;
        control<QLineEdit>(*w, "drawing_file")->setText(QString::fromStdString(file("root.dxf")));
        emit control<QLineEdit>(*w, "drawing_file")->editingFinished();
        control<QLineEdit>(*w, "tip_drawing_file")
            ->setText(QString::fromStdString(file("tip.dxf")));
        control<QCheckBox>(*w, "face_geometry")->setChecked(true);
        for (const auto& [name, value] : faces) control<QLineEdit>(*w, name)->setText(value);
        w->refresh();
        return w;
    }

    test::TestMachine m;
    OwnerDialogs dialogs;
};

const char* const kFaceFiles[] = {kStepFileName, kCountFileName, kDatInfoFileName};

TEST_F(DrawingFacesWindowTest, FaceChoiceMakesTheSetTheCliMakes) {
    WingGenerationWindow form1(m.ws, dialogs, nullptr, CutSetKind::Foam);
    DrawingChoiceWindow* w = chooseFin(form1, {{"face_towers", "600"},
                                               {"face_left_gap", "100"},
                                               {"face_span", "400"},
                                               {"face_sweep", "5"},
                                               {"face_rise", "2"},
                                               {"face_right_kerf", "0.5"}});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(control<QLineEdit>(*w, "face_left_kerf")->text(), "0.3");    // the settings' kerf
    EXPECT_FALSE(control<QLineEdit>(*w, "face_left_chord")->isVisible());  // the drawing's sizes
    EXPECT_FALSE(control<QLineEdit>(*w, "face_pivot")->isVisible());

    // Both faces as placed: the tip drawn 40 mm behind the root's foot, moved 5 back and 2 up.
    auto* preview = w->findChild<DrawingPreview*>("drawing_preview");
    ASSERT_EQ(preview->outlines().size(), 2u);
    const DrawingOutline& root = preview->outlines()[0];
    const DrawingOutline& tip = preview->outlines()[1];
    EXPECT_NEAR(root.minX, 0, 1e-9);
    EXPECT_NEAR(root.maxX - root.minX, 150, 1e-6);
    EXPECT_NEAR(tip.minX, 45, 1e-6);
    EXPECT_NEAR(tip.minY, 2, 1e-6);
    EXPECT_NEAR(tip.maxX - tip.minX, 90, 1e-6);
    EXPECT_EQ(root.points.size(), tip.points.size());

    if (const char* shot = std::getenv("CORVANE_DRAWING_FACES_SHOT")) {
        w->resize(640, 720);
        w->show();
        QTest::qWait(100);
        w->grab().save(QString::fromUtf8(shot));
    }

    const QString towers = control<QLabel>(*w, "face_chords")->text();
    control<QPushButton>(*w, "drawing_use")->click();
    ASSERT_FALSE(w->isVisible()) << dialogs.messageTexts().join("\n").toStdString();
    dialogs.answerSaveFile(QString());
    ASSERT_EQ(form1.generate(), GenerationStatus::Finished)
        << dialogs.messageTexts().join("\n").toStdString();
    std::vector<std::string> window;
    for (const char* name : kFaceFiles) window.push_back(test::readFile(m.dir / name));
    EXPECT_NE(window[2].find("\"faces\",150,90,600,100,400,45,2,0,0,0,0.3,0.5\r\n"),
              std::string::npos)
        << window[2];

    for (const char* name : kFaceFiles) std::filesystem::remove(m.dir / name);
    const test::CliResult r =
        test::cli(m.dir, "generate foam --drawing '" + file("root.dxf") + "' --tip-drawing '" +
                             file("tip.dxf") +
                             "' --geometry faces --towers 600 --left-gap 100 --span 400 "
                             "--sweep-mm 5 --rise-mm 2 --right-kerf 0.5");
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    for (std::size_t i = 0; i < std::size(kFaceFiles); ++i)
        EXPECT_TRUE(test::readFile(m.dir / kFaceFiles[i]) == window[i]) << kFaceFiles[i];

    // The tower sizes the window showed are the ones the generation gives.
    std::smatch left, right;
    ASSERT_TRUE(std::regex_search(r.out, left, std::regex(R"(LeftTowerSize=([\d.]+))")));
    ASSERT_TRUE(std::regex_search(r.out, right, std::regex(R"(RightTowerSize=([\d.]+))")));
    for (const std::string& size : {left[1].str(), right[1].str()})
        EXPECT_TRUE(towers.contains(QString("塔 %1 mm").arg(QString::fromStdString(size))))
            << towers.toStdString() << " lacks " << size;

    // A DAT file browsed since is cut on the towers: the face design went with those paths.
    EXPECT_TRUE(w->facesFor(control<QLineEdit>(form1, "Text1")->text(),
                            control<QLineEdit>(form1, "Text2")->text()));
    EXPECT_FALSE(w->facesFor("/elsewhere/a.dat", control<QLineEdit>(form1, "Text2")->text()));
}

TEST_F(DrawingFacesWindowTest, ATurnedOverConeIsRefusedByTheWindowWithTheCoresNumbers) {
    // 150 to 90 over a 200 mm span: the cone's apex is 300 mm beyond the right face, short of
    // the right tower 2700 mm away.
    WingGenerationWindow form1(m.ws, dialogs, nullptr, CutSetKind::Foam);
    DrawingChoiceWindow* w =
        chooseFin(form1, {{"face_towers", "3000"}, {"face_left_gap", "100"}, {"face_span", "200"}});
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    const QString shown = control<QLabel>(*w, "face_chords")->text();
    EXPECT_TRUE(shown.contains("turns over")) << shown.toStdString();

    dialogs.answerMessage();
    control<QPushButton>(*w, "drawing_use")->click();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    const DialogCall box = dialogs.messages()[0];
    EXPECT_EQ(box.title, "Face Geometry");
    EXPECT_EQ(dialogs.owners.at(0), w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(control<QLineEdit>(form1, "Text1")->text().trimmed(), "");

    const test::CliResult r = test::cli(
        m.dir, "generate foam --drawing '" + file("root.dxf") + "' --tip-drawing '" +
                   file("tip.dxf") + "' --geometry faces --towers 3000 --left-gap 100 --span 200");
    ASSERT_EQ(r.exitCode, 1) << r.err << r.out;
    for (const QString& line : box.text.split('\r')) {
        EXPECT_NE(r.err.find(line.toStdString()), std::string::npos) << line.toStdString() << "\n"
                                                                     << r.err;
    }
    EXPECT_TRUE(box.text.contains("apex 300 mm from the right face")) << box.text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(m.dir / kDatInfoFileName));
}

}  // namespace
}  // namespace corvane
