// The run-time error every handler traps: a classic error number with its description.
// Handlers report it as "Error encountered, Error Number <n>, <description>\r<label>".
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace corvane {

enum class ErrorNumber : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    FileAlreadyOpen = 55,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    InvalidPropertyValue = 380,
    CancelError = 32755,
};

// The classic description of an error number ("File not found" for 53).
std::string errorDescription(int number);

class RunError : public std::runtime_error {
public:
    explicit RunError(ErrorNumber number);
    RunError(ErrorNumber number, std::string detail);
    RunError(int number, std::string description);

    int number() const { return number_; }
    const std::string& description() const { return description_; }
    // What the operator needs besides the classic text (the reason a file or port failed);
    // empty for the plain classic errors.
    const std::string& detail() const { return detail_; }

private:
    int number_;
    std::string description_;
    std::string detail_;
};

// "Error encountered, Error Number 53, File not found\rModule 9, Load Data"
std::string errorReportText(int number, std::string_view description, std::string_view label);
std::string errorReportText(const RunError& error, std::string_view label);
// The report's text with the detail behind it (which file, what happened) on a line of its own;
// the text alone when there is no detail.
std::string withDetail(std::string text, std::string_view detail);

}  // namespace corvane
