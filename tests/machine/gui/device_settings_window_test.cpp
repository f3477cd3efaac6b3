// Form9 as the operator sees it: the fields a settings file fills, Reset Defaults + Done writing
// the exact line, frames following their boxes, the close box dropping edits, and the error
// reports of a missing file, a bad steps value and a file that cannot be written.
#include "machine/gui/device_settings_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "machine/gui/gui_test_util.h"
#include "machine/wire_state.h"
#include "platform/gui/scripted_dialogs.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::clickToolbar;
using test::control;

// A file that differs from the defaults in nearly every field.
const std::string kCustomLine =
    "1,#FALSE#,#TRUE#,\"12.5\",1,\"40\",\"50\",\"157.5\",\"250\",\"350\",\"Pin 9\",\"Pin 8\","
    "\"Pin 7\",\"Pin 6\",\"Pin 5\",\"Pin 4\",\"Pin 3\",\"Pin 2\",\"Pin 17\",\"278h\",#TRUE#,"
    "#FALSE#,0,1,0,0,2,\"0.3\"\r\n";

// Reset Defaults + Done, byte for byte: 未使用 in GBK followed by five blanks, CR LF.
const std::string kResetLine =
    "0,#TRUE#,#FALSE#,\"0\",0,\"0\",\"0\",\"4000\",\"300\",\"300\",\"Pin 2\",\"Pin 3\","
    "\"Pin 4\",\"Pin 5\",\"Pin 6\",\"Pin 7\",\"Pin 8\",\"Pin 9\","
    "\"\xCE\xB4\xCA\xB9\xD3\xC3     \",\"378h\",#TRUE#,#FALSE#,1,0,0,0,0,\"0\"\r\n";

