// The materials window as the operator drives it: reached from Form6 and Form12, a material
// with a name in Chinese and a sign typed, saved, chosen, edited, renamed and removed, each step
// read back from materials.txt and by a second window; the refusals, each leaving the file byte
// for byte; and a file that cannot be read, said and never written over. Run it on a real
// display too (scripts/with-display); with CORVANE_SCREENSHOT_DIR set it leaves its picture.
#include "generate/gui/materials_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "generate/gui/foam_setup_window.h"
#include "generate/gui/wing_setup_window.h"
#include "machine/gui/gui_test_util.h"
#include "platform/gui/real_display.h"
#include "platform/gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::control;

const QString kTitle = QString::fromUtf8("材料与切缝");
const char* const kName = "挤塑板 XPS 30 ®";

struct MaterialsWindowTest : ::testing::Test {
    test::TestMachine m;
    ScriptedDialogs dialogs;
    QWidget frame;  // the main window the tool windows stand above

    std::filesystem::path file() const { return m.ws.file(kMaterialsFileName); }
    MaterialTable onDisk() const { return readMaterials(file()); }

    void click(QWidget& w, const char* name) {
        auto* b = control<QPushButton>(w, name);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
        test::letEventsThrough();
    }
    // Types the points into Grid1 as the operator does: one row each, the power may stay empty.
    static void typePoints(MaterialsWindow& w, const std::vector<std::vector<QString>>& rows) {
        auto* grid = w.findChild<QTableWidget*>("Grid1");
        grid->setRowCount(static_cast<int>(rows.size()));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r)
            for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
                grid->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    }
    static QStringList listed(MaterialsWindow& w) {
        QStringList names;
        auto* list = w.findChild<QListWidget*>("List1");
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }
    static QString label(MaterialsWindow& w, const char* name) {
        return w.findChild<QLabel*>(name)->text();
    }
    MaterialsWindow* openFromForm6() {
        WingSetupWindow form6(m.ws, dialogs, &frame);
        form6.show();
        click(form6, "Command10");
        return frame.findChild<MaterialsWindow*>("FormMaterials");
    }
};

