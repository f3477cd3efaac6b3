// The wing features in Form14: typed into the box, they reach the cut set (the wire at each face
// follows the featured outline, slot floor included); an impossible one is refused with the
// core's own numbers before the working set is touched; the box gives back what it was given;
// the preview draws the featured faces. Run on a real display as well (scripts/with-display),
// where it also writes the pictures when CORVANE_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "../naca_sections.h"
#include "generate/cut_set_layout.h"
#include "generate/face_geometry.h"
#include "generate/face_set_record.h"
#include "generate/gui/face_outline_preview.h"
#include "generate/gui/wing_features_box.h"
#include "generate/gui/wing_generation_window.h"
#include "generate/wing_features_record.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/real_display.h"
#include "platform/gui/scripted_dialogs.h"
#include "simulate/face_check.h"
#include "simulate/simulation.h"
#include "support/test_support.h"

// This file declares no Qt slots, and WingFeatures has a member of that name.
#undef slots

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::control;

class WingFeaturesWindowTest : public ::testing::Test {
protected:
    WingFeaturesWindowTest() {
        test::copyResources(m.dir.path());
        m.ws.settings.fields.steps_per_inch = "100";
        m.ws.settings.fields.kerf = "0.3";
        m.ws.settings.derive();
        test::writeFile(m.dir / "root.dat", test::datText(test::naca(0.02, 0.4, 0.12, 40)));
        test::writeFile(m.dir / "tip.dat", test::datText(test::naca(0, 0.4, 0.12, 40)));
    }

    test::TestMachine m;
    ScriptedDialogs dialogs;

