// Files are 8-bit text with non-ASCII in GBK; inside the program every string is UTF-8.
// Readers also take UTF-8: a file that is valid UTF-8 is read as UTF-8.
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

// File bytes -> UTF-8: valid UTF-8 stays, anything else is read as GBK.
std::string decodeFileText(std::string_view bytes);

}  // namespace corvane
