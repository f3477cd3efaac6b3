// The one text policy of every file the program writes and reads; inside the program every
// string is UTF-8. Files stay GBK where the machines that only know GBK can read them, and
// become UTF-8 with a byte-order mark where GBK would lose or change a character.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

bool isValidUtf8(std::string_view bytes);

// GBK bytes -> UTF-8; bytes that are not GBK become U+FFFD.
std::string gbkToUtf8(std::string_view gbk);

// UTF-8 -> GBK; characters GBK cannot hold become '?'.
std::string utf8ToGbk(std::string_view utf8);

// Every character of the text has a GBK form (so utf8ToGbk loses nothing).
bool gbkCanHold(std::string_view utf8);

// How encodeFileText writes a text.
enum class FileEncoding {
    Ascii,    // nothing but ASCII: the bytes are the text
    Gbk,      // GBK holds every character and its bytes cannot be read as UTF-8
    Utf8Bom,  // anything else: a byte-order mark, then the UTF-8 text
};
FileEncoding fileEncodingFor(std::string_view utf8);

// UTF-8 text -> the bytes of a file, in the encoding fileEncodingFor chooses. decodeFileText
// gives back the same text for every valid UTF-8 input.
std::string encodeFileText(std::string_view utf8);

// File bytes -> UTF-8. A byte-order mark means UTF-8 (a UTF-16 mark UTF-16); otherwise valid
// UTF-8 is UTF-8 unless the charset detector is sure the bytes are GBK/GB18030 (a GBK file
// whose bytes happen to be valid UTF-8); anything else is GBK.
std::string decodeFileText(std::string_view bytes);

// The detector's verdict alone: true when it names GB18030 (or GBK, GB2312) for the bytes.
bool detectorSaysGbk(std::string_view bytes);

}  // namespace corvane