// A click on the box itself (a stretched check box does not take clicks past its text).
void clickBox(QWidget* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

class DeviceSettingsWindowTest : public ::testing::Test {
protected:
    test::TempDir dir;
    SimulatedPort port;
    FakeClock clock;
    Workspace ws{dir.path(), port, clock};
    ScriptedDialogs dialogs;

    std::filesystem::path settingsFile() const { return dir / "settings.txt"; }
    QString text(DeviceSettingsWindow& w, const char* name) {
        if (auto* edit = w.findChild<QLineEdit*>(name)) return edit->text();
        return control<QComboBox>(w, name)->currentText();
    }
};

TEST_F(DeviceSettingsWindowTest, LoadFillsEveryControlAndDerives) {
    test::writeFile(settingsFile(), kCustomLine);
    DeviceSettingsWindow w(ws, dialogs);
    EXPECT_EQ(w.objectName(), "Form9");
    EXPECT_EQ(w.windowTitle(), "设备设置");
    ASSERT_TRUE(w.loadSettings());
    EXPECT_FALSE(w.isVisible());  // loaded hidden

    EXPECT_EQ(control<QCheckBox>(w, "lead_in")->checkState(), Qt::Checked);
    EXPECT_FALSE(control<QRadioButton>(w, "horizontal")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(w, "vertical")->isChecked());
    EXPECT_EQ(text(w, "lead_in_amount"), "12.5");
    EXPECT_EQ(control<QCheckBox>(w, "oversize_foam")->checkState(), Qt::Checked);
    EXPECT_EQ(text(w, "foam_blank_depth"), "40");
    EXPECT_EQ(text(w, "foam_blank_width"), "50");
    EXPECT_EQ(text(w, "steps_per_inch"), "157.5");
    EXPECT_EQ(text(w, "accel_rate"), "250");
    EXPECT_EQ(text(w, "max_speed"), "350");
    EXPECT_EQ(text(w, "x1_dir"), "Pin 9");
    EXPECT_EQ(text(w, "y2_step"), "Pin 2");
    EXPECT_EQ(text(w, "enable"), "Pin 17");
    EXPECT_EQ(text(w, "port_address"), "278h");
    EXPECT_TRUE(control<QRadioButton>(w, "active_low")->isChecked());
    EXPECT_FALSE(control<QRadioButton>(w, "active_high")->isChecked());
    EXPECT_EQ(control<QCheckBox>(w, "lead_out")->checkState(), Qt::Unchecked);
    EXPECT_EQ(control<QCheckBox>(w, "reverseX1")->checkState(), Qt::Checked);
    EXPECT_EQ(control<QCheckBox>(w, "reverseX2")->checkState(), Qt::Unchecked);
    EXPECT_EQ(control<QCheckBox>(w, "reverseY2")->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(text(w, "kerf"), "0.3");
    // Pin 17, active low: control value 8 on bit 3.
    EXPECT_EQ(text(w, "enable_hold"), "8");
    EXPECT_EQ(text(w, "enable_hold_bit"), "3");
    EXPECT_TRUE(control<QGroupBox>(w, "Frame2")->isEnabled());
    EXPECT_TRUE(control<QGroupBox>(w, "Frame4")->isEnabled());

    EXPECT_EQ(ws.settings.derived.StepsPerMm, 158);
    EXPECT_EQ(ws.settings.derived.DataPort, 632);
    EXPECT_EQ(ws.settings.derived.SpeedSliderMax, 31);
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(DeviceSettingsWindowTest, ResetDefaultsThenDoneWritesTheExactLine) {
    test::writeFile(settingsFile(), kCustomLine);
    DeviceSettingsWindow w(ws, dialogs);
    ASSERT_TRUE(w.loadSettings());
    w.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    clickToolbar(w, 1);  // Reset Defaults: fields only, nothing saved or derived
    EXPECT_EQ(text(w, "steps_per_inch"), "4000");
    EXPECT_EQ(text(w, "enable"), "未使用     ");
    EXPECT_EQ(text(w, "x1_dir"), "Pin 2");
    EXPECT_EQ(text(w, "kerf"), "0");
    EXPECT_TRUE(control<QRadioButton>(w, "horizontal")->isChecked());
    EXPECT_FALSE(control<QGroupBox>(w, "Frame2")->isEnabled());
    EXPECT_FALSE(control<QGroupBox>(w, "Frame4")->isEnabled());
    EXPECT_EQ(test::readFile(settingsFile()), kCustomLine);
    EXPECT_EQ(ws.settings.derived.StepsPerMm, 158);
    EXPECT_EQ(w.edits().steps_per_inch, "4000");
    EXPECT_EQ(ws.settings.fields.steps_per_inch, "157.5");  // in force only with Done

    clickToolbar(w, 2);  // Done
    EXPECT_EQ(test::readFile(settingsFile()), kResetLine);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(ws.settings.derived.StepsPerMm, 4000);
    EXPECT_EQ(ws.settings.derived.DataPort, 888);
    // The not-used wire pin leaves the wire fields as the file's Pin 17 had set them.
    EXPECT_EQ(text(w, "enable_hold"), "8");
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(DeviceSettingsWindowTest, CheckBoxesEnableTheirFramesAndEditsComeIntoForceWithDone) {
    test::writeFile(settingsFile(), kResetLine);
    DeviceSettingsWindow w(ws, dialogs);
    ASSERT_TRUE(w.loadSettings());
    w.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* frame2 = control<QGroupBox>(w, "Frame2");
    auto* frame4 = control<QGroupBox>(w, "Frame4");
    EXPECT_EQ(frame2->title(), "设置导入方向");
    EXPECT_EQ(frame4->title(), "Amounts");
    EXPECT_EQ(control<QGroupBox>(w, "Frame1")->title(), "引导切割选项");
    EXPECT_EQ(control<QGroupBox>(w, "Frame3")->title(), "泡沫原材料选项");
    EXPECT_EQ(control<QGroupBox>(w, "Frame5")->title(), "步进电机选项");
    EXPECT_EQ(control<QGroupBox>(w, "Frame7")->title(), "并口地址");
    EXPECT_EQ(control<QGroupBox>(w, "Frame8")->title(), "切口调整");
    EXPECT_EQ(control<QCheckBox>(w, "lead_in")->text(), "使用导入/导出切割");
    EXPECT_FALSE(frame2->isEnabled());

    clickBox(control<QCheckBox>(w, "lead_in"));
    EXPECT_TRUE(frame2->isEnabled());
    EXPECT_EQ(w.edits().lead_in, 1);
    clickBox(control<QCheckBox>(w, "oversize_foam"));
    EXPECT_TRUE(frame4->isEnabled());
    clickBox(control<QCheckBox>(w, "lead_in"));
    EXPECT_FALSE(frame2->isEnabled());
    EXPECT_EQ(w.edits().lead_in, 0);

    auto* kerf = control<QLineEdit>(w, "kerf");
    kerf->clear();
    QTest::keyClicks(kerf, "0.25");
    EXPECT_EQ(w.edits().kerf, "0.25");
    clickBox(control<QRadioButton>(w, "active_high"));
    EXPECT_TRUE(w.edits().active_high);
    EXPECT_FALSE(w.edits().active_low);
    auto* address = control<QComboBox>(w, "port_address");
    address->setCurrentIndex(2);
    EXPECT_EQ(w.edits().port_address, "3BCh");

    EXPECT_EQ(ws.settings.fields.kerf, "0");  // not in force before Done
    clickToolbar(w, 2);
    EXPECT_EQ(ws.settings.derived.DataPort, 956);
    EXPECT_EQ(ws.settings.derived.KerfMm, Fixed4::fromRaw(2500));
    EXPECT_NE(test::readFile(settingsFile()).find("1,0,0,0,0,\"0.25\"\r\n"), std::string::npos);
    EXPECT_EQ(ws.settings.fields.kerf, "0.25");
    EXPECT_TRUE(ws.settings.fields.active_high);
}

TEST_F(DeviceSettingsWindowTest, CloseBoxDropsEditsAndTheNextShowReadsTheFileAgain) {
    test::writeFile(settingsFile(), kCustomLine);
    DeviceSettingsWindow w(ws, dialogs);
    ASSERT_TRUE(w.loadSettings());
    w.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const DerivedSettings before = ws.settings.derived;

    clickToolbar(w, 1);
    EXPECT_EQ(w.edits().steps_per_inch, "4000");
    EXPECT_EQ(ws.settings.fields.steps_per_inch, "157.5");
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.isLoaded());
    EXPECT_EQ(test::readFile(settingsFile()), kCustomLine);
    EXPECT_EQ(ws.settings.derived.StepsPerMm, before.StepsPerMm);
    EXPECT_EQ(ws.settings.derived.X1Forward, before.X1Forward);
    EXPECT_EQ(ws.settings.fields.steps_per_inch, "157.5");  // readers see the file's values

    // The next use loads the window again from the file as it is now.
    test::writeFile(settingsFile(), kResetLine);
    w.showAndActivate();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(text(w, "steps_per_inch"), "4000");
    EXPECT_EQ(ws.settings.derived.StepsPerMm, 4000);
}

TEST_F(DeviceSettingsWindowTest, ALoadAfterTheCloseBoxStartsFromTheInitialValues) {
    test::writeFile(settingsFile(), kCustomLine);
    DeviceSettingsWindow w(ws, dialogs);
    ASSERT_TRUE(w.loadSettings());
    w.showAndActivate();
    EXPECT_TRUE(control<QGroupBox>(w, "Frame2")->isEnabled());  // lead_in 1
    clickBox(control<QCheckBox>(w, "lead_in"));
    EXPECT_FALSE(control<QGroupBox>(w, "Frame2")->isEnabled());
    w.close();

    // Six values, then the file ends: the fields read come from the file, every later one is
    // the fresh window's, and the frames were never reached.
    test::writeFile(settingsFile(), "0,#TRUE#,#FALSE#,\"7\",0,\"x\"\r\n");
    dialogs.answerMessage();
    w.showAndActivate();
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].contains("\rModule 9, Load Data\r"));
    EXPECT_TRUE(dialogs.messageTexts()[0].contains("field 7 (foam_blank_width) is missing"));
    EXPECT_EQ(text(w, "lead_in_amount"), "7");
    EXPECT_EQ(text(w, "foam_blank_depth"), "x");
    EXPECT_EQ(text(w, "foam_blank_width"), "0");
    EXPECT_EQ(text(w, "steps_per_inch"), "157.5");
    EXPECT_EQ(text(w, "x1_dir"), "Combo1");
    EXPECT_EQ(text(w, "port_address"), "Combo1");
    EXPECT_EQ(text(w, "kerf"), ".02");
    EXPECT_EQ(control<QCheckBox>(w, "lead_out")->checkState(), Qt::Checked);
    EXPECT_TRUE(control<QRadioButton>(w, "active_low")->isChecked());
    EXPECT_TRUE(control<QGroupBox>(w, "Frame2")->isEnabled()) << "step 9 not reached";
    EXPECT_TRUE(control<QGroupBox>(w, "Frame4")->isEnabled());

    // #FALSE# in a check-box field is 0, and a load that gets through sets the frames.
    std::string line = kCustomLine;
    line.replace(0, 1, "#FALSE#");
    test::writeFile(settingsFile(), line);
    w.close();
    w.showAndActivate();
    EXPECT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_EQ(control<QCheckBox>(w, "lead_in")->checkState(), Qt::Unchecked);
    EXPECT_FALSE(control<QGroupBox>(w, "Frame2")->isEnabled());
    EXPECT_TRUE(control<QGroupBox>(w, "Frame4")->isEnabled());  // oversize_foam 1
    EXPECT_EQ(text(w, "kerf"), "0.3");
}

TEST_F(DeviceSettingsWindowTest, MissingFileIsReportedAndKeepsTheInitialValues) {
    DeviceSettingsWindow w(ws, dialogs);
    dialogs.answerMessage();
    EXPECT_FALSE(w.loadSettings());
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_EQ(dialogs.messageTexts()[0],
              "Error encountered, Error Number 53, File not found\rModule 9, Load Data");
    EXPECT_EQ(dialogs.messages()[0].title, "");
    EXPECT_EQ(text(w, "steps_per_inch"), "157.5");
    EXPECT_EQ(text(w, "x1_dir"), "Combo1");
    EXPECT_EQ(text(w, "kerf"), ".02");
    EXPECT_EQ(text(w, "enable_hold_bit"), "Text1");
    EXPECT_FALSE(control<QRadioButton>(w, "horizontal")->isChecked());
    EXPECT_FALSE(control<QRadioButton>(w, "vertical")->isChecked());
    EXPECT_EQ(ws.settings.derived.StepsPerMm, 0);
    EXPECT_EQ(ws.settings.derived.DataPort, 0);
}

TEST_F(DeviceSettingsWindowTest, DoneFailuresAreReportedAndTheWindowStays) {
    test::writeFile(settingsFile(), kResetLine);
    DeviceSettingsWindow w(ws, dialogs);
    ASSERT_TRUE(w.loadSettings());
    w.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    // Steps "0": the file is written, then the division for MmPerStep fails.
    auto* steps = control<QLineEdit>(w, "steps_per_inch");
    steps->setText("0");
    dialogs.answerMessage();
    clickToolbar(w, 2);
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_EQ(dialogs.messageTexts()[0],
              "Error encountered, Error Number 11, Division by zero\rModule 9, Close");
    EXPECT_TRUE(w.isVisible());
    EXPECT_NE(test::readFile(settingsFile()).find(",\"0\",\"300\",\"300\","), std::string::npos);

    // settings.txt cannot be replaced: reported, the window stays, nothing derived.
    steps->setText("200");
    std::filesystem::remove(settingsFile());
    std::filesystem::create_directory(settingsFile());
    dialogs.clearCalls();
    dialogs.answerMessage();
    clickToolbar(w, 2);
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].startsWith("Error encountered, Error Number "));
    EXPECT_TRUE(dialogs.messageTexts()[0].contains("\rModule 9, Close"));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(ws.settings.derived.StepsPerMm, 0);
    // Nothing of the failed Done is in force; the close box drops it.
    EXPECT_EQ(ws.settings.fields.steps_per_inch, "0");
    EXPECT_EQ(w.edits().steps_per_inch, "200");
    w.close();
    EXPECT_EQ(w.edits().steps_per_inch, "0");
    EXPECT_EQ(text(w, "steps_per_inch"), "0");
}

