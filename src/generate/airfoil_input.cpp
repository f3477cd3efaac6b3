// Reading airfoil coordinate files.
#include "generate/airfoil_input.h"

#include <charconv>
#include <cmath>

#include "common/file_io.h"
#include "common/run_error.h"

namespace corvane {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool parseNumber(std::string_view item, double& value) {
    if (!item.empty() && item.front() == '+') item.remove_prefix(1);
    if (item.empty()) return false;
    auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
    return ec == std::errc() && end == item.data() + item.size() && std::isfinite(value);
}

// Walks the items of a file: an item ends at a blank, a comma or the line end.
class ItemScanner {
public:
    explicit ItemScanner(std::string_view bytes) : text_(bytes) {}

    // The next item and its 1-based line; false at the end.
    bool next(std::string_view& item, std::size_t& line) {
        bool sawComma = false;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                sawComma = false;
            } else if (c == ',') {
                // Two commas in a row leave an empty item between them.
                if (sawComma) {
                    item = {};
                    line = line_;
                    ++pos_;
                    return true;
                }
                sawComma = true;
            } else if (!isSpace(c)) {
                break;
            }
            ++pos_;
        }
        if (pos_ >= text_.size()) return false;
        std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\n' &&
               !isSpace(text_[pos_]))
            ++pos_;
        item = text_.substr(start, pos_ - start);
        line = line_;
        return true;
    }

    // Nothing but blanks up to the end of the current line.
    bool restOfLineBlank() const {
        std::size_t p = pos_;
        while (p < text_.size() && text_[p] != '\n' && isSpace(text_[p])) ++p;
        return p >= text_.size() || text_[p] == '\n';
    }

    // The line after the current one holds nothing but blanks.
    bool nextLineBlank() const {
        std::size_t p = text_.find('\n', pos_);
        if (p == std::string_view::npos) return false;
        ++p;
        while (p < text_.size() && text_[p] != '\n' && isSpace(text_[p])) ++p;
        return p < text_.size() && text_[p] == '\n';
    }

    void skipLine() {
        std::size_t nl = text_.find('\n', pos_);
        pos_ = nl == std::string_view::npos ? text_.size() : nl + 1;
        ++line_;
    }

    bool firstItemIsNumber() const {
        ItemScanner probe = *this;
        std::string_view item;
        std::size_t line = 0;
        double v = 0;
        return !probe.next(item, line) || line != 1 || parseNumber(item, v);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

// Coordinates are fractions of the chord: anything this far out is not a profile point, and
// scaled by the chord it would drive the carriages metres.
constexpr double kMaxChords = 10;

constexpr const char* kTwoSurfaceRefusal =
    " holds the point counts of the two-surface layout (each surface from the leading edge to "
    "the trailing edge). Convert the file with Prepare Airfoils (corvane-cli airfoil prepare) "
    "and try again";

// The two-surface layout starts with a line of two whole numbers (the surface point counts)
// followed by a blank line; its line number, or nullopt for any other file.
std::optional<std::size_t> twoSurfaceCountLine(const ItemScanner& at) {
    ItemScanner probe = at;
    std::string_view a, b;
    std::size_t lineA = 0, lineB = 0;
    double va = 0, vb = 0;
    if (!probe.next(a, lineA) || !probe.next(b, lineB) || lineA != lineB) return std::nullopt;
    if (!parseNumber(a, va) || !parseNumber(b, vb)) return std::nullopt;
    if (va < 2 || vb < 2 || va != std::floor(va) || vb != std::floor(vb)) return std::nullopt;
    if (!probe.restOfLineBlank() || !probe.nextLineBlank()) return std::nullopt;
    return lineA;
}

// The file's bytes; a file that cannot be read is error 53 naming the path.
std::string readNamed(const std::filesystem::path& path) {
    try {
        return readFileBytes(path);
    } catch (const RunError& e) {
        if (!e.detail().empty()) throw;
        throw RunError(static_cast<ErrorNumber>(e.number()), path.string());
    }
}

}  // namespace

bool isBlankPathField(std::string_view text) {
    for (char c : text) {
        if (c != ' ' && c != '\t') return false;
    }
    return true;
}

Profile parseProfile(std::string_view bytes, const std::string& displayName) {
    // Some editors put a byte-order mark in front; left there it would spoil the first number
    // and make the first point pass for a name line.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    Profile profile;
    ItemScanner scanner(bytes);
    if (!scanner.firstItemIsNumber()) scanner.skipLine();
    if (auto countLine = twoSurfaceCountLine(scanner)) {
        throw AirfoilFormatError(
            "DAT file " + displayName + ": line " + std::to_string(*countLine) + kTwoSurfaceRefusal,
            *countLine);
    }
    std::string_view item;
    std::size_t line = 0;
    std::size_t xLine = 0;
    bool haveX = false;
    double x = 0;
    while (scanner.next(item, line)) {
        double value = 0;
        if (!parseNumber(item, value)) {
            throw AirfoilFormatError("DAT file " + displayName + ": \"" + std::string(item) +
                                         "\" on line " + std::to_string(line) +
                                         " is not a number. Edit the DAT file and try again",
                                     line);
        }
        if (std::fabs(value) > kMaxChords) {
            throw AirfoilFormatError("DAT file " + displayName + ": the value " +
                                         std::string(item) + " on line " + std::to_string(line) +
                                         " lies more than 10 chords out. Coordinates are "
                                         "fractions of the chord. Edit the DAT file and try again",
                                     line);
        }
        if (!haveX) {
            x = value;
            xLine = line;
            haveX = true;
        } else {
            profile.x.push_back(x);
            profile.y.push_back(value);
            haveX = false;
        }
    }
    if (haveX) {
        throw AirfoilFormatError("DAT file " + displayName + ": the x on line " +
                                     std::to_string(xLine) +
                                     " has no y after it. Edit the DAT file and try again",
                                 xLine);
    }
    return profile;
}

std::size_t countPoints(const std::filesystem::path& path) {
    return parseProfile(readNamed(path), path.string()).size();
}

Profile readProfile(const std::filesystem::path& path, std::optional<double> washoutDegrees) {
    Profile profile = parseProfile(readNamed(path), path.string());
    if (washoutDegrees) {
        double slope = std::tan(*washoutDegrees * 0.0174532925);
        for (std::size_t k = 0; k < profile.size(); ++k)
            profile.y[k] = profile.y[k] + profile.x[k] * slope;
    }
    return profile;
}

}  // namespace corvane