TEST_F(MaterialsWindowTest, RoundTripThroughMaterialsTxtWithANameInChinese) {
    m.ws.motion.CutSpeed = Fixed4::fromInt(3);
    MaterialsWindow* w = openFromForm6();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), kTitle);
    EXPECT_EQ(label(*w, "Label2"), QString::fromUtf8("无"));
    EXPECT_TRUE(listed(*w).isEmpty());

    // Typed out of order with one power left out: kept by speed, the power only where typed.
    w->findChild<QLineEdit*>("Text1")->setText(QString::fromUtf8(kName));
    typePoints(*w, {{"5", "0.7", "800"}, {" 2 ", "1.2"}, {}});
    click(*w, "Command4");
    ASSERT_EQ(onDisk().materials.size(), 1u);
    const Material saved = onDisk().materials[0];
    EXPECT_EQ(saved.name, kName);
    EXPECT_EQ(saved.points, (std::vector<KerfPoint>{{2, 1.2, std::nullopt}, {5, 0.7, 800}}));
    EXPECT_EQ(listed(*w), QStringList{QString::fromUtf8(kName)});
    // 3 mm/s lies a third of the way from 2 to 5: 1.2 - 0.5 / 3.
    EXPECT_TRUE(label(*w, "Label5").contains("1.033")) << label(*w, "Label5").toStdString();

    click(*w, "Command6");  // in use
    EXPECT_EQ(onDisk().inUse, kName);
    EXPECT_EQ(label(*w, "Label2"), QString::fromUtf8(kName));

    // A second window (another run of the program) reads it back as it was written.
    QWidget otherFrame;
    MaterialsWindow* again = MaterialsWindow::openIn(m.ws, dialogs, &otherFrame);
    EXPECT_EQ(listed(*again), QStringList{QString::fromUtf8(kName)});
    EXPECT_EQ(label(*again, "Label2"), QString::fromUtf8(kName));
    ASSERT_TRUE(again->select(kName));
    auto* grid = again->findChild<QTableWidget*>("Grid1");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), "2");
    EXPECT_EQ(grid->item(1, 2)->text(), "800");
    EXPECT_EQ(grid->item(0, 2)->text(), "");

    // Edited and renamed there: the choice in use follows the new name, nothing is doubled.
    const std::string renamed = "EPS 泡沫 20";
    again->findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(renamed));
    grid->item(1, 1)->setText("0.75");
    again->addPointRow();
    grid->setItem(2, 0, new QTableWidgetItem("8"));
    grid->setItem(2, 1, new QTableWidgetItem("0.5"));
    click(*again, "Command4");
    MaterialTable t = onDisk();
    ASSERT_EQ(t.materials.size(), 1u);
    EXPECT_EQ(t.materials[0].name, renamed);
    EXPECT_EQ(t.materials[0].points.size(), 3u);
    EXPECT_EQ(t.materials[0].points[1].kerfMm, 0.75);
    EXPECT_EQ(t.inUse, renamed);

    // The first window shows the file as it is when it comes up again.
    MaterialsWindow::openIn(m.ws, dialogs, &frame);
    EXPECT_EQ(listed(*w), QStringList{QString::fromStdString(renamed)});

    // None in use, then removed after the question (No keeps it, Yes takes it away).
    click(*w, "Command7");
    EXPECT_EQ(onDisk().inUse, "");
    EXPECT_EQ(label(*w, "Label2"), QString::fromUtf8("无"));
    ASSERT_TRUE(w->select(renamed));
    dialogs.answerMessage(MsgAnswer::No).answerMessage(MsgAnswer::Yes);
    click(*w, "Command5");
    EXPECT_EQ(onDisk().materials.size(), 1u);
    click(*w, "Command5");
    EXPECT_TRUE(onDisk().materials.empty());
    EXPECT_TRUE(listed(*w).isEmpty());
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[1].text,
              QString::fromUtf8("删除所选材料?\r") + QString::fromStdString(renamed));
    EXPECT_EQ(dialogs.messages()[1].buttons, MsgButtons::YesNoDefaultNo);
}

TEST_F(MaterialsWindowTest, Form12OpensTheSameOneWindow) {
    MaterialsWindow* fromForm6 = openFromForm6();
    FoamSetupWindow form12(m.ws, dialogs, &frame);
    form12.show();
    fromForm6->hide();
    click(form12, "Command3");
    EXPECT_EQ(frame.findChildren<MaterialsWindow*>().size(), 1);
    EXPECT_TRUE(fromForm6->isVisible());
}