    // The working set's three files ("-" for one that is not there).
    std::string working() const {
        std::string all;
        for (const char* name : {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3"})
            all += (fs::exists(m.dir / name) ? test::readFile(m.dir / name) : "-") + "|";
        return all;
    }
    // Into the folder CORVANE_SCREENSHOT_DIR names (nothing without it): from the screen on a
    // real display, the widget's own drawing offscreen.
    static void savePicture(QWidget& w, const QString& file) {
        const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        if (w.isWindow()) w.resize(w.sizeHint());
        test::letEventsThrough();
        const bool real =
            w.isWindow() && QGuiApplication::platformName() == "xcb" && waitUntilOnScreen(w);
        EXPECT_TRUE((real ? screenPicture(w) : w.grab().toImage()).save(dir + "/" + file));
    }
    static void type(QWidget& w, const char* name, const QString& value) {
        auto* e = control<QLineEdit>(w, name);
        ASSERT_NE(e, nullptr);
        e->setText(value);
        emit e->textEdited(value);
    }
    // A panel of 200 and 150 mm faces, 600 mm apart, 100 mm from the left tower of 800.
    void openPanel(WingGenerationWindow& w) {
        w.showAndActivate();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        control<QLineEdit>(w, "Text1")
            ->setText(QString::fromStdString((m.dir / "root.dat").string()));
        control<QLineEdit>(w, "Text2")
            ->setText(QString::fromStdString((m.dir / "tip.dat").string()));
        control<QCheckBox>(w, "face_geometry")->setChecked(true);
        for (auto [name, value] : {std::pair{"face_left_chord", "200"},
                                   {"face_right_chord", "150"},
                                   {"face_towers", "800"},
                                   {"face_left_gap", "100"},
                                   {"face_span", "600"}})
            type(w, name, value);
    }
    // Sheeting 1.5 / 1 mm above, 1 mm below, a 0.5 mm trailing edge, 2 mm stock at the leading
    // edge, and two spar slots: upper at 30 % of the chord (6 x 3 mm at the left face, in
    // proportion at the right), lower at 120 and 90 mm, 5 x 2 mm, given per face.
    void typeFeatures(WingGenerationWindow& w) {
        type(w, "sheeting_upper_left", "1.5");
        type(w, "sheeting_upper_right", "1");
        type(w, "sheeting_lower_left", "1");
        type(w, "sheeting_lower_right", "1");
        type(w, "te_thickness_left", "0.5");
        type(w, "te_thickness_right", "0.5");
        type(w, "le_stock_left", "2");
        type(w, "le_stock_right", "2");
        auto* box = w.findChild<WingFeaturesBox*>("FrameFeatures");
        ASSERT_NE(box, nullptr);
        QTableWidget* table = box->slotTable();
        auto choose = [&](int row, int column, int index) {
            auto* c = qobject_cast<QComboBox*>(table->cellWidget(row, column));
            ASSERT_NE(c, nullptr);
            c->setCurrentIndex(index);
        };
        QTest::mouseClick(control<QPushButton>(w, "spar_add"), Qt::LeftButton);
        table->item(0, WingFeaturesBox::Position)->setText("0.3");
        choose(0, WingFeaturesBox::Scaling, 1);
        QTest::mouseClick(control<QPushButton>(w, "spar_add"), Qt::LeftButton);
        ASSERT_EQ(table->rowCount(), 2);
        choose(1, WingFeaturesBox::Surface, 1);
        choose(1, WingFeaturesBox::Unit, 0);
        choose(1, WingFeaturesBox::Scaling, 2);
        for (auto [column, text] : {std::pair{WingFeaturesBox::Position, "120"},
                                    {WingFeaturesBox::Width, "5"},
                                    {WingFeaturesBox::Depth, "2"},
                                    {WingFeaturesBox::RightPosition, "90"},
                                    {WingFeaturesBox::RightWidth, "5"},
                                    {WingFeaturesBox::RightDepth, "2"}})
            table->item(1, column)->setText(text);
    }
};

// The face targets of a design, built as simulate builds them from a face set's record.
FaceTargets targetsOf(const FaceDesign& d, const Profile& left, const Profile& right) {
    FaceGeometryResult built = buildFaceGeometry(left, right, d);
    EXPECT_TRUE(built.geometry.has_value());
    FaceTargets t;
    if (!built.geometry) return t;
    FaceGeometry& g = *built.geometry;
    t.faceSet = true;
    t.leftGapMm = d.leftGapMm;
    t.spanMm = d.spanMm;
    t.towersMm = d.towersMm;
    t.left = {g.leftFace, g.leftCut, d.leftKerfMm, g.leftTower.x[0], g.leftTower.y[0], {}};
    t.right = {g.rightFace, g.rightCut, d.rightKerfMm, g.rightTower.x[0], g.rightTower.y[0], {}};
    return t;
}

double distance(const Outline& o, std::size_t k, const Outline& p, std::size_t j) {
    return std::hypot(o.x[k] - p.x[j], o.y[k] - p.y[j]);
}

// From point k of `o` to the nearest point of the polyline `p`.
double distanceToOutline(const Outline& o, std::size_t k, const Outline& p) {
    double best = 1e300;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
        const double dx = p.x[i + 1] - p.x[i], dy = p.y[i + 1] - p.y[i];
        const double len2 = dx * dx + dy * dy;
        const double t =
            len2 > 0
                ? std::clamp(((o.x[k] - p.x[i]) * dx + (o.y[k] - p.y[i]) * dy) / len2, 0.0, 1.0)
                : 0.0;
        best = std::min(best, std::hypot(o.x[k] - p.x[i] - t * dx, o.y[k] - p.y[i] - t * dy));
    }
    return best;
}

TEST_F(WingFeaturesWindowTest, FeaturesTypedInTheWindowReachTheWireAtBothFaces) {
    WingGenerationWindow w(m.ws, dialogs);
    openPanel(w);
    EXPECT_TRUE(control<QWidget>(w, "FrameFeatures")->isVisible());
    typeFeatures(w);
    dialogs.answerSaveFile(QString());
    ASSERT_EQ(w.generate(), GenerationStatus::Finished)
        << (dialogs.messages().empty() ? "" : dialogs.messages()[0].text.toStdString());

    // What the window asked for, written out: the slots as the test typed them.
    WingFeatures asked;
    asked.sheetingUpperMm = {1.5, 1};
    asked.sheetingLowerMm = {1, 1};
    asked.teThicknessMm = {0.5, 0.5};
    asked.leStockMm = {2, 2};
    SparSlot upper;
    upper.centre = {0.3, 0.3};
    upper.centreIsFraction = true;
    upper.widthMm = {6, 6};
    upper.depthMm = {3, 3};
    upper.scaling = SlotScaling::Proportional;
    SparSlot lower;
    lower.surface = SlotSurface::Lower;
    lower.centre = {120, 90};
    lower.widthMm = {5, 5};
    lower.depthMm = {2, 2};
    lower.scaling = SlotScaling::PerFace;
    asked.sparSlots = {upper, lower};
    auto* box = w.findChild<WingFeaturesBox*>("FrameFeatures");
    EXPECT_EQ(box->features(), asked);

    FaceDesign d;
    d.leftChordMm = 200;
    d.rightChordMm = 150;
    d.towersMm = 800;
    d.leftGapMm = 100;
    d.spanMm = 600;
    d.leftKerfMm = d.rightKerfMm = 0.3;
    d.features = asked;
    const Profile left = readProfile(m.dir / "root.dat"), right = readProfile(m.dir / "tip.dat");
    const FaceTargets featured = targetsOf(d, left, right);
    FaceDesign plainDesign = d;
    plainDesign.features = {};
    const FaceTargets plain = targetsOf(plainDesign, left, right);

    const Simulation sim = simulateSet(m.ws, workingSetPaths(m.ws.appFolder()));
    // The set remembers the features: read back from its line they are the box's, and fill a
    // new box as they were typed.
    std::string why;
    const std::optional<FaceDesign> remembered = faceDesignFromFields(sim.datInfo, why);
    ASSERT_TRUE(remembered.has_value()) << why;
    EXPECT_EQ(remembered->features, asked);
    WingFeaturesBox again;
    again.setFeatures(remembered->features);
    EXPECT_EQ(again.features(), asked);
    // simulate's own targets from that line are the featured faces.
    const std::optional<FaceTargets> fromSet = faceSetTargets(sim.datInfo, why);
    ASSERT_TRUE(fromSet.has_value()) << why;
    ASSERT_EQ(fromSet->left.designed.size(), featured.left.designed.size());
    const FaceCheck check = checkAtFaces(sim, *fromSet);
    EXPECT_TRUE(check.withinBound())
        << check.left.maxDistanceMm << " / " << check.right.maxDistanceMm << " > " << check.boundMm;
    // The floors of both slots are where the wire goes, a slot's depth and more away from the
    // plain section's outline: the slots are in the cut, not only in the drawing.
    const FeaturedSections f = applyWingFeatures(left, right, 200, 150, asked, 0.3, 0.3);
    ASSERT_EQ(f.sparSlots.size(), 2u);
    const FaceSideCheck* sides[2] = {&check.left, &check.right};
    const FaceTarget* plainSides[2] = {&plain.left, &plain.right};
    for (int side = 0; side < 2; ++side) {
        const Outline& path = sides[side]->path;
        const Outline& was = plainSides[side]->cut;
        ASSERT_EQ(path.size(), f.left.size());
        for (std::size_t s = 0; s < 2; ++s) {
            for (std::size_t k : {f.sparSlots[s].floorA, f.sparSlots[s].floorB}) {
                const double depth = s == 0 ? 3 : 2;
                EXPECT_GT(distanceToOutline(path, k, was), depth)
                    << "side " << side << " slot " << s;
            }
        }
    }
}

TEST_F(WingFeaturesWindowTest, BothHalvesSavesTheMirroredPanelAsASecondSet) {
    WingGenerationWindow w(m.ws, dialogs);
    openPanel(w);
    type(w, "face_sweep", "30");
    typeFeatures(w);
    control<QCheckBox>(w, "both_halves")->setChecked(true);
    const QString first = QString::fromStdString((m.dir / "panel.ct1").string());
    const QString second = QString::fromStdString((m.dir / "panel-mirror.ct1").string());
    dialogs.answerSaveFile(first).answerSaveFile(second);
    ASSERT_EQ(w.generate(), GenerationStatus::Finished)
        << (dialogs.messages().empty() ? "" : dialogs.messages()[0].text.toStdString());
    std::vector<DialogCall> saves;
    for (const DialogCall& c : dialogs.calls())
        if (c.kind == DialogCall::Kind::SaveFile) saves.push_back(c);
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].request.fileName, "");
    EXPECT_EQ(saves[1].request.fileName, second);  // offered beside the first
    ASSERT_TRUE(fs::exists(m.dir / "panel.ct3"));
    ASSERT_TRUE(fs::exists(m.dir / "panel-mirror.ct3"));
    // The other half starts at the tip file: its left face is the panel's right one.
    const std::string info = test::readFile(m.dir / "panel-mirror.ct3");
    EXPECT_EQ(info.find("\"" + (m.dir / "tip.dat").string() + "\""), 0u) << info;

    FaceDesign d;
    d.leftChordMm = 200;
    d.rightChordMm = 150;
    d.towersMm = 800;
    d.leftGapMm = 100;
    d.spanMm = 600;
    d.sweepMm = 30;
    d.leftKerfMm = d.rightKerfMm = 0.3;
    d.features = w.findChild<WingFeaturesBox*>("FrameFeatures")->features();
    const FaceDesign mirrored = mirroredDesign(d);
    EXPECT_EQ(mirrored.leftChordMm, 150);
    EXPECT_EQ(mirrored.leftGapMm, 100);  // 800 - 100 - 600
    EXPECT_EQ(mirrored.sweepMm, -30);
    const Profile left = readProfile(m.dir / "tip.dat"), right = readProfile(m.dir / "root.dat");
    // The working set is the other half, its wire on the mirrored faces with their features.
    const Simulation sim = simulateSet(m.ws, workingSetPaths(m.ws.appFolder()));
    const FaceCheck check = checkAtFaces(sim, targetsOf(mirrored, left, right));
    EXPECT_TRUE(check.withinBound())
        << check.left.maxDistanceMm << " / " << check.right.maxDistanceMm << " > " << check.boundMm;
    EXPECT_EQ(test::readFile(m.dir / "panel-mirror.ct1"), test::readFile(m.dir / "cut.ct1"));
    EXPECT_NE(test::readFile(m.dir / "panel.ct1"), test::readFile(m.dir / "cut.ct1"));
}

