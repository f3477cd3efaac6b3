#include "support/policy_texts.h"

#include "common/text_encoding.h"

namespace corvane::test {

namespace {

std::string utf8Of(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

std::vector<std::string> build(TextKind kind) {
    std::vector<std::string> out;
    switch (kind) {
        case TextKind::Ascii:
            for (char32_t c = 0x20; c < 0x7F; ++c) out.push_back(utf8Of(c));
            break;
        case TextKind::GbkOnly:
        case TextKind::GbkUtf8Valid:
            // Every third character of the CJK block, plus full-width punctuation.
            for (char32_t c = 0x4E00; c <= 0x9FA5; c += 3) {
                const std::string ch = utf8Of(c);
                if (!gbkCanHold(ch)) continue;
                const std::string gbk = utf8ToGbk(ch);
                if (gbkToUtf8(gbk) != ch) continue;
                if (isValidUtf8(gbk) == (kind == TextKind::GbkUtf8Valid)) out.push_back(ch);
            }
            if (kind == TextKind::GbkUtf8Valid) out.push_back(utf8Of(0x4F4D));  // 位
            if (kind == TextKind::GbkOnly) out.push_back(utf8Of(0xFF0C));       // ，
            break;
        case TextKind::NonGbk:
            for (char32_t c : {0x1F600, 0x1F6E9, 0xD55C, 0xAD6D, 0xC5B4, 0xEF, 0xF6, 0xE4, 0xDF,
                               0xF1, 0xB5, 0xD8, 0xB2, 0xBD, 0x2713, 0x20AC, 0x1E9E}) {
                const std::string ch = utf8Of(c);
                if (!gbkCanHold(ch)) out.push_back(ch);
            }
            break;
    }
    return out;
}

}  // namespace

const std::vector<std::string>& textKindAlphabet(TextKind kind) {
    static const std::vector<std::string> alphabets[] = {
        build(TextKind::Ascii), build(TextKind::GbkOnly), build(TextKind::GbkUtf8Valid),
        build(TextKind::NonGbk)};
    return alphabets[static_cast<int>(kind)];
}

std::string randomText(std::mt19937& rng, std::string_view excluded, bool mixed, TextKind kind) {
    std::uniform_int_distribution<int> length(1, 12), kinds(0, 3);
    std::string text;
    const int n = length(rng);
    for (int i = 0; i < n;) {
        const TextKind k = mixed ? kTextKinds[kinds(rng)] : kind;
        const std::vector<std::string>& alphabet = textKindAlphabet(k);
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        const std::string& ch = alphabet[pick(rng)];
        if (ch.size() == 1 && excluded.find(ch[0]) != std::string_view::npos) continue;
        text += ch;
        ++i;
    }
    return text;
}

}  // namespace corvane::test
