// Fuzz target: the record reader every record file goes through (settings, waypoints, cut-file
// information, scripts, notes), with its value conversions and the text decoding under it.
#include <cstddef>
#include <cstdint>

#include "common/number_text.h"
#include "common/records.h"
#include "common/run_error.h"
#include "common/text_encoding.h"
#include "fuzz_support.h"

using namespace corvane;

namespace {

void convert(const RecordValue& v) {
    try {
        (void)v.asNumber();
    } catch (const RunError&) {
    }
    try {
        (void)v.asBoolean();
    } catch (const RunError&) {
    }
    (void)v.asText();
}

// Reads values to the end in one of three ways; every call must move on, so a text of n bytes
// (as decoded) gives at most n + 1 values.
void readAll(std::string_view bytes, std::size_t decodedSize, int way) {
    RecordReader reader(bytes);
    std::size_t calls = 0;
    try {
        while (!reader.atEnd()) {
            fuzz::require(++calls <= decodedSize + 1, "the record reader does not move on");
            if (way == 2 && calls % 3 == 0) {
                (void)reader.nextLine();
            } else {
                convert(reader.next(way == 1 ? Quotes::DoubledIsOne : Quotes::EndAtNext));
            }
        }
        (void)reader.next();  // past the end: a refusal, never a crash
    } catch (const RunError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::string text = decodeFileText(bytes);
    for (int way = 0; way < 3; ++way) readAll(bytes, text.size(), way);

    fuzz::require(isValidUtf8(text), "decoded text is not UTF-8");
    (void)utf8ToGbk(text);
    (void)gbkCanHold(text);
    try {
        (void)leadingNumberIfAny(text);
    } catch (const RunError&) {  // a number past the range of a double
    }
    (void)isWholeNumberText(text);
    return 0;
}
