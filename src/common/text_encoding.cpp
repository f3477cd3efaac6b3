// GBK <-> UTF-8 through glibc iconv, the charset guess through uchardet; undecodable bytes never
// stop a read or a write.
#include "common/text_encoding.h"

#include <iconv.h>
#include <uchardet.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace corvane {

namespace {

// The length of the valid UTF-8 sequence at bytes[i], 0 when there is none.
std::size_t utf8SequenceAt(std::string_view bytes, std::size_t i) {
    auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) return 1;
    std::size_t len;
    unsigned int cp;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > bytes.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        auto cc = static_cast<unsigned char>(bytes[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    return len;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = utf8SequenceAt(bytes, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string withReplacementCharacters(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = utf8SequenceAt(bytes, i);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(bytes.substr(i, len));
            i += len;
        }
    }
    return out;
}

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; on a byte sequence it cannot take, appends `bad` and skips `skip(in)` bytes.
    template <typename Skip>
    std::string run(std::string_view in, std::string_view bad, Skip skip) {
        std::string out;
        out.reserve(in.size() * 3 / 2 + 8);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[1024];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                out += bad;
                std::size_t n = skip(std::string_view(src, srcLeft));
                src += n;
                srcLeft -= n;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};

std::size_t utf8CharLength(std::string_view s) {
    auto c = static_cast<unsigned char>(s[0]);
    std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    std::size_t k = 1;
    while (k < len && k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80) ++k;
    return k;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    bool ascii = true;
    for (char c : gbk) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(gbk);
    Converter conv("UTF-8", "GBK");
    return conv.run(gbk, "\xEF\xBF\xBD", [](std::string_view) { return std::size_t{1}; });
}

std::string utf8ToGbk(std::string_view utf8) {
    bool ascii = true;
    for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(utf8);
    Converter conv("GBK", "UTF-8");
    return conv.run(utf8, "?", utf8CharLength);
}

bool gbkCanHold(std::string_view utf8) {
    if (!isValidUtf8(utf8)) return false;
    // utf8ToGbk writes '?' for what it cannot hold; '?' is never a GBK trail byte.
    const std::string gbk = utf8ToGbk(utf8);
    return std::count(gbk.begin(), gbk.end(), '?') == std::count(utf8.begin(), utf8.end(), '?');
}

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

FileEncoding fileEncodingFor(std::string_view utf8) {
    if (isAscii(utf8)) return FileEncoding::Ascii;
    if (!gbkCanHold(utf8)) return FileEncoding::Utf8Bom;
    const std::string gbk = utf8ToGbk(utf8);
    // GBK bytes that read as UTF-8 would come back as other text ("位" as "λ"), and a GBK
    // mapping that does not come back the same is no home for the text either.
    if (isValidUtf8(gbk) || gbk.starts_with(kUtf8Bom) || gbkToUtf8(gbk) != utf8) {
        return FileEncoding::Utf8Bom;
    }
    return FileEncoding::Gbk;
}

std::string encodeFileText(std::string_view utf8) {
    switch (fileEncodingFor(utf8)) {
        case FileEncoding::Ascii:
            return std::string(utf8);
        case FileEncoding::Gbk:
            return utf8ToGbk(utf8);
        case FileEncoding::Utf8Bom:
            break;
    }
    std::string out(kUtf8Bom);
    out += utf8;
    return out;
}

namespace {

// Every character past ASCII is a two-byte sequence (U+0080 to U+07FF: Latin, Greek, Cyrillic),
// as GBK pairs such as 位 (CE BB) or 前 (C7 B0) read; a Chinese UTF-8 text has three-byte ones.
bool onlyTwoByteSequences(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = utf8SequenceAt(bytes, i);
        if (len > 2 || len == 0) return false;
        i += len;
    }
    return true;
}

}  // namespace

bool folderHoldsGbkText(const std::filesystem::path& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext != ".txt" && ext != ".fwn" && ext != ".ct3") continue;
        std::error_code sizeError;
        if (!entry.is_regular_file(sizeError) || entry.file_size(sizeError) > (1u << 20)) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        if (bytes.starts_with(kUtf8Bom) || isAscii(bytes)) continue;
        // Bytes that are no UTF-8 and read as GBK without a replacement: an older GBK file.
        if (!isValidUtf8(bytes) && gbkToUtf8(bytes).find("\xEF\xBF\xBD") == std::string::npos)
            return true;
    }
    return false;
}

bool detectorSaysGbk(std::string_view bytes) {
    uchardet_t detector = uchardet_new();
    if (detector == nullptr) return false;
    bool gbk = false;
    if (uchardet_handle_data(detector, bytes.data(), bytes.size()) == 0) {
        uchardet_data_end(detector);
        // An empty name is the detector's "not sure"; only a sure Chinese verdict counts.
        const std::string name = uchardet_get_charset(detector);
        gbk = name == "GB18030" || name == "GBK" || name == "GB2312";
    }
    uchardet_delete(detector);
    return gbk;
}

std::string decodeFileText(std::string_view bytes, bool folderSaysGbk) {
    // The mark says UTF-8; what is not (a damaged or patched file) becomes U+FFFD, so the text
    // stays UTF-8 whatever the bytes.
    if (bytes.starts_with(kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
        if (bytes.ends_with('\x1A')) bytes.remove_suffix(1);
        return withReplacementCharacters(bytes);
    }
    // An editor's "Unicode" (UTF-16 with its mark) would otherwise read as no text at all.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool little = bytes[0] == '\xFF';
        Converter conv("UTF-8", little ? "UTF-16LE" : "UTF-16BE");
        return conv.run(bytes.substr(2), "\xEF\xBF\xBD", [](std::string_view rest) {
            return std::min<std::size_t>(2, rest.size());
        });
    }
    // A DOS end-of-file byte closes the text; it is no part of it.
    if (bytes.ends_with('\x1A')) bytes.remove_suffix(1);
    if (isAscii(bytes)) return std::string(bytes);
    if (isValidUtf8(bytes)) {
        if (detectorSaysGbk(bytes) || (folderSaysGbk && onlyTwoByteSequences(bytes))) {
            std::string text = gbkToUtf8(bytes);
            // A verdict that leaves bytes GBK cannot read was not a sure one.
            if (text.find("\xEF\xBF\xBD") == std::string::npos) return text;
        }
        return std::string(bytes);
    }
    return gbkToUtf8(bytes);
}

}  // namespace corvane

namespace corvane {

std::string decodeFolderFileText(std::string_view bytes, const std::filesystem::path& folder) {
    // The folder is read only for a file the detector leaves in doubt.
    const bool doubtful = !folder.empty() && !bytes.starts_with(kUtf8Bom) && !isAscii(bytes) &&
                          isValidUtf8(bytes) && onlyTwoByteSequences(bytes);
    return decodeFileText(bytes, doubtful && folderHoldsGbkText(folder));
}

}  // namespace corvane
