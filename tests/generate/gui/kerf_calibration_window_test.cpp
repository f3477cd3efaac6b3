// The kerf calibration window as the operator drives it: opened from the materials window with
// its material, the comb following the boxes (and refused with the reasons), the comb made as
// the working set, made-up measured widths giving the kerf at each speed (nominal less
// measured) and stored in the material, a re-measured tooth replacing only its own point. Run
// it on a real display too (scripts/with-display); with CORVANE_SCREENSHOT_DIR set it leaves
// its picture.
#include "generate/gui/kerf_calibration_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "generate/gui/kerf_calibration_drawing.h"
#include "generate/gui/materials_window.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/real_display.h"
#include "platform/gui/scripted_dialogs.h"
#include "run/kerf_speed_warning.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::control;

const char* const kXps = "挤塑板 XPS";

struct CalibrationWindowTest : ::testing::Test {
    test::TestMachine m;
    ScriptedDialogs dialogs;
    QWidget frame;

    std::filesystem::path file() const { return m.ws.file(kMaterialsFileName); }
    KerfCalibrationWindow* open(const QString& material = QString()) {
        return KerfCalibrationWindow::openIn(m.ws, dialogs, &frame, material);
    }
    void click(QWidget& w, const char* name) {
        auto* b = control<QPushButton>(w, name);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
        test::letEventsThrough();
    }
    static QTableWidget& grid(QWidget& w) { return *w.findChild<QTableWidget*>("Grid1"); }
    static QStringList column(QWidget& w, int c) {
        QStringList out;
        for (int r = 0; r < grid(w).rowCount(); ++r)
            out << (grid(w).item(r, c) ? grid(w).item(r, c)->text() : QString());
        return out;
    }
    static void measure(QWidget& w, const QStringList& widths) {
        for (int r = 0; r < widths.size(); ++r) grid(w).item(r, 2)->setText(widths[r]);
    }
};

TEST_F(CalibrationWindowTest, OpenedFromTheMaterialsWindowWithTheMaterialInItsEditor) {
    std::string why;
    MaterialTable t;
    t.inUse = "EPS 20";
    t.materials.push_back(*makeMaterial("EPS 20", {{2, 1.4, {}}, {6, 0.6, {}}}, why));
    t.materials.push_back(*makeMaterial(kXps, {{2, 1.2, {}}, {6, 0.7, {}}}, why));
    writeMaterials(file(), t);
    MaterialsWindow* materials = MaterialsWindow::openIn(m.ws, dialogs, &frame);
    ASSERT_TRUE(materials->select(kXps));
    click(*materials, "Command8");
    auto* w = frame.findChild<KerfCalibrationWindow*>("FormKerfCalibration");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("切缝标定"));
    EXPECT_EQ(control<QComboBox>(*w, "Combo1")->currentText(), QString::fromUtf8(kXps));
    EXPECT_EQ(control<QComboBox>(*w, "Combo1")->count(), 2);
    // Without a material in the editor: the one in use.
    EXPECT_EQ(control<QComboBox>(*open(), "Combo1")->currentText(), "EPS 20");
    EXPECT_EQ(frame.findChildren<KerfCalibrationWindow*>().size(), 1);
}

