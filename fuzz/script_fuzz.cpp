// Fuzz target: a cutting-script file through the loader, then every line it gives through the
// line check (the editor's and the run's) and the item conversions the runner uses.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/run_error.h"
#include "fuzz_support.h"
#include "machine/workspace.h"
#include "script/script_file.h"
#include "script/script_language.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> lines;
    try {
        appendScriptLines(fuzz::bytesOf(data, size), lines);
    } catch (const RunError&) {
        // Ended inside an instruction: the lines before it are loaded and are checked below.
    }
    const DerivedSettings& d = fuzz::scratchWorkspace().settings.derived;
    // No disk: a cut line's count file "exists" by a rule of its name alone.
    LineCheckContext context{300, [](const std::string& path) { return path.size() % 2 == 0; }};
    for (const std::string& line : lines) {
        for (const bool runCheck : {false, true}) {
            context.runCheck = runCheck;
            const LineFault fault = checkScriptLine(line, context);
            if (fault != LineFault::None && fault != LineFault::PauseNotANumber) {
                fuzz::require(
                    !editFaultMessage(fault).empty() && !runFaultMessage(fault, 1).empty(),
                    "a fault without a message");
            }
        }
        const std::vector<std::string> items = splitScriptLine(line);
        for (const std::string& item : items) {
            try {
                (void)pauseMillis(item);
            } catch (const RunError&) {
            }
            try {
                (void)signedSteps(d.StepsPerMm, item);
            } catch (const RunError&) {
            }
        }
        if (items.size() >= 3) {
            (void)moveByte(d, items[1], items[2]);
            (void)angleXByte(d, items[1], items[2]);
            (void)angleYByte(d, items[1], items[2]);
            (void)countFileOf(items[1]);
        }
    }
    (void)scriptFileBytes(lines);
    return 0;
}
