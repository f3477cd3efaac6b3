// The one text policy of every file the program writes and reads; inside the program every
// string is UTF-8. Files stay GBK where the machines that only know GBK can read them, and
// become UTF-8 with a byte-order mark where GBK would lose or change a character.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

bool isValidUtf8(std::string_view bytes);

// The bytes as UTF-8, each byte that starts no valid sequence replaced by U+FFFD.
std::string withReplacementCharacters(std::string_view bytes);

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

// File bytes -> UTF-8, always valid. A byte-order mark means UTF-8 (bytes after it that are not
// become U+FFFD; a UTF-16 mark UTF-16); otherwise valid UTF-8 is UTF-8 unless the charset
// detector is sure the bytes are GBK/GB18030, or `folderSaysGbk` and every character would be a
// GBK pair (位 and 前 are valid UTF-8 as GBK bytes); anything else is GBK. A DOS end-of-file byte
// (0x1A) at the very end is dropped.
std::string decodeFileText(std::string_view bytes, bool folderSaysGbk = false);

// The folder's other text files (*.txt, *.fwn, *.ct3) include one in GBK: bytes that are not
// UTF-8 and read as GBK throughout. The hint decodeFileText takes for an ambiguous file.
bool folderHoldsGbkText(const std::filesystem::path& folder);

// decodeFileText for a file of `folder`, asking the folder's other files only when the bytes
// leave GBK and UTF-8 in doubt. An empty folder asks nothing.
std::string decodeFolderFileText(std::string_view bytes, const std::filesystem::path& folder);

// The detector's verdict alone: true when it names GB18030 (or GBK, GB2312) for the bytes.
bool detectorSaysGbk(std::string_view bytes);

}  // namespace corvane
