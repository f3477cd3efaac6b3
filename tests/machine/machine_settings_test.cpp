// settings.txt reading and writing, every derived value (ports, steps, fixed amounts, pins,
// the sixteen patterns with reversal and the grey box, the wire pin) and what a failing load
// leaves behind.
#include "machine/machine_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_error.h"
#include "common/text_encoding.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::TempDir;

enum Field {
    kLeadIn = 0,
    kSteps = 7,
    kX1Dir = 10,
    kX1Step = 11,
    kY1Dir = 12,
    kY1Step = 13,
    kX2Dir = 14,
    kX2Step = 15,
    kY2Dir = 16,
    kY2Step = 17,
    kEnable = 18,
    kPort = 19,
    kActiveLow = 20,
    kActiveHigh = 21,
    kReverseX1 = 23,
    kReverseY1 = 24,
    kReverseX2 = 25,
    kReverseY2 = 26,
    kKerf = 27
};

struct Loaded {
    MachineSettings s;
    int error = 0;
};

Loaded loadLine(const std::string& bytes) {
    TempDir dir;
    test::writeFile(dir / "settings.txt", bytes);
    Loaded l;
    try {
        l.s.load(dir / "settings.txt");
    } catch (const RunError& e) {
        l.error = e.number();
    }
    return l;
}

Loaded loadValues(std::vector<std::string> values) {
    return loadLine(test::settingsLine(values));
}

TEST(MachineSettings, ResetDefaultsLineIsTheShippedFileByteForByte) {
    MachineSettings s;
    s.fields.resetDefaults();
    std::string expected = test::settingsLine(test::resetDefaultsValues());
    EXPECT_EQ(s.fileLine(), expected);
    EXPECT_EQ(test::readFile(std::string(CORVANE_RESOURCES) + "/settings.txt"), expected);
    EXPECT_EQ(s.fields.enable_hold, "");  // Reset Defaults leaves these alone
    EXPECT_EQ(s.fields.enable_hold_bit, "Text1");
}

TEST(MachineSettings, DefaultsDeriveEveryValue) {
    Loaded l = loadValues(test::resetDefaultsValues());
    ASSERT_EQ(l.error, 0);
    const DerivedSettings& d = l.s.derived;
    EXPECT_EQ(d.DataPort, 888);
    EXPECT_EQ(d.ControlPort, 890);
    EXPECT_EQ(d.StepsPerMm, 4000);
    EXPECT_DOUBLE_EQ(d.MmPerStep, 0.00025);
    EXPECT_EQ(d.SpeedSliderMax, 1);
    EXPECT_EQ(d.X1.DirMask, 1);
    EXPECT_EQ(d.X1.StepMask, 2);
    EXPECT_EQ(d.Y2.StepMask, 128);
    EXPECT_EQ(d.Y2.StepBit, 7);
    EXPECT_EQ(d.Y2.DirBit, 6);
    // Not reversed: X forward with direction low, Y up with direction high.
    EXPECT_EQ(d.X1Forward, 2);
    EXPECT_EQ(d.X1Back, 3);
    EXPECT_EQ(d.X1ForwardDir, 0);
    EXPECT_EQ(d.X1BackDir, 1);
    EXPECT_EQ(d.Y1Up, 12);
    EXPECT_EQ(d.Y1Down, 8);
    EXPECT_EQ(d.Y1UpDir, 4);
    EXPECT_EQ(d.Y1DownDir, 0);
    EXPECT_EQ(d.X2Forward, 32);
    EXPECT_EQ(d.X2Back, 48);
    EXPECT_EQ(d.Y2Up, 192);
    EXPECT_EQ(d.Y2Down, 128);
    EXPECT_EQ(l.s.fields.enable, "未使用     ");
    EXPECT_TRUE(l.s.fields.horizontal);
}

TEST(MachineSettings, StepsRoundHalfToEvenAndSliderTakesTheWholePart) {
    auto v = test::resetDefaultsValues();
    v[kSteps] = "\"157.5\"";
    Loaded a = loadValues(v);
    EXPECT_EQ(a.s.derived.StepsPerMm, 158);
    EXPECT_EQ(a.s.derived.SpeedSliderMax, 31);
    EXPECT_DOUBLE_EQ(a.s.derived.MmPerStep, 1.0 / 158);
    v[kSteps] = "\"156.5\"";
    EXPECT_EQ(loadValues(v).s.derived.StepsPerMm, 156);
    v[kSteps] = "\" 2 00 steps\"";  // the leading number, blanks skipped
    EXPECT_EQ(loadValues(v).s.derived.StepsPerMm, 200);
    v[kSteps] = "\"-100\"";  // not range-checked
    EXPECT_EQ(loadValues(v).s.derived.SpeedSliderMax, -50);
}

