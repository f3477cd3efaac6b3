// Airfoil coordinate files (.dat, .cor): numbers taken two at a time as the x and y of one
// point, separated by blanks, commas or line ends. A name line at the top is skipped; the one
// reader of the generators, the runners and the delay-point editor.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr const char* kDatFileNotFoundTitle = "DAT File not Found";
inline constexpr const char* kDatFileErrorTitle = "DAT File Error";
inline constexpr const char* kDatFileWarningTitle = "DAT File Warning";
inline constexpr const char* kDatMissingForGeneration =
    "DAT file must be entered to begin generation";
inline constexpr const char* kDatMissingForDelayPoints =
    "DAT file must be entered to add delay points";
inline constexpr const char* kDatCountsDiffer =
    "DAT files selected do not have the same number of lines. Edit DAT files and try again";

// A path field that is empty or holds only blanks.
bool isBlankPathField(std::string_view text);

// One profile: point k (1-based, as the messages count) is x[k-1], y[k-1].
struct Profile {
    std::vector<double> x, y;
    std::size_t size() const { return x.size(); }
};

// A file whose content is not pairs of numbers: the operator's message names the file and line.
class AirfoilFormatError : public std::runtime_error {
public:
    AirfoilFormatError(std::string message, std::size_t line)
        : std::runtime_error(message), line_(line) {}
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

// Parses a file's bytes. A leading UTF-8 byte-order mark is dropped; the first line is skipped
// when its first item is not a number (the usual name line). AirfoilFormatError naming
// `displayName` and the line for: any later item that is not a number, an x without its y, a
// value beyond 10 chords, and the point-count line of the two-surface layout (two whole
// numbers followed by a blank line), which never becomes a point.
Profile parseProfile(std::string_view bytes, const std::string& displayName);

// Count points (path): RunError FileNotFound when the file cannot be read.
std::size_t countPoints(const std::filesystem::path& path);

// Read profile (path): with a washout angle (degrees) each y becomes
// y + x * tan(angle * 0.0174532925), x unchanged.
Profile readProfile(const std::filesystem::path& path,
                    std::optional<double> washoutDegrees = std::nullopt);

}  // namespace corvane