TEST_F(WingFeaturesWindowTest, AnImpossibleFeatureIsRefusedWithTheCoresNumbers) {
    WingGenerationWindow w(m.ws, dialogs);
    openPanel(w);
    const std::string before = working();
    auto* box = w.findChild<WingFeaturesBox*>("FrameFeatures");
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(control<QPushButton>(w, "spar_add"), Qt::LeftButton);
    box->slotTable()->item(0, WingFeaturesBox::Depth)->setText("40");
    type(w, "sheeting_lower_right", "12");

    const Profile left = readProfile(m.dir / "root.dat"), right = readProfile(m.dir / "tip.dat");
    const FeaturedSections core =
        applyWingFeatures(left, right, 200, 150, box->features(), 0.3, 0.3);
    ASSERT_FALSE(core.refusals.empty());
    // The preview says it at once, under the plain sections.
    auto* preview = w.findChild<FaceOutlinePreview*>("face_preview");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->refusal().contains(QString::fromStdString(core.refusals[0])))
        << preview->refusal().toStdString();
    EXPECT_GT(preview->face(false).designed.size(), 0u);
    EXPECT_EQ(preview->face(false).featured.size(), 0u);
    savePicture(w, "Form14-wing-features-refused.png");

    dialogs.answerMessage();
    EXPECT_EQ(w.generate(), GenerationStatus::Refused);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, "机翼特征");
    for (const std::string& why : core.refusals)
        EXPECT_TRUE(dialogs.messages()[0].text.contains(QString::fromStdString(why))) << why;
    EXPECT_EQ(working(), before);
}