TEST(MachineSettings, FixedPointAmounts) {
    auto v = test::resetDefaultsValues();
    v[3] = "\"12.34565\"";  // lead_in_amount
    v[5] = "\"20.5\"";      // depth
    v[6] = "\"abc\"";       // width: no number
    v[kKerf] = "\".02\"";
    Loaded l = loadValues(v);
    EXPECT_EQ(l.s.derived.LeadInMm.raw(), 123456);  // half to even
    EXPECT_EQ(l.s.derived.BlankDepthMm.raw(), 205000);
    EXPECT_EQ(l.s.derived.BlankWidthMm.raw(), 0);
    EXPECT_EQ(l.s.derived.KerfMm.raw(), 200);
}

TEST(MachineSettings, ReversalSwapsThePatterns) {
    auto v = test::resetDefaultsValues();
    v[kReverseX1] = "1";
    v[kReverseY1] = "1";
    v[kReverseX2] = "1";
    v[kReverseY2] = "1";
    Loaded l = loadValues(v);
    const DerivedSettings& d = l.s.derived;
    EXPECT_EQ(d.X1Forward, 3);
    EXPECT_EQ(d.X1Back, 2);
    EXPECT_EQ(d.X1ForwardDir, 1);
    EXPECT_EQ(d.X1BackDir, 0);
    EXPECT_EQ(d.X2Forward, 48);
    EXPECT_EQ(d.X2Back, 32);
    EXPECT_EQ(d.Y1Up, 8);
    EXPECT_EQ(d.Y1Down, 12);
    EXPECT_EQ(d.Y1UpDir, 0);
    EXPECT_EQ(d.Y1DownDir, 4);
    EXPECT_EQ(d.Y2Up, 128);
    EXPECT_EQ(d.Y2Down, 192);
    EXPECT_TRUE(d.X1.Reversed && d.Y1.Reversed && d.X2.Reversed && d.Y2.Reversed);
}

TEST(MachineSettings, GreyBoxKeepsThePreviousPatterns) {
    MachineSettings s;
    s.fields.resetDefaults();
    s.fields.reverseX1 = 1;
    s.derive();
    ASSERT_EQ(s.derived.X1Forward, 3);
    // Grey now, and the pins moved: the masks follow the pins, the patterns stay as they were.
    s.fields.reverseX1 = 2;
    s.fields.x1_step = "Pin 5";
    s.derive();
    EXPECT_EQ(s.derived.X1.StepMask, 8);
    EXPECT_EQ(s.derived.X1Forward, 3);
    EXPECT_EQ(s.derived.X1Back, 2);
    EXPECT_TRUE(s.derived.X1.Reversed);
    // A fresh record with a grey box has never derived the axis: all patterns 0.
    auto v = test::resetDefaultsValues();
    v[kReverseY2] = "2";
    Loaded l = loadValues(v);
    EXPECT_EQ(l.error, 0);
    EXPECT_EQ(l.s.derived.Y2Up, 0);
    EXPECT_EQ(l.s.derived.Y2Down, 0);
    // reverseY2 is a floating-point number rounded into its box: 1.4 -> 1, 2.5 -> 2 (grey).
    v[kReverseY2] = "1.4";
    EXPECT_EQ(loadValues(v).s.derived.Y2Up, 128);
}

TEST(MachineSettings, SharedAndUnknownPins) {
    auto v = test::resetDefaultsValues();
    v[kX1Step] = "\"Pin 9\"";  // shares a pin with Y2's step
    v[kX2Dir] = "\"pin 6\"";   // lower case: not recognised
    v[kY1Step] = "\"Pin 10\"";
    Loaded l = loadValues(v);
    ASSERT_EQ(l.error, 0);
    EXPECT_EQ(l.s.derived.X1.StepMask, 128);
    EXPECT_EQ(l.s.derived.Y2.StepMask, 128);
    EXPECT_EQ(l.s.derived.X1Forward, 128);
    EXPECT_EQ(l.s.derived.X1Back, 129);
    EXPECT_EQ(l.s.derived.X2.DirMask, 0);
    EXPECT_EQ(l.s.derived.X2Back, 32);
    EXPECT_EQ(l.s.derived.Y1.StepMask, 0);
    EXPECT_EQ(l.s.derived.Y1Up, 4);

    // Unknown texts keep what an earlier derivation gave.
    MachineSettings s;
    s.fields.resetDefaults();
    s.derive();
    s.fields.x1_dir = "Pin 2 ";
    s.fields.port_address = "0x378";
    s.derive();
    EXPECT_EQ(s.derived.X1.DirMask, 1);
    EXPECT_EQ(s.derived.DataPort, 888);
    s.fields.port_address = "3BCh";
    s.derive();
    EXPECT_EQ(s.derived.DataPort, 956);
    EXPECT_EQ(s.derived.ControlPort, 958);
}