// A Done that cannot write settings.txt used to put the edits in force anyway (and the close
// box kept them): with the wire on pin 1 active low and the level edited to active high, the
// exit's WireOff then drove pin 1 active.
TEST_F(DeviceSettingsWindowTest, AFailedWriteCommitsNothingSoTheWireStillGoesOffOnItsOwnPin) {
    std::vector<std::string> values = test::resetDefaultsValues();
    values[18] = "\"Pin 1\"";
    test::writeFile(settingsFile(), test::settingsLine(values));
    DeviceSettingsWindow w(ws, dialogs);
    ASSERT_TRUE(w.loadSettings());
    w.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    WireOn(ws);
    ASSERT_TRUE(port.reg(890) & 1);  // pin 1 active low: bit set is on

    control<QComboBox>(w, "enable")->setEditText("Pin 16");
    clickBox(control<QRadioButton>(w, "active_high"));
    std::filesystem::remove(settingsFile());
    std::filesystem::create_directory(settingsFile());
    dialogs.answerMessage();
    clickToolbar(w, 2);
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(ws.settings.fields.enable, "Pin 1");
    EXPECT_TRUE(ws.settings.fields.active_low);
    EXPECT_TRUE(ws.wire.on());  // nothing drove the wire: the failed Done changed nothing

    w.close();
    EXPECT_EQ(ws.settings.fields.enable, "Pin 1");
    EXPECT_FALSE(ws.settings.fields.active_high);
    WireOff(ws);  // as at exit
    EXPECT_FALSE(port.reg(890) & 1);
    EXPECT_FALSE(port.reg(890) & 4);
}

