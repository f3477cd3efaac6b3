// The line check of the cutting-script language, as Accept words it and as the run check words
// it, over the rules' examples; plus the move bytes an instruction's axis and direction give.
#include "script/script_language.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/run_error.h"
#include "machine/machine_settings.h"

namespace corvane {
namespace {

const std::string F = kDirForward, B = kDirBack, D = kDirDown, U = kDirUp;

LineCheckContext context(bool runCheck = false) {
    LineCheckContext c;
    c.speedSliderMax = 31;  // 158 steps/mm: speeds up to 6.2 mm/s
    c.runCheck = runCheck;
    c.fileExists = [](const std::string& path) {
        static const std::set<std::string> present = {"/sets/a.ct2", "wing.ct2"};
        return present.count(path) != 0;
    };
    return c;
}

TEST(ScriptLanguage, EveryRuleWithItsAcceptMessage) {
    struct Case {
        std::string line;
        std::string message;  // empty: the line passes
    };
    const Case cases[] = {
        {"move,x," + F + ",3", ""},
        {"move,x,向前,3", "Script error, unknown direction"},
        {"move,x1," + B + ",2.5", ""},
        {"move,y2," + U + ",1", ""},
        {"move,y," + D + ",-4", ""},  // passes: a negative travel just makes no step
        {"move,x," + U + ",3", "Script error, unknown direction"},
        {"move,y," + F + ",3", "Script error, unknown direction"},
        {"move,z," + F + ",3", "Script error, unknown axis"},
        {"move, x," + F + ",3", "Script error, unknown axis"},  // items are not trimmed
        {"move,X," + F + ",3", "Script error, unknown axis"},
        {"move,x," + F + ",0", "Script error, travel value must be numeric"},
        {"move,x," + F + ",abc", "Script error, travel value must be numeric"},
        {"move,x," + F, "Incorrect number of elements in the script"},
        {"move,x," + F + ",3,extra,items", ""},
        {"Move,x," + F + ",3", "Script error, instruction incorrect"},
        {"", "Script error, instruction incorrect"},
        {"angle,x," + F + ",10,z,zz,10", ""},  // one right axis item is enough
        {"angle,q," + F + ",10,y," + U + ",10", ""},
        {"angle,q," + F + ",10,z," + U + ",10", "Script error, unknown axis"},
        {"angle,x,back,10,y," + U + ",10", "Script error, unknown direction"},
        {"angle,x," + B + ",10,y," + F + ",10", "Script error, unknown direction"},
        {"angle,x," + B + ",0,y," + D + ",0", "Script error, travel value must be numeric"},
        {"angle,x," + B + ",0,y," + D + ",2", ""},
        {"angle,x," + B + ",1,y," + D, "Incorrect number of elements in the script"},
        {"speed,0.1", "Script error, speed value not valid"},
        {"speed,0", "Script error, speed value not valid"},
        {"speed,0.2", ""},
        {"speed,6.2", ""},
        {"speed,6.21", "Script error, speed value not valid"},
        {"speed,-1", "Script error, speed value not valid"},
        {"speed", "Incorrect number of elements in the script"},
        {"pause,0.4", "Script error, pause value must be numeric"},
        {"pause,0.6", ""},
        {"pause,2.5x", ""},  // the editor reads the leading number
        {"pause,x", "Script error, pause value must be numeric"},
        {"pause,1e300", "Script error, pause value must be numeric"},
        {"cut,", "Script error, CT1 file not found"},
        {"cut,/sets/a.ct1", ""},
        {"cut,/sets/b.ct1", "Script error, CT2 file not found"},
        {"cut,wing.ct1", ""},
    };
    for (const Case& c : cases) {
        const LineFault fault = checkScriptLine(c.line, context());
        EXPECT_EQ(editFaultMessage(fault), c.message) << c.line;
    }
}

TEST(ScriptLanguage, TheRunCheckNamesTheLine) {
    auto run = [](const std::string& line, int number) {
        return runFaultMessage(checkScriptLine(line, context(true)), number);
    };
    EXPECT_EQ(run("Move,x," + F + ",3", 2), "Script error in line 2 of Cutting Script");
    EXPECT_EQ(run("speed,9", 7), "Script error in line 7 of Cutting Script");
    EXPECT_EQ(run("move,z," + F + ",3", 3), "Script error in line 3 of Cutting Script");
    EXPECT_EQ(run("pause,0.4", 4), "Script error in line 4 of Cutting Script");
    EXPECT_EQ(run("cut,", 5), "Script error in line 5 CT1 file not found");
    EXPECT_EQ(run("cut,/sets/b.ct1", 12), "Script error in line 12 CT2 file not found");
    EXPECT_EQ(run("move,x," + F, 1), "Incorrect number of elements in the script");
    // The run check converts the pause item as a whole number: text is a type mismatch.
    EXPECT_EQ(run("pause,2.5x", 1),
              "Error encountered, Error Number 13, Type mismatch\r"
              "Module Script, RS");
    EXPECT_EQ(run("pause, 0.6 ", 1), "");
    EXPECT_EQ(run("move,x," + F + ",3", 1), "");
}

TEST(ScriptLanguage, SplittingPathsAndNumbers) {
    EXPECT_EQ(splitScriptLine("a,,b,"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(splitScriptLine(""), (std::vector<std::string>{""}));
    EXPECT_EQ(countFileOf("/x/wing.ct1"), "/x/wing.ct2");
    EXPECT_EQ(pauseMillis("0.5"), 0);
    EXPECT_EQ(pauseMillis("1.5"), 2);
    EXPECT_EQ(pauseMillis("2.5"), 2);
    EXPECT_EQ(signedSteps(100, "0.004"), 0);
    EXPECT_EQ(signedSteps(100, "0.025"), 2);  // 2.5 rounds to the even 2
    EXPECT_EQ(signedSteps(158, "-1"), -158);
    EXPECT_THROW(signedSteps(158, "1e12"), RunError);
}

TEST(ScriptLanguage, MoveBytesComeFromTheAxisPatterns) {
    MachineSettings s;
    s.fields.resetDefaults();
    s.fields.steps_per_inch = "158";
    s.derive();
    const DerivedSettings& d = s.derived;
    EXPECT_EQ(moveByte(d, "x", F), d.X1Forward + d.X2Forward);
    EXPECT_EQ(moveByte(d, "x", B), d.X1Back + d.X2Back);
    EXPECT_EQ(moveByte(d, "x2", F), d.X2Forward);
    EXPECT_EQ(moveByte(d, "y", U), d.Y1Up + d.Y2Up);
    EXPECT_EQ(moveByte(d, "y1", D), d.Y1Down);
    EXPECT_EQ(moveByte(d, "y", F), 0);
    EXPECT_EQ(angleXByte(d, "x1", F), 0);  // an angle moves pairs only
    EXPECT_EQ(angleYByte(d, "y", D), d.Y1Down + d.Y2Down);
    EXPECT_NE(d.X1Forward, 0);
    EXPECT_NE(d.Y2Down, 0);
}

}  // namespace
}  // namespace corvane
