// corvane-cli settings, run as the operator would: derived values as Name=value, load errors
// with the program's message text and a non-zero exit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "support/test_support.h"

namespace corvane {
namespace {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::map<std::string, std::string> values;
};

CliResult runSettings(const test::TempDir& dir) {
    auto out = dir / "stdout.txt";
    auto err = dir / "stderr.txt";
    std::string cmd = std::string("'") + CORVANE_CLI + "' --app-dir '" + dir.path().string() +
                      "' settings >'" + out.string() + "' 2>'" + err.string() + "'";
    CliResult r;
    int status = std::system(cmd.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = test::readFile(out);
    r.err = test::readFile(err);
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        auto eq = line.find('=');
        if (eq != std::string::npos) r.values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return r;
}

void writeSettings(const test::TempDir& dir, const std::vector<std::string>& values) {
    test::writeFile(dir / "settings.txt", test::settingsLine(values));
}

TEST(SettingsCli, PrintsEveryDerivedValueOfTheShippedFile) {
    test::TempDir dir;
    test::copyResources(dir.path());
    CliResult r = runSettings(dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::map<std::string, std::string> expected = {
        {"DataPort", "888"},      {"ControlPort", "890"},  {"StepsPerMm", "4000"},
        {"MmPerStep", "0.00025"}, {"SpeedSliderMax", "1"}, {"KerfMm", "0"},
        {"BlankWidthMm", "0"},    {"BlankDepthMm", "0"},   {"LeadInMm", "0"},
        {"X1Forward", "2"},       {"X1Back", "3"},         {"X2Forward", "32"},
        {"X2Back", "48"},         {"Y1Up", "12"},          {"Y1Down", "8"},
        {"Y2Up", "192"},          {"Y2Down", "128"},       {"X1ForwardDir", "0"},
        {"X1BackDir", "1"},       {"X2ForwardDir", "0"},   {"X2BackDir", "16"},
        {"Y1UpDir", "4"},         {"Y1DownDir", "0"},      {"Y2UpDir", "64"},
        {"Y2DownDir", "0"},       {"enable_hold", ""},     {"enable_hold_bit", "Text1"},
    };
    for (const auto& [name, value] : expected) {
        ASSERT_TRUE(r.values.count(name)) << name;
        EXPECT_EQ(r.values[name], value) << name;
    }
    EXPECT_EQ(r.out.substr(0, 9), "DataPort=");
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(SettingsCli, ReversedSharedPinsWirePinAndHalfSteps) {
    test::TempDir dir;
    auto v = test::resetDefaultsValues();
    v[7] = "\"157.5\"";
    v[11] = "\"Pin 9\"";  // X1 step shares Y2's step pin
    v[18] = "\"Pin 16\"";
    v[20] = "#FALSE#";
    v[21] = "#TRUE#";  // active high
    v[23] = "1";       // reverse X1
    v[26] = "1";       // reverse Y2
    v[27] = "\".02\"";
    v[19] = "\"3BCh\"";
    writeSettings(dir, v);
    CliResult r = runSettings(dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.values["StepsPerMm"], "158");
    EXPECT_EQ(r.values["SpeedSliderMax"], "31");
    EXPECT_EQ(r.values["MmPerStep"], "0.00632911392405063");
    EXPECT_EQ(r.values["DataPort"], "956");
    EXPECT_EQ(r.values["ControlPort"], "958");
    EXPECT_EQ(r.values["KerfMm"], "0.02");
    EXPECT_EQ(r.values["X1Forward"], "129");  // reversed: D + S with S on pin 9
    EXPECT_EQ(r.values["X1Back"], "128");
    EXPECT_EQ(r.values["X1ForwardDir"], "1");
    EXPECT_EQ(r.values["Y2Up"], "128");
    EXPECT_EQ(r.values["Y2Down"], "192");
    EXPECT_EQ(r.values["Y2DownDir"], "64");
    EXPECT_EQ(r.values["enable_hold"], "4");
    EXPECT_EQ(r.values["enable_hold_bit"], "2");
}

TEST(SettingsCli, EveryWirePinAndLevel) {
    const char* pins[] = {"Pin 1", "Pin 14", "Pin 16", "Pin 17"};
    const char* holdLow[] = {"1", "2", "0", "8"};
    const char* holdHigh[] = {"0", "0", "4", "0"};
    for (int i = 0; i < 4; ++i) {
        for (bool low : {true, false}) {
            test::TempDir dir;
            auto v = test::resetDefaultsValues();
            v[18] = std::string("\"") + pins[i] + "\"";
            v[20] = low ? "#TRUE#" : "#FALSE#";
            v[21] = low ? "#FALSE#" : "#TRUE#";
            writeSettings(dir, v);
            CliResult r = runSettings(dir);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.values["enable_hold"], low ? holdLow[i] : holdHigh[i]) << pins[i];
            EXPECT_EQ(r.values["enable_hold_bit"], std::to_string(i)) << pins[i];
        }
    }
}

TEST(SettingsCli, MissingFileReportsFileNotFound) {
    test::TempDir dir;
    CliResult r = runSettings(dir);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(r.err, "Error encountered, Error Number 53, File not found\nModule 9, Load Data\n");
    EXPECT_TRUE(r.out.empty());
}

TEST(SettingsCli, ShortFileAndStepsZeroReportTheirErrorsNamingTheField) {
    test::TempDir dir;
    auto v = test::resetDefaultsValues();
    v.resize(27);
    writeSettings(dir, v);
    CliResult shortFile = runSettings(dir);
    EXPECT_NE(shortFile.exitCode, 0);
    EXPECT_EQ(shortFile.err,
              "Error encountered, Error Number 62, Input past end of file\nModule 9, Load Data\n"
              "settings.txt could not be read in full: field 28 (kerf) is missing. "
              "No wire pin or level is taken from it.\n");

    v = test::resetDefaultsValues();
    v[7] = "\"0\"";
    writeSettings(dir, v);
    CliResult zero = runSettings(dir);
    EXPECT_NE(zero.exitCode, 0);
    EXPECT_EQ(zero.err,
              "Error encountered, Error Number 11, Division by zero\nModule 9, Load Data\n"
              "settings.txt could not be read in full: a value derived from steps_per_inch or "
              "an amount is not valid. No wire pin or level is taken from it.\n");

    v = test::resetDefaultsValues();
    v[0] = "\"yes\"";
    writeSettings(dir, v);
    CliResult bad = runSettings(dir);
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_EQ(bad.err,
              "Error encountered, Error Number 13, Type mismatch\nModule 9, Load Data\n"
              "settings.txt could not be read in full: field 1 (lead_in) is not valid. "
              "No wire pin or level is taken from it.\n");
}

}  // namespace
}  // namespace corvane