TEST_F(CalibrationWindowTest, TheCombFollowsTheBoxesAndIsRefusedWithItsReasons) {
    KerfCalibrationWindow* w = open();
    auto* drawing = w->findChild<KerfCalibrationDrawing*>("Picture1");
    ASSERT_TRUE(drawing->cut());
    EXPECT_EQ(column(*w, 0), (QStringList{"2", "3", "4", "6"}));
    EXPECT_EQ(column(*w, 1), (QStringList{"20", "20", "20", "20"}));
    // A width typed for a speed stays with that speed when the speeds change.
    grid(*w).item(2, 2)->setText("19.2");
    control<QLineEdit>(*w, "Text1")->setText("4, 8");
    EXPECT_EQ(column(*w, 0), (QStringList{"4", "8"}));
    EXPECT_EQ(column(*w, 2), (QStringList{"19.2", ""}));
    control<QLineEdit>(*w, "Text2")->setText("25");
    EXPECT_EQ(column(*w, 1), (QStringList{"25", "25"}));
    EXPECT_DOUBLE_EQ(drawing->cut()->lengthMm, 2 * 15 + 2 * 25 + 15);

    struct Case {
        const char* speeds;
        const char* width;
        const char* starts;
    };
    const Case cases[] = {
        {"2, 3, 3", "20", "标定切割不能生成:\rThe speed 3 mm/s is given twice"},
        {"2, -1", "20", "标定切割不能生成:\rA calibration speed must be greater than 0"},
        {"2, x", "20", "速度须为用逗号分隔的数字"},
        {"", "20", "标定切割不能生成:\rThe calibration cut needs at least one speed."},
        {"2, 4", "abc", "梳子的尺寸须为数字"},
        {"2, 4", "0", "标定切割不能生成:\rThe calibration cut's tooth width must be"},
    };
    for (const Case& c : cases) {
        control<QLineEdit>(*w, "Text1")->setText(c.speeds);
        control<QLineEdit>(*w, "Text2")->setText(c.width);
        EXPECT_FALSE(drawing->cut()) << c.speeds;
        EXPECT_EQ(grid(*w).rowCount(), 0);
        dialogs.clearCalls();
        dialogs.answerMessage();
        click(*w, "Command1");
        ASSERT_EQ(dialogs.messages().size(), 1u) << c.speeds;
        EXPECT_TRUE(dialogs.messages()[0].text.startsWith(QString::fromUtf8(c.starts)))
            << dialogs.messages()[0].text.toStdString();
        EXPECT_FALSE(std::filesystem::exists(m.ws.file(kCalibrationDatFileName)));
    }
}

TEST_F(CalibrationWindowTest, MeasuredWidthsGiveTheKerfAtEachSpeedAndGoIntoTheMaterial) {
    KerfCalibrationWindow* w = open(QString::fromUtf8(kXps));
    // Nothing measured, nothing computed: each says what is missing.
    dialogs.answerMessage().answerMessage();
    click(*w, "Command3");
    click(*w, "Command2");
    ASSERT_EQ(dialogs.messageTexts(),
              (QStringList{QString::fromUtf8("请先填写测量宽度并计算切缝。"),
                           QString::fromUtf8("请至少填写一个齿的测量宽度。")}));
    dialogs.clearCalls();

    // Nominal 20 mm each: the kerf is 20 less the width; 20.5 is wider than the tooth was drawn.
    measure(*w, {"18.8", "19.1", "20.5", " 19.4 "});
    dialogs.answerMessage();
    EXPECT_TRUE(w->computeKerf());
    EXPECT_EQ(column(*w, 4), (QStringList{"1.200", "0.900", "", "0.600"}));
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_TRUE(dialogs.messages()[0].text.startsWith(
        QString::fromUtf8("有的齿不能给出切缝:\rThe tooth cut at 4 mm/s is measured 20.5 mm")));
    click(*w, "Command3");
    MaterialTable t = readMaterials(file());
    ASSERT_NE(t.find(kXps), nullptr);
    std::vector<std::pair<double, double>> points;
    for (const KerfPoint& p : t.find(kXps)->points) points.emplace_back(p.speedMmS, p.kerfMm);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].first, 2);
    EXPECT_NEAR(points[0].second, 1.2, 1e-9);
    EXPECT_NEAR(points[1].second, 0.9, 1e-9);
    EXPECT_NEAR(points[2].second, 0.6, 1e-9);
    EXPECT_EQ(control<QLabel>(*w, "Label10")->text(), QString::fromUtf8("已存入材料: 挤塑板 XPS"));

    // The 4 mm/s tooth measured again, with a power: its point joins, the others stay.
    measure(*w, {"", "", "19.3", ""});
    grid(*w).item(2, 3)->setText("650");
    EXPECT_TRUE(w->computeKerf());
    click(*w, "Command3");
    t = readMaterials(file());
    ASSERT_EQ(t.find(kXps)->points.size(), 4u);
    const KerfPoint& four = t.find(kXps)->points[2];
    EXPECT_EQ(four.speedMmS, 4);
    EXPECT_NEAR(four.kerfMm, 0.7, 1e-9);
    EXPECT_EQ(four.power, std::optional<double>(650));
    EXPECT_NEAR(t.find(kXps)->points[3].kerfMm, 0.6, 1e-9);

    // A new material from one tooth alone is no material: two points are needed.
    control<QComboBox>(*w, "Combo1")->setCurrentText("EPS 30");
    measure(*w, {"19", "", "", ""});
    grid(*w).item(2, 3)->setText("");
    EXPECT_TRUE(w->computeKerf());
    dialogs.clearCalls();
    dialogs.answerMessage();
    const std::string before = test::readFile(file());
    click(*w, "Command3");
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text,
              QString::fromUtf8("一种材料至少需要两个测量点 (速度, 切缝), 现在有 1 个。"));
    EXPECT_EQ(test::readFile(file()), before);
}