TEST(MachineSettings, PortAddressTexts) {
    auto v = test::resetDefaultsValues();
    v[kPort] = "\"278h\"";
    EXPECT_EQ(loadValues(v).s.derived.DataPort, 632);
    v[kPort] = "\"0x378\"";
    Loaded l = loadValues(v);
    EXPECT_EQ(l.s.derived.DataPort, 0);
    EXPECT_EQ(l.s.derived.ControlPort, 2);
}

TEST(MachineSettings, WirePinTable) {
    struct Case {
        const char* pin;
        bool low;
        const char* hold;
        const char* bit;
    };
    const Case cases[] = {
        {"Pin 1", true, "1", "0"},   {"Pin 14", true, "2", "1"},  {"Pin 16", true, "0", "2"},
        {"Pin 17", true, "8", "3"},  {"Pin 1", false, "0", "0"},  {"Pin 14", false, "0", "1"},
        {"Pin 16", false, "4", "2"}, {"Pin 17", false, "0", "3"},
    };
    for (const Case& c : cases) {
        auto v = test::resetDefaultsValues();
        v[kEnable] = std::string("\"") + c.pin + "\"";
        v[kActiveLow] = c.low ? "#TRUE#" : "#FALSE#";
        v[kActiveHigh] = c.low ? "#FALSE#" : "#TRUE#";
        Loaded l = loadValues(v);
        EXPECT_EQ(l.s.fields.enable_hold, c.hold) << c.pin << " low=" << c.low;
        EXPECT_EQ(l.s.fields.enable_hold_bit, c.bit) << c.pin << " low=" << c.low;
        EXPECT_EQ(l.s.wireBit(), c.bit[0] - '0');
    }
    // Not-used texts and an unselected level leave both fields as they were.
    MachineSettings s;
    s.fields.resetDefaults();
    s.fields.enable = "Pin 16";
    s.derive();
    for (const char* text : {"Not Used", "未使用", "未使用     ", "pin 14"}) {
        s.fields.enable = text;
        s.derive();
        EXPECT_EQ(s.fields.enable_hold, "0") << text;
        EXPECT_EQ(s.fields.enable_hold_bit, "2") << text;
    }
    s.fields.enable = "Pin 17";
    s.fields.active_low = false;
    s.fields.active_high = false;
    s.derive();
    EXPECT_EQ(s.fields.enable_hold_bit, "2");
}

TEST(MachineSettings, OptionsOfAGroupExcludeEachOther) {
    auto v = test::resetDefaultsValues();
    v[1] = "#TRUE#";
    v[2] = "#TRUE#";  // vertical selected last wins
    v[kActiveLow] = "#TRUE#";
    v[kActiveHigh] = "1";  // a number is true when not 0
    Loaded l = loadValues(v);
    EXPECT_FALSE(l.s.fields.horizontal);
    EXPECT_TRUE(l.s.fields.vertical);
    EXPECT_FALSE(l.s.fields.active_low);
    EXPECT_TRUE(l.s.fields.active_high);
}

TEST(MachineSettings, ExtraValuesAndLinesAreIgnoredAndUtf8IsRead) {
    auto v = test::resetDefaultsValues();
    v.push_back("\"29th\"");
    std::string bytes = test::settingsLine(v) + "second line,1,2\r\n";
    EXPECT_EQ(loadLine(bytes).error, 0);
    std::string utf8;
    for (std::size_t i = 0; i < 28; ++i) utf8 += (i ? "," : "") + test::resetDefaultsValues()[i];
    Loaded l = loadLine(utf8);  // UTF-8, no line end at all
    EXPECT_EQ(l.error, 0);
    EXPECT_EQ(l.s.fields.enable, "未使用     ");
    // Values spread over lines, LF only, blanks before values.
    std::string spread;
    for (std::size_t i = 0; i < 28; ++i)
        spread += " " + test::resetDefaultsValues()[i] + (i % 5 ? "," : "\n");
    Loaded m = loadLine(utf8ToGbk(spread));
    EXPECT_EQ(m.error, 0);
    EXPECT_EQ(m.s.derived.Y2Up, 192);
}