TEST_F(MaterialsWindowTest, RefusalsSayWhyAndLeaveTheFileAsItWas) {
    std::string why;
    MaterialTable before;
    before.materials.push_back(*makeMaterial("EPS", {{2, 1.2, {}}, {6, 0.6, {}}}, why));
    writeMaterials(file(), before);
    const std::string bytes = test::readFile(file());
    MaterialsWindow* w = MaterialsWindow::openIn(m.ws, dialogs, &frame);

    struct Case {
        const char* name;
        std::vector<std::vector<QString>> rows;
        const char* message;
    };
    const Case cases[] = {
        {"XPS", {{"4", "0.9"}}, "一种材料至少需要两个测量点 (速度, 切缝), 现在有 1 个。"},
        {"XPS",
         {{"4", "0.9"}, {"2", "abc"}},
         "第 2 个测量点: 速度和切缝须为数字, 功率为数字或不填。"},
        {"XPS",
         {{"4", "0.9"}, {"", "1.0"}},
         "第 2 个测量点: 速度和切缝须为数字, 功率为数字或不填。"},
        {"XPS",
         {{"4", "0.9", "1e999"}, {"2", "1"}},
         "第 1 个测量点: 速度和切缝须为数字, 功率为数字或不填。"},
        {"XPS", {{"0", "0.9"}, {"2", "1"}}, "第 1 个测量点: 速度须为正数, 切缝和功率不能为负数。"},
        {"XPS", {{"4", "-0.1"}, {"2", "1"}}, "第 1 个测量点: 速度须为正数, 切缝和功率不能为负数。"},
        {"XPS", {{"4", "0.9"}, {"4.0", "1"}}, "速度 4 毫米/秒 有两个测量点, 每个速度只能有一个。"},
        {"  ", {{"4", "0.9"}, {"2", "1"}}, "请填写材料名称。"},
        {"X\"PS", {{"4", "0.9"}, {"2", "1"}}, "材料名称不能含双引号 (\")。"},
        {"EPS",
         {{"4", "0.9"}, {"2", "1"}},
         "已有同名材料, 请换一个名称, 或在列表中选中它再修改。\rEPS"},
    };
    for (const Case& c : cases) {
        w->newMaterial();
        w->findChild<QLineEdit*>("Text1")->setText(QString::fromUtf8(c.name));
        typePoints(*w, c.rows);
        dialogs.clearCalls();
        dialogs.answerMessage();
        click(*w, "Command4");
        ASSERT_EQ(dialogs.messages().size(), 1u) << c.message;
        EXPECT_EQ(dialogs.messages()[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(dialogs.messages()[0].title, kTitle);
        EXPECT_EQ(test::readFile(file()), bytes) << c.message;
    }
    // Nothing chosen in the list: nothing to use or remove.
    w->newMaterial();
    for (const char* button : {"Command6", "Command5"}) {
        dialogs.clearCalls();
        dialogs.answerMessage();
        click(*w, button);
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_EQ(dialogs.messages()[0].text, QString::fromUtf8("请先在列表中选中一种材料。"));
    }
    EXPECT_EQ(test::readFile(file()), bytes);
}

TEST_F(MaterialsWindowTest, AFileThatCannotBeReadIsSaidAndNeverWrittenOver) {
    const std::string garbled = "\"in use\",\"\"\r\n\"EPS\",2,4,0.9,\"\"\r\n";  // a point short
    test::writeFile(file(), garbled);
    dialogs.answerMessage();
    MaterialsWindow* w = MaterialsWindow::openIn(m.ws, dialogs, &frame);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_TRUE(dialogs.messages()[0].text.startsWith(QString::fromUtf8("materials.txt 无法读取")));
    EXPECT_TRUE(dialogs.messages()[0].text.contains("EPS"));
    w->findChild<QLineEdit*>("Text1")->setText("XPS");
    typePoints(*w, {{"4", "0.9"}, {"2", "1"}});
    for (const char* button : {"Command4", "Command7"}) {
        dialogs.answerMessage();
        click(*w, button);
    }
    EXPECT_EQ(dialogs.messages().size(), 3u);
    EXPECT_EQ(test::readFile(file()), garbled);
}

// The window's picture, from the screen on a real display, into CORVANE_SCREENSHOT_DIR.
TEST_F(MaterialsWindowTest, Picture) {
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set CORVANE_SCREENSHOT_DIR to write the picture";
    std::string why;
    MaterialTable t;
    t.inUse = kName;
    t.materials.push_back(
        *makeMaterial(kName, {{2, 1.2, 500}, {4, 0.85, 650}, {6, 0.7, 800}}, why));
    t.materials.push_back(*makeMaterial("EPS 20", {{2, 1.4, {}}, {6, 0.6, {}}}, why));
    writeMaterials(file(), t);
    m.ws.motion.CutSpeed = Fixed4::fromInt(3);
    MaterialsWindow* w = MaterialsWindow::openIn(m.ws, dialogs, nullptr);
    w->select(kName);
    QDir().mkpath(dir);
    const bool real = QGuiApplication::platformName() == QLatin1String("xcb");
    QImage picture;
    if (real) {
        ASSERT_TRUE(waitUntilOnScreen(*w));
        EXPECT_TRUE(checkOnScreen(*w).ok()) << checkOnScreen(*w).line().toStdString();
        picture = screenPicture(*w);
    } else {
        picture = w->grab().toImage();
    }
    EXPECT_TRUE(picture.save(dir + "/materials-window.png"));
    delete w;
}

}  // namespace
}  // namespace corvane
