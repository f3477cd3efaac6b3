// Fuzz target: a cutting-script file through the loader, then every line it gives through the
// line check (the editor's and the run's), the item conversions the runner uses, and the runner
// itself: its check pass over every line, then at most one tick (Stop is asked at the first
// yield), on the simulated port and the fake clock.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/run_error.h"
#include "fuzz_support.h"
#include "machine/workspace.h"
#include "script/script_file.h"
#include "script/script_language.h"
#include "script/script_runner.h"

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
            LineFault fault = LineFault::None;
            try {
                fault = checkScriptLine(line, context);
            } catch (const RunError&) {  // a number too large to read
                continue;
            }
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

    // A cut line may name any file; the harness opens none outside its scratch folder (a device
    // could block, which is the operator's choice of file, not the runner's fault).
    for (const std::string& line : lines) {
        const std::vector<std::string> items = splitScriptLine(line);
        if (items.size() > 1 &&
            (items[1].find('/') != std::string::npos || items[1].find('~') != std::string::npos)) {
            return 0;
        }
    }
    ScriptRunner runner(fuzz::scratchWorkspace(false));
    runner.yield = [&runner] { runner.requestStop(); };
    (void)runner.run(lines);
    return 0;
}
