// Fuzz target: `corvane-cli planform NAME TextN=value ...`. The input is the command's words,
// one a line: the window's name (a name no window has picks one by its first byte), then the
// box arguments; the calculation runs on whatever boxes they give, with and without the
// oversize blank.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "generate/planform.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        words.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const auto& windows = planformWindows();
    const PlanformWindowInfo* window = findPlanformWindow(words.front());
    if (!window) {
        const std::size_t pick = size ? data[0] : 0;
        window = &windows[pick % windows.size()];
    }
    words.erase(words.begin());

    std::string complaint;
    const std::optional<BoxTexts> boxes = planformArguments(*window, words, complaint);
    if (!boxes) {
        fuzz::require(!complaint.empty(), "an argument refused without a word why");
        return 0;
    }
    for (const OversizeBlank& blank : {OversizeBlank{}, OversizeBlank{true, 25.4, 12.7}}) {
        const PlanformResult result = calculatePlanform(*window, *boxes, blank);
        for (const FilledBox& box : result.boxes) {
            fuzz::require(!box.text.empty(), "a filled box shows no text");
        }
        (void)result.texts();
    }
    (void)planformHandover(*window);
    return 0;
}
