// The comma-separated records of settings.txt, waypoint.txt, cut files, scripts and notes:
// texts in double quotes, Booleans as #TRUE#/#FALSE#, bare numbers, CR LF line ends.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvane {

// One value as read from a record file.
struct RecordValue {
    enum class Kind { Text, Boolean, Number };
    Kind kind = Kind::Text;
    std::string text;  // the value's text as written (without quotes), UTF-8
    bool boolean = false;
    double number = 0;
    bool quoted = false;  // the value stood in double quotes

    // Conversions used by fields: RunError TypeMismatch where the value cannot be one.
    double asNumber() const;
    bool asBoolean() const;      // a number is true when not 0
    std::string asText() const;  // numbers give their shortest form, Booleans "True"/"False"
};

// How a quoted value treats a double quote inside it. Settings, waypoints and cut files end the
// value at the next quote; notes write a quote of their text doubled ("") and read it back as
// one, so a note keeps its quotes (a file without quotes inside reads the same either way).
enum class Quotes { EndAtNext, DoubledIsOne };

// Reads values one after the other across commas and line ends.
// Leading blanks are skipped; "..." runs to the next quote; #TRUE#/#FALSE# are Booleans;
// any other value runs to the next comma or line end and is a number when it is one.
class RecordReader {
public:
    // Takes the file's bytes (GBK or UTF-8); values come out in UTF-8.
    explicit RecordReader(std::string_view fileBytes);
    // A file of `folder`: the folder's other files decide a text GBK and UTF-8 both read.
    RecordReader(std::string_view fileBytes, const std::filesystem::path& folder);

    bool atEnd() const;
    // RunError InputPastEndOfFile when nothing is left. A quoted value that never closes runs
    // to the end of the text.
    RecordValue next(Quotes quotes = Quotes::EndAtNext);
    // The rest of the current line as one text (Line Input): RunError InputPastEndOfFile at end.
    std::string nextLine();

private:
    void skipLineEnd();
    std::string text_;
    std::size_t pos_ = 0;
    bool afterComma_ = false;  // a separator was read: an empty value may follow
};

// Writes record lines: values separated by commas, each line ended by CR LF; the file's bytes
// follow the text policy (ASCII, GBK, or UTF-8 with a byte-order mark), so every text reads back
// exactly.
class RecordWriter {
public:
    RecordWriter& text(std::string_view utf8);  // "value"
    RecordWriter& boolean(bool value);          // #TRUE# / #FALSE#
    RecordWriter& number(double value);         // shortest double form
    RecordWriter& single(float value);          // shortest single form
    RecordWriter& integer(long long value);
    // "value" with each double quote inside doubled (read back with Quotes::DoubledIsOne).
    RecordWriter& textDoublingQuotes(std::string_view utf8);
    // Ends the line with CR LF.
    RecordWriter& endLine();
    // Everything written so far as the file's bytes.
    std::string bytes() const;

private:
    void separator();
    std::string out_;
    bool lineStarted_ = false;
};

}  // namespace corvane