TEST(MachineSettings, MissingFileChangesNothing) {
    TempDir dir;
    MachineSettings s;
    try {
        s.load(dir / "settings.txt");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 53);
    }
    EXPECT_EQ(s.fields.steps_per_inch, "157.5");  // initial values stay
    EXPECT_EQ(s.fields.x1_dir, "Combo1");
    EXPECT_EQ(s.fields.kerf, ".02");
    EXPECT_EQ(s.derived.StepsPerMm, 0);
    EXPECT_EQ(s.derived.DataPort, 0);
    EXPECT_EQ(s.derived.X1Back, 0);
}

TEST(MachineSettings, ShortFileKeepsTheFieldsReadAndDerivesNothing) {
    auto v = test::resetDefaultsValues();
    v.resize(20);  // ends after port_address
    Loaded l = loadValues(v);
    EXPECT_EQ(l.error, 62);
    EXPECT_EQ(l.s.fields.steps_per_inch, "4000");
    EXPECT_EQ(l.s.fields.port_address, "378h");
    EXPECT_EQ(l.s.fields.kerf, ".02");  // not reached
    EXPECT_EQ(l.s.derived.StepsPerMm, 0);
    EXPECT_EQ(l.s.derived.DataPort, 0);
    EXPECT_EQ(l.s.derived.X1.StepMask, 0);
    EXPECT_EQ(loadLine("").error, 62);
}

TEST(MachineSettings, BadValuesStopAtTheirField) {
    auto v = test::resetDefaultsValues();
    v[kReverseX1] = "\"yes\"";
    Loaded a = loadValues(v);
    EXPECT_EQ(a.error, 13);
    EXPECT_EQ(a.s.fields.lead_out, 1);
    EXPECT_EQ(a.s.fields.kerf, ".02");  // later fields not updated
    EXPECT_EQ(a.s.derived.DataPort, 0);

    v = test::resetDefaultsValues();
    v[kLeadIn] = "#TRUE#";
    EXPECT_EQ(loadValues(v).error, 380);
    v[kLeadIn] = "3";
    EXPECT_EQ(loadValues(v).error, 380);
    v[kLeadIn] = "-1";
    EXPECT_EQ(loadValues(v).error, 380);
    v[kLeadIn] = "2";
    EXPECT_EQ(loadValues(v).error, 0);
    v[kLeadIn] = "#FALSE#";  // a Boolean counts as its number: false is 0
    v[kReverseY2] = "#FALSE#";
    Loaded f = loadValues(v);
    EXPECT_EQ(f.error, 0);
    EXPECT_EQ(f.s.fields.lead_in, 0);
    EXPECT_EQ(f.s.fields.reverseY2, 0);
    v = test::resetDefaultsValues();
    v[kActiveLow] = "\"maybe\"";
    EXPECT_EQ(loadValues(v).error, 13);
}

TEST(MachineSettings, StepsZeroDerivesPinsAndPortsButNotTheAmountsOrTheWire) {
    for (const char* steps : {"\"0\"", "\"\"", "\"abc\"", "\"0.4\""}) {
        auto v = test::resetDefaultsValues();
        v[kSteps] = steps;
        v[kKerf] = "\"0.3\"";
        v[kEnable] = "\"Pin 14\"";
        Loaded l = loadValues(v);
        EXPECT_EQ(l.error, 11) << steps;
        EXPECT_EQ(l.s.derived.StepsPerMm, 0);
        EXPECT_EQ(l.s.derived.DataPort, 888);
        EXPECT_EQ(l.s.derived.ControlPort, 890);
        EXPECT_EQ(l.s.derived.X1Back, 3);
        EXPECT_EQ(l.s.derived.Y2Up, 192);
        // The load did not complete: the wire pin is not taken from it.
        EXPECT_EQ(l.s.fields.enable, kEnableNotUsed);
        EXPECT_FALSE(l.s.derived.wire.chosen);
        EXPECT_EQ(l.s.derived.MmPerStep, 0);
        EXPECT_EQ(l.s.derived.KerfMm.raw(), 0);
        EXPECT_EQ(l.s.derived.SpeedSliderMax, 0);
    }
}

