// controller.txt: the choice written and read back, and a missing or garbled file that means the
// parallel port rather than a failure.
#include "controller/controller_choice.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace corvane {
namespace {

TEST(ControllerChoice, WrittenReadBackAndMissingOrGarbledMeansNoController) {
    test::TempDir dir;
    EXPECT_TRUE(ControllerChoice::load(dir.path()).address.empty());
    ControllerChoice choice;
    choice.address = "grbl:/dev/ttyACM0@250000";
    choice.wireOutput = WireOutput::Coolant;
    choice.wirePower = 750;
    choice.homingCycle = true;
    choice.save(dir.path());
    EXPECT_EQ(test::readFile(dir / kControllerFile),
              "\"grbl:/dev/ttyACM0@250000\",\"coolant\",750,#TRUE#\r\n");
    const ControllerChoice back = ControllerChoice::load(dir.path());
    EXPECT_EQ(back.address, choice.address);
    EXPECT_EQ(back.wireOutput, WireOutput::Coolant);
    EXPECT_EQ(back.wirePower, 750);
    EXPECT_TRUE(back.homingCycle);

    test::writeFile(dir / kControllerFile, "\"grbl:/dev/ttyUSB0\",\"spindle\",lots\r\n");
    const ControllerChoice garbled = ControllerChoice::load(dir.path());
    EXPECT_EQ(garbled.address, "grbl:/dev/ttyUSB0");
    EXPECT_EQ(garbled.wirePower, 1000);
    EXPECT_FALSE(garbled.homingCycle);
}

}  // namespace
}  // namespace corvane