// A pin combo takes typing: a text that is none of its pins is refused at Done by the field's
// name, before anything is written; a pin of the list saves.
TEST_F(DeviceSettingsWindowTest, APinThatIsNoneOfTheListIsRefusedAtDoneNamingTheField) {
    test::writeFile(settingsFile(), kCustomLine);
    DeviceSettingsWindow w(ws, dialogs);
    ASSERT_TRUE(w.loadSettings());
    w.showAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const struct {
        const char* combo;
        const char* typed;
        const char* field;
    } cases[] = {{"x1_dir", "300", "X1 Direction"},
                 {"y2_step", "Pin 1", "Y2 Step"},  // the wire's pin, not an axis pin
                 {"enable", "Pin 2", "热丝控制"},
                 {"enable", "", "热丝控制"}};
    for (const auto& c : cases) {
        auto* combo = control<QComboBox>(w, c.combo);
        const QString before = combo->currentText();
        combo->setEditText(QString::fromUtf8(c.typed));
        dialogs.clearCalls();
        dialogs.answerMessage();
        clickToolbar(w, 2);
        ASSERT_EQ(dialogs.messages().size(), 1u) << c.combo;
        EXPECT_EQ(dialogs.messages()[0].title, "Pin Assignment");
        EXPECT_TRUE(dialogs.messages()[0].text.startsWith(
            QString::fromUtf8(c.field) + ": \"" + QString::fromUtf8(c.typed) + "\" is not a pin"))
            << dialogs.messages()[0].text.toStdString();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(test::readFile(settingsFile()), kCustomLine) << c.combo;
        combo->setEditText(before);
    }
    control<QComboBox>(w, "x1_dir")->setEditText("Pin 3");
    dialogs.clearCalls();
    clickToolbar(w, 2);
    EXPECT_TRUE(dialogs.calls().empty()) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(ws.settings.derived.StepsPerMm, 158);
}

}  // namespace
}  // namespace corvane