TEST(MachineSettings, SaveWritesTheLineAndDerives) {
    TempDir dir;
    MachineSettings s;
    s.fields.resetDefaults();
    s.fields.steps_per_inch = "157.5";
    s.fields.reverseY2 = 1;
    s.fields.enable = "Pin 16";
    s.fields.kerf = "0.25";
    s.save(dir / "settings.txt");
    EXPECT_EQ(s.derived.StepsPerMm, 158);
    MachineSettings back;
    back.load(dir / "settings.txt");
    EXPECT_EQ(back.fileLine(), s.fileLine());
    EXPECT_EQ(back.derived.Y2Up, s.derived.Y2Up);
    EXPECT_EQ(back.derived.KerfMm.raw(), 2500);
    EXPECT_EQ(test::readFile(dir / "settings.txt").substr(0, 8), "0,#TRUE#");

    // steps 0: the file is already written when the derivation fails.
    s.fields.steps_per_inch = "0";
    EXPECT_THROW(s.save(dir / "settings.txt"), RunError);
    EXPECT_NE(test::readFile(dir / "settings.txt").find("\"0\",\"300\""), std::string::npos);
}

// A load that fails anywhere (a short line, a bad value in any field, steps 0) keeps the wire
// pin, level and bit in force, names the field, and tells the no-port explanation why.
TEST(MachineSettings, AFailedLoadKeepsTheWirePinAndLevelInForceAndNamesTheField) {
    MachineSettings inForce;
    inForce.fields.resetDefaults();
    inForce.fields.enable = "Pin 1";
    inForce.fields.active_low = true;
    inForce.fields.active_high = false;
    inForce.derive();
    ASSERT_TRUE(inForce.derived.wire.chosen);
    auto fileValues = test::resetDefaultsValues();
    fileValues[kEnable] = "\"Pin 17\"";
    fileValues[kActiveLow] = "#FALSE#";
    fileValues[kActiveHigh] = "#TRUE#";
    struct Damage {
        int field;  // 0-based value that is damaged, or the count kept for a short line
        bool truncate;
        int number;
        const char* names;
    };
    const Damage damages[] = {
        {kReverseX2, false, 13, "field 26 (reverseX2)"},
        {kReverseY1, false, 13, "field 25 (reverseY1)"},
        {22, false, 13, "field 23 (lead_out)"},
        {kActiveHigh, false, 13, "field 22 (active_high)"},
        {24, true, 62, "field 25 (reverseY1)"},
        {21, true, 62, "field 22 (active_high)"},
        {27, true, 62, "field 28 (kerf)"},
        {kSteps, false, 11, "steps_per_inch"},
    };
    for (const Damage& d : damages) {
        auto v = fileValues;
        if (d.truncate)
            v.resize(static_cast<size_t>(d.field));
        else
            v[static_cast<size_t>(d.field)] = d.field == kSteps ? "\"0\"" : "\"bad\"";
        TempDir dir;
        test::writeFile(dir / "settings.txt", test::settingsLine(v));
        MachineSettings next = inForce;
        next.fields = SettingsFields{};
        try {
            next.load(dir / "settings.txt", &inForce);
            FAIL() << d.names << ": loaded";
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), d.number) << d.names;
            EXPECT_NE(e.detail().find(d.names), std::string::npos) << e.detail();
        }
        EXPECT_EQ(next.fields.enable, "Pin 1") << d.names;
        EXPECT_TRUE(next.fields.active_low) << d.names;
        EXPECT_FALSE(next.fields.active_high) << d.names;
        EXPECT_EQ(next.derived.wire, inForce.derived.wire) << d.names;
        EXPECT_EQ(next.wireBit(), 0) << d.names;
        EXPECT_NE(next.loadFailure.find(d.names), std::string::npos) << next.loadFailure;
    }
    // The whole file loads: its pin and level come into force and the failure is forgotten.
    TempDir dir;
    test::writeFile(dir / "settings.txt", test::settingsLine(fileValues));
    MachineSettings next = inForce;
    next.loadFailure = "earlier";
    next.load(dir / "settings.txt", &inForce);
    EXPECT_EQ(next.fields.enable, "Pin 17");
    EXPECT_EQ(next.derived.wire, (WirePin{true, 3, false}));
    EXPECT_TRUE(next.loadFailure.empty());
}

TEST(MachineSettings, ThePortRefusalAfterAPartialLoadSaysTheFileWasNotReadInFull) {
    test::TestMachine m;
    auto v = test::resetDefaultsValues();
    v.resize(21);  // ends after the active-low option: port text read, nothing derived
    test::writeFile(m.ws.file("settings.txt"), test::settingsLine(v));
    m.ws.settings = MachineSettings{};
    EXPECT_THROW(m.ws.settings.load(m.ws.file("settings.txt")), RunError);
    ASSERT_FALSE(m.ws.portKnown());
    const std::string refusal = m.ws.portRefusal();
    EXPECT_NE(refusal.find("could not be read in full"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("field 22 (active_high)"), std::string::npos) << refusal;
    EXPECT_EQ(refusal.find("is not one of"), std::string::npos) << refusal;
}

}  // namespace
}  // namespace corvane
