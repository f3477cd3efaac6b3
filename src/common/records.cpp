// The comma-separated record reader and writer shared by every file of the program.
#include "common/records.h"

#include <algorithm>
#include <cctype>

#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "common/text_encoding.h"

namespace corvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

double RecordValue::asNumber() const {
    switch (kind) {
        case Kind::Number:
            return number;
        case Kind::Boolean:
            return boolean ? -1.0 : 0.0;
        case Kind::Text:
            if (text.empty() && !quoted) return 0;
            if (isWholeNumberText(text)) return leadingNumber(text);
            throw RunError(ErrorNumber::TypeMismatch);
    }
    return 0;
}

bool RecordValue::asBoolean() const {
    switch (kind) {
        case Kind::Boolean:
            return boolean;
        case Kind::Number:
            return number != 0;
        case Kind::Text:
            if (text.empty() && !quoted) return false;
            if (equalsNoCase(text, "True")) return true;
            if (equalsNoCase(text, "False")) return false;
            if (isWholeNumberText(text)) return leadingNumber(text) != 0;
            throw RunError(ErrorNumber::TypeMismatch);
    }
    return false;
}

std::string RecordValue::asText() const {
    switch (kind) {
        case Kind::Text:
            return text;
        case Kind::Boolean:
            return boolean ? "True" : "False";
        case Kind::Number:
            return formatDouble(number);
    }
    return text;
}

RecordReader::RecordReader(std::string_view fileBytes) : text_(decodeFileText(fileBytes)) {}

RecordReader::RecordReader(std::string_view fileBytes, const std::filesystem::path& folder)
    : text_(decodeFolderFileText(fileBytes, folder)) {}

bool RecordReader::atEnd() const {
    for (std::size_t i = pos_; i < text_.size(); ++i) {
        if (!isBlank(text_[i]) && !isLineEnd(text_[i])) return false;
    }
    return true;
}

void RecordReader::skipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

RecordValue RecordReader::next(Quotes quotes) {
    // Blank lines are skipped, and a line end after a comma is part of the same separator
    // (numbers spread over lines); a comma right after a comma is an empty value, and so is
    // the end of the text right after a comma.
    bool skippedLine = false;
    while (pos_ < text_.size() && (isBlank(text_[pos_]) || isLineEnd(text_[pos_]))) {
        skippedLine = skippedLine || isLineEnd(text_[pos_]);
        ++pos_;
    }
    if (pos_ >= text_.size() && (!afterComma_ || skippedLine)) {
        throw RunError(ErrorNumber::InputPastEndOfFile);
    }
    afterComma_ = false;

    RecordValue value;
    if (pos_ < text_.size() && text_[pos_] == '"') {
        std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string::npos) close = text_.size();
        value.text = text_.substr(pos_ + 1, close - pos_ - 1);
        // A doubled quote stands for one quote of the text; the value ends at a single one.
        while (quotes == Quotes::DoubledIsOne && close + 1 < text_.size() &&
               text_[close + 1] == '"') {
            std::size_t nextClose = text_.find('"', close + 2);
            if (nextClose == std::string::npos) nextClose = text_.size();
            value.text += '"';
            value.text += text_.substr(close + 2, nextClose - close - 2);
            close = nextClose;
        }
        value.quoted = true;
        pos_ = std::min(close + 1, text_.size());
        // Whatever stands between the closing quote and the separator is dropped.
        while (pos_ < text_.size() && text_[pos_] != ',' && !isLineEnd(text_[pos_])) ++pos_;
    } else {
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != ',' && !isLineEnd(text_[end])) ++end;
        std::size_t last = end;
        while (last > pos_ && isBlank(text_[last - 1])) --last;
        value.text = text_.substr(pos_, last - pos_);
        pos_ = end;
        if (value.text == "#TRUE#" || value.text == "#FALSE#") {
            value.kind = RecordValue::Kind::Boolean;
            value.boolean = value.text == "#TRUE#";
        } else if (isWholeNumberText(value.text)) {
            value.kind = RecordValue::Kind::Number;
            value.number = leadingNumber(value.text);
        }
    }
    if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        afterComma_ = true;
    } else {
        skipLineEnd();
    }
    return value;
}

std::string RecordReader::nextLine() {
    if (pos_ >= text_.size()) throw RunError(ErrorNumber::InputPastEndOfFile);
    afterComma_ = false;
    std::size_t end = pos_;
    while (end < text_.size() && !isLineEnd(text_[end])) ++end;
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end;
    skipLineEnd();
    return line;
}

void RecordWriter::separator() {
    if (lineStarted_) out_ += ',';
    lineStarted_ = true;
}

RecordWriter& RecordWriter::text(std::string_view utf8) {
    separator();
    // A double quote inside would end the value early on reading and shift every later value,
    // so it is written as a single quote.
    std::string value(utf8);
    std::replace(value.begin(), value.end(), '"', '\'');
    out_ += '"';
    out_ += value;
    out_ += '"';
    return *this;
}

RecordWriter& RecordWriter::textDoublingQuotes(std::string_view utf8) {
    separator();
    std::string value;
    value.reserve(utf8.size() + 2);
    for (char c : utf8) {
        value += c;
        if (c == '"') value += '"';
    }
    out_ += '"';
    out_ += value;
    out_ += '"';
    return *this;
}

RecordWriter& RecordWriter::boolean(bool value) {
    separator();
    out_ += value ? "#TRUE#" : "#FALSE#";
    return *this;
}

RecordWriter& RecordWriter::number(double value) {
    separator();
    out_ += formatDouble(value);
    return *this;
}

RecordWriter& RecordWriter::single(float value) {
    separator();
    out_ += formatSingle(value);
    return *this;
}

RecordWriter& RecordWriter::integer(long long value) {
    separator();
    out_ += std::to_string(value);
    return *this;
}

std::string RecordWriter::bytes() const {
    return encodeFileText(out_);
}

RecordWriter& RecordWriter::endLine() {
    out_ += "\r\n";
    lineStarted_ = false;
    return *this;
}

}  // namespace corvane
