// A small private-profile file: sections and keys compare without case, blanks around keys and
// values do not count, lines starting with ";" are comments.
#include "portscope/parport_ini.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/run_error.h"
#include "common/text_encoding.h"

namespace portscope {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "misc";

std::string trim(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return std::string(s.substr(a, b - a));
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// "[name]" -> name
std::optional<std::string> sectionOf(const std::string& line) {
    const std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']')
        return trim(t.substr(1, t.size() - 2));
    return std::nullopt;
}

std::optional<std::pair<std::string, std::string>> keyValueOf(const std::string& line) {
    const std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return std::nullopt;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return std::make_pair(trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
}

// A whole integer: decimal with an optional sign, or hexadecimal after "0x" or "$".
std::optional<long long> integerOf(const std::string& text) {
    if (text.empty()) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    int radix = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        radix = 16;
        i += 2;
    } else if (i < text.size() && text[i] == '$') {
        radix = 16;
        i += 1;
    }
    if (i >= text.size() || text.size() - i > 10) return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str() + i, &end, radix);
    if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    const long long result = negative ? -value : value;
    if (result < -2147483648LL || result > 4294967295LL) return std::nullopt;
    return result;
}

std::vector<std::pair<std::string, long long>> keyValues(const ScopeSettings& s) {
    return {{"HighColor", s.highColor},
            {"LowColor", s.lowColor},
            {"Left", s.left},
            {"Top", s.top},
            {"Port", s.port},
            {"Connector", s.connector},
            {"SampleRate", s.sampleRate},
            {"Beeps", s.beeps},
            {"OnTop", s.onTop ? 1 : 0},
            {"DisableCon", s.disableCon ? 1 : 0},
            {"SampleBlink", s.sampleBlink ? 1 : 0},
            {"BitSetLeft", s.bitSetLeft},
            {"BitSetTop", s.bitSetTop}};
}

}  // namespace

fs::path settingsPath() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr && home[0] != '\0' ? home : ".") / ".config";
    }
    return base / "portscope" / "parport.ini";
}

ScopeSettings readSettings(const fs::path& path, const ScopeSettings& defaults) {
    ScopeSettings s = defaults;
    std::string text;
    try {
        text = corvane::decodeFileText(corvane::readFileBytes(path));
    } catch (const corvane::RunError&) {
        return s;
    }
    bool inMisc = false;
    for (const std::string& line : splitLines(text)) {
        if (auto section = sectionOf(line)) {
            inMisc = sameName(*section, kSection);
            continue;
        }
        if (!inMisc) continue;
        auto kv = keyValueOf(line);
        if (!kv) continue;
        const auto v = integerOf(kv->second);
        if (!v) continue;
        const std::string& k = kv->first;
        const long long n = *v;
        const auto asInt = [&](int* field) {
            if (n >= -2147483648LL && n <= 2147483647LL) *field = static_cast<int>(n);
        };
        if (sameName(k, "HighColor"))
            s.highColor = static_cast<uint32_t>(n) & 0xFFFFFF;
        else if (sameName(k, "LowColor"))
            s.lowColor = static_cast<uint32_t>(n) & 0xFFFFFF;
        else if (sameName(k, "Left"))
            asInt(&s.left);
        else if (sameName(k, "Top"))
            asInt(&s.top);
        else if (sameName(k, "Port"))
            s.port = n >= 0 && n <= 0xFFFF ? static_cast<int>(n) : s.port;
        else if (sameName(k, "Connector"))
            s.connector = n == 0 || n == 1 ? static_cast<int>(n) : s.connector;
        else if (sameName(k, "SampleRate"))
            s.sampleRate = n >= 0 && n < static_cast<long long>(sampleRates().size())
                               ? static_cast<int>(n)
                               : s.sampleRate;
        else if (sameName(k, "Beeps"))
            s.beeps = static_cast<int>(n & 7);
        else if (sameName(k, "OnTop"))
            s.onTop = n != 0;
        else if (sameName(k, "DisableCon"))
            s.disableCon = n != 0;
        else if (sameName(k, "SampleBlink"))
            s.sampleBlink = n != 0;
        else if (sameName(k, "BitSetLeft"))
            asInt(&s.bitSetLeft);
        else if (sameName(k, "BitSetTop"))
            asInt(&s.bitSetTop);
    }
    return s;
}

void writeSettings(const fs::path& path, const ScopeSettings& settings) {
    // A file the operator made read-only stays as it is (replacing it would not ask the mode,
    // and root may write anything).
    std::error_code modeError;
    const fs::file_status status = fs::status(path, modeError);
    const fs::perms writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (!modeError && fs::is_regular_file(status) &&
        (status.permissions() & writable) == fs::perms::none)
        throw std::runtime_error(path.string() + " is read-only and was left as it was");
    std::vector<std::string> lines;
    try {
        // The lines it keeps (comments, other sections) come back in the text they were.
        lines = splitLines(corvane::decodeFileText(corvane::readFileBytes(path)));
    } catch (const corvane::RunError&) {
    }
    auto values = keyValues(settings);
    std::vector<bool> written(values.size(), false);
    auto line = [&](size_t i) { return values[i].first + "=" + std::to_string(values[i].second); };

    // Replace the keys where they stand, then add the missing ones at the end of the section.
    std::optional<size_t> sectionEnd;
    bool inMisc = false;
    for (size_t n = 0; n < lines.size(); ++n) {
        if (auto section = sectionOf(lines[n])) {
            inMisc = sameName(*section, kSection);
            if (inMisc) sectionEnd = n + 1;
            continue;
        }
        if (!inMisc) continue;
        if (!trim(lines[n]).empty()) sectionEnd = n + 1;
        auto kv = keyValueOf(lines[n]);
        if (!kv) continue;
        for (size_t i = 0; i < values.size(); ++i) {
            if (sameName(kv->first, values[i].first)) {
                lines[n] = written[i] ? std::string() : line(i);
                written[i] = true;
            }
        }
    }
    std::vector<std::string> missing;
    for (size_t i = 0; i < values.size(); ++i)
        if (!written[i]) missing.push_back(line(i));
    if (!sectionEnd) {
        if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[misc]");
        sectionEnd = lines.size();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), missing.begin(),
                 missing.end());

    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    std::error_code ec;
    if (!path.parent_path().empty()) fs::create_directories(path.parent_path(), ec);
    corvane::writeFileAtomic(path, corvane::encodeFileText(text));
}

}  // namespace portscope
