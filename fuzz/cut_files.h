// The step and count files of a cut-file set as the runner, the simulator and Load's check read
// them: shared by the step-file and count-file targets, which fuzz one of the two files.
#pragma once

#include <string_view>

namespace corvane::fuzz {

// Writes the two files into the scratch folder and reads them every way the program does.
void readCutFiles(std::string_view stepBytes, std::string_view countBytes);

}  // namespace corvane::fuzz