TEST_F(WingFeaturesWindowTest, TheBoxGivesBackWhatItWasGiven) {
    SparSlot fraction;
    fraction.centre = {0.35, 0.35};
    fraction.centreIsFraction = true;
    fraction.widthMm = {8, 8};
    fraction.depthMm = {4, 4};
    fraction.scaling = SlotScaling::Proportional;
    SparSlot perFace;
    perFace.surface = SlotSurface::Lower;
    perFace.centre = {80.25, 61.5};
    perFace.widthMm = {6.35, 4.5};
    perFace.depthMm = {3.2, 2.1};
    perFace.scaling = SlotScaling::PerFace;
    SparSlot same;
    same.centre = {150, 150};
    same.widthMm = {3, 3};
    same.depthMm = {9.5, 9.5};
    WingFeatures sets[4];
    sets[1].sheetingUpperMm = {1.6, 0.8};
    sets[1].sheetingLowerMm = {1.2, 0.6};
    sets[1].mirror = true;
    sets[2].teThicknessMm = {0.5, 0.4};
    sets[2].leStockMm = {3, 2};
    sets[2].teStockMm = {1.5, 1};
    sets[2].sparSlots = {fraction};
    sets[3] = sets[1];
    sets[3].sparSlots = {same, perFace, fraction};
    WingFeaturesBox box;
    for (const WingFeatures& f : sets) {
        box.setFeatures(f);
        EXPECT_EQ(box.features(), f);
        EXPECT_EQ(box.slotTable()->rowCount(), static_cast<int>(f.sparSlots.size()));
    }
    // Removing takes the current row, else the last; the right face's cells of a slot that is
    // not given per face are not typed into.
    box.slotTable()->setCurrentCell(0, WingFeaturesBox::Position);
    box.removeSlot();
    EXPECT_EQ(box.features().sparSlots, (std::vector<SparSlot>{perFace, fraction}));
    EXPECT_TRUE(box.slotTable()->item(0, WingFeaturesBox::RightWidth)->flags() &
                Qt::ItemIsEditable);
    EXPECT_FALSE(box.slotTable()->item(1, WingFeaturesBox::RightWidth)->flags() &
                 Qt::ItemIsEditable);
    EXPECT_EQ(box.slotTable()->item(1, WingFeaturesBox::RightWidth)->text(), "");
    // Made per face, a slot starts from its left face's figures.
    auto* scaling =
        qobject_cast<QComboBox*>(box.slotTable()->cellWidget(1, WingFeaturesBox::Scaling));
    scaling->setCurrentIndex(static_cast<int>(SlotScaling::PerFace));
    EXPECT_EQ(box.slotTable()->item(1, WingFeaturesBox::RightWidth)->text(), "8");
    SparSlot nowPerFace = fraction;
    nowPerFace.scaling = SlotScaling::PerFace;
    EXPECT_EQ(box.features().sparSlots[1], nowPerFace);
    scaling->setCurrentIndex(static_cast<int>(SlotScaling::Proportional));
    box.slotTable()->setCurrentCell(-1, -1);
    box.removeSlot();
    EXPECT_EQ(box.features().sparSlots, (std::vector<SparSlot>{perFace}));
    // No more slots than a set's line holds.
    for (int i = 0; i < 20; ++i) box.addSlot();
    EXPECT_EQ(box.features().sparSlots.size(), kMaxSparSlots);
    EXPECT_FALSE(box.findChild<QPushButton*>("spar_add")->isEnabled());
    box.removeSlot();
    EXPECT_TRUE(box.findChild<QPushButton*>("spar_add")->isEnabled());
}

