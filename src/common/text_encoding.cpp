// GBK <-> UTF-8 through glibc iconv, the charset guess through uchardet; undecodable bytes never
// stop a read or a write.
#include "common/text_encoding.h"

#include <iconv.h>
#include <uchardet.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace corvane {

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len;
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
            return false;
        }
        if (i + len > n) return false;
        for (int k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) return false;
        i += len;
    }
    return true;
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

std::string decodeFileText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) return std::string(bytes.substr(kUtf8Bom.size()));
    // An editor's "Unicode" (UTF-16 with its mark) would otherwise read as no text at all.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool little = bytes[0] == '\xFF';
        Converter conv("UTF-8", little ? "UTF-16LE" : "UTF-16BE");
        return conv.run(bytes.substr(2), "\xEF\xBF\xBD", [](std::string_view rest) {
            return std::min<std::size_t>(2, rest.size());
        });
    }
    if (isAscii(bytes)) return std::string(bytes);
    if (isValidUtf8(bytes)) {
        if (detectorSaysGbk(bytes)) {
            std::string text = gbkToUtf8(bytes);
            // A verdict that leaves bytes GBK cannot read was not a sure one.
            if (text.find("\xEF\xBF\xBD") == std::string::npos) return text;
        }
        return std::string(bytes);
    }
    return gbkToUtf8(bytes);
}

}  // namespace corvane
