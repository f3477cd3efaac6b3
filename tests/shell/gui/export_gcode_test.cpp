// File, "Export G-code…": the working set written for the chosen axes at CutSpeed, a wrong axes
// entry asked again, Cancel writing nothing, an unreadable working set reported before any
// question.
#include <QDir>
#include <QStringList>
#include <regex>

#include "shell/gui/export_gcode_command.h"
#include "shell_fixture.h"
#include "support/test_support.h"

namespace corvane {
namespace {

class ExportGcodeTest : public ShellTest {
protected:
    // Default pins at 158 steps/mm: byte 3 is one X1 step back; two segments, a delay point after
    // the first.
    void workingSet() {
        std::vector<std::string> v = test::resetDefaultsValues();
        v[7] = "\"157.5\"";
        test::writeFile(file("settings.txt"), test::settingsLine(v));
        test::writeFile(file("cut.ct1"), "3\r\n3\r\n3\r\n");
        test::writeFile(file("cut_cnt.ct2"), "2\r\n0\r\n3\r\n");
        test::writeFile(file("datinfo.ct3"),
                        "\"a.dat\",\"b.dat\",200,200,\"0\",\"0\",\"0\",\"0\"\r\n");
    }
};

TEST_F(ExportGcodeTest, WritesTheWorkingSetForTheChosenAxesAtTheCuttingSpeed) {
    workingSet();
    startedFrame();
    ws_->motion.CutSpeed = Fixed4::fromInt(2);
    const auto target = folder_ / "wing.gcode";
    dialogs_.answerInput(QStringLiteral("abc"))
        .answerMessage()
        .answerInput(QStringLiteral(" xyza "))
        .answerInput(QStringLiteral("M3 S750"))
        .answerInput(QStringLiteral("M5"))
        .answerInput(QStringLiteral("-1"))  // not a dwell: asked again
        .answerMessage()
        .answerInput(QStringLiteral("0.04"))  // under 0.1 ms: no dwell at all
        .answerInput(QStringLiteral("2500"))
        .answerSaveFile(QString::fromStdString(target.string()))
        .answerMessage();
    trigger("ExportGCode");

    const auto& calls = dialogs_.calls();
    ASSERT_EQ(calls.size(), 11u);
    EXPECT_EQ(calls[0].title, "Export G-code");
    EXPECT_EQ(calls[0].defaultText, "XYUV");
    EXPECT_EQ(calls[1].text, "Invalid entry, the axes must be XYUV or XYZA");
    EXPECT_EQ(calls[3].defaultText, "M3 S1000");
    EXPECT_EQ(calls[4].defaultText, "M5");
    EXPECT_EQ(calls[5].defaultText, "1");
    EXPECT_EQ(calls[8].defaultText, "0");
    EXPECT_EQ(calls[9].request.defaultExt, "gcode");
    EXPECT_EQ(calls[9].request.initialDir, QString::fromStdString(folder_.string()));
    EXPECT_TRUE(
        calls[10].text.startsWith(QStringLiteral("G-code written to %1\rXYZA, 2 moves, 1 dwells, ")
                                      .arg(QString::fromStdString(target.string()))))
        << calls[10].text.toStdString();
    EXPECT_TRUE(calls[10].text.endsWith(" s at 2 mm/s")) << calls[10].text.toStdString();

    const std::string gcode = test::readFile(target);
    EXPECT_NE(gcode.find("\nM3 S750\nG4 P2.5 (preheat)\nG1 X0.0127 Y0.0000 Z0.0000 A0.0000 F"),
              std::string::npos)
        << gcode;
    EXPECT_NE(gcode.find(" F"), std::string::npos);
    EXPECT_EQ(gcode.find("G4 P0"), std::string::npos) << gcode;  // the 0.04 ms dwell left out
    EXPECT_FALSE(std::regex_search(gcode, std::regex("[0-9.][Ee][-+]?[0-9]"))) << gcode;
    EXPECT_NE(gcode.find("speed 2 mm/s"), std::string::npos);
}

TEST_F(ExportGcodeTest, CancelWritesNothingAndAMissingSetIsReportedFirst) {
    workingSet();
    startedFrame();
    dialogs_.answerInput(std::nullopt);
    trigger("ExportGCode");
    dialogs_.answerInput(QStringLiteral("XYUV"))
        .answerInput(QStringLiteral(""))
        .answerInput(QStringLiteral(""))
        .answerInput(QStringLiteral("1"))
        .answerInput(std::nullopt);  // Cancel at the preheat
    trigger("ExportGCode");
    EXPECT_EQ(dialogs_.calls().size(), 6u);
    dialogs_.answerInput(QStringLiteral("XYUV"))
        .answerInput(QStringLiteral(""))
        .answerInput(QStringLiteral(""))
        .answerInput(QStringLiteral("1"))
        .answerInput(QStringLiteral("0"))
        .answerSaveFile(QString());
    trigger("ExportGCode");
    EXPECT_EQ(dialogs_.calls().size(), 12u);
    EXPECT_EQ(dialogs_.calls()[11].request.defaultExt, "ngc");
    EXPECT_TRUE(QDir(QString::fromStdString(folder_.string()))
                    .entryList({"*.ngc", "*.gcode"}, QDir::Files)
                    .isEmpty());

    dialogs_.clearCalls();
    std::filesystem::remove(file("cut.ct1"));
    dialogs_.answerMessage();
    trigger("ExportGCode");
    ASSERT_EQ(dialogs_.calls().size(), 1u);
    EXPECT_TRUE(dialogs_.calls()[0].text.startsWith(
        "Error encountered, Error Number 53, File not found\rModule Main, EGC\r"))
        << dialogs_.calls()[0].text.toStdString();
}

}  // namespace
}  // namespace corvane