TEST_F(WingFeaturesWindowTest, ThePreviewDrawsTheFeaturedFacesOnlyWithTheFaceGeometry) {
    WingGenerationWindow w(m.ws, dialogs);
    w.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_FALSE(control<QWidget>(w, "FrameFeatures")->isVisible());
    openPanel(w);
    auto* preview = w.findChild<FaceOutlinePreview*>("face_preview");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    // Without features the outline cut is the designed one.
    const Outline plain = preview->face(false).featured;
    ASSERT_EQ(plain.size(), preview->face(false).designed.size());
    for (std::size_t k = 0; k < plain.size(); ++k)
        EXPECT_LT(distance(plain, k, preview->face(false).designed, k), 1e-9);
    // A 0.5 mm trailing edge: the outline ends in an edge of that height at the greatest x.
    type(w, "te_thickness_left", "0.5");
    type(w, "te_thickness_right", "0.5");
    const FaceOutlinePreview::Face& left = preview->face(false);
    ASSERT_GT(left.featured.size(), 0u) << preview->refusal().toStdString();
    const double end = *std::max_element(left.featured.x.begin(), left.featured.x.end());
    double top = -1e300, bottom = 1e300;
    for (std::size_t k = 0; k < left.featured.size(); ++k) {
        if (left.featured.x[k] < end - 1e-9) continue;
        top = std::max(top, left.featured.y[k]);
        bottom = std::min(bottom, left.featured.y[k]);
    }
    EXPECT_NEAR(top - bottom, 0.5, 1e-6);
    typeFeatures(w);
    EXPECT_TRUE(preview->refusal().isEmpty()) << preview->refusal().toStdString();
    EXPECT_GT(left.featured.size(), left.designed.size());  // the slots' corners added
    if (QGuiApplication::platformName() == "xcb") {
        const ScreenCheck c = checkOnScreen(w);
        EXPECT_TRUE(c.ok()) << c.line().toStdString();
    }
    savePicture(w, "Form14-wing-features.png");
    savePicture(*preview, "Form14-face-preview.png");
}

}  // namespace
}  // namespace corvane
