// Random texts for the files' text policy: characters of four kinds, each chosen so that one
// branch of the policy (ASCII, GBK, UTF-8 with a byte-order mark) is the one taken.
#pragma once

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

enum class TextKind {
    Ascii,         // printable ASCII
    GbkOnly,       // GBK holds it and its GBK bytes are no UTF-8 ("中")
    GbkUtf8Valid,  // GBK holds it but its GBK bytes read as other UTF-8 ("位" -> "λ")
    NonGbk,        // GBK has no form for it (emoji, Korean, "ï", "Ø", "²")
};
inline constexpr TextKind kTextKinds[] = {TextKind::Ascii, TextKind::GbkOnly,
                                          TextKind::GbkUtf8Valid, TextKind::NonGbk};

// The characters of a kind, each as UTF-8; built once by asking iconv about the CJK block.
const std::vector<std::string>& textKindAlphabet(TextKind kind);

// A text of 1 to 12 characters: of `kind` alone, or (mixed) of all four kinds. Characters of
// `excluded` (ASCII) never appear, so each writer gets only what its format can carry.
std::string randomText(std::mt19937& rng, std::string_view excluded, bool mixed,
                       TextKind kind = TextKind::Ascii);

}  // namespace corvane::test