TEST_F(CalibrationWindowTest, MakesTheCombAsTheWorkingSetAtItsFastestSpeed) {
    test::copyResources(m.dir.path());
    KerfCalibrationWindow* w = open();
    control<QLineEdit>(*w, "Text1")->setText("2.5, 5");
    dialogs.answerMessage();
    click(*w, "Command1");
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text,
              QString::fromUtf8("标定切割文件已生成, 现在是工作切割文件。请在切割窗口中以 5 "
                                "毫米/秒 切割, 切割中不要移动滑块。"));
    const std::filesystem::path dat = m.ws.file(kCalibrationDatFileName);
    ASSERT_TRUE(std::filesystem::exists(dat));
    EXPECT_NE(test::readFile(m.ws.file("datinfo.ct3")).find(dat.string()), std::string::npos);
    EXPECT_FALSE(test::readFile(m.ws.file("cut.ct1")).empty());
    EXPECT_EQ(madeForSpeedMmS(m.ws), std::optional<double>(5));
    EXPECT_EQ(m.ws.motion.CutSpeed, Fixed4::fromInt(5));
}

TEST_F(CalibrationWindowTest, HelpSaysTheMethodAndItsArithmetic) {
    KerfCalibrationWindow* w = open();
    auto* help = control<QLabel>(*w, "Label9");
    EXPECT_FALSE(help->isVisible());
    click(*w, "Command4");
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->text().contains(QString::fromUtf8("切缝 = 名义宽度 - 测量宽度")));
    EXPECT_TRUE(help->text().contains(QString::fromUtf8("齿高一半处")));
    click(*w, "Command4");
    EXPECT_FALSE(help->isVisible());
}

// The window's picture, from the screen on a real display, into CORVANE_SCREENSHOT_DIR.
TEST_F(CalibrationWindowTest, Picture) {
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR to write the picture";
    auto* w = new KerfCalibrationWindow(m.ws, dialogs);
    w->chooseMaterial(QString::fromUtf8(kXps));
    w->showAndActivate();
    measure(*w, {"18.8", "19.1", "19.2", "19.4"});
    w->computeKerf();
    w->toggleHelp();
    w->resize(820, 900);
    QDir().mkpath(dir);
    QImage picture;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        ASSERT_TRUE(waitUntilOnScreen(*w));
        EXPECT_TRUE(checkOnScreen(*w).ok()) << checkOnScreen(*w).line().toStdString();
        picture = screenPicture(*w);
    } else {
        picture = w->grab().toImage();
    }
    EXPECT_TRUE(picture.save(dir + "/calibration-window.png"));
    delete w;
}

}  // namespace
}  // namespace corvane
