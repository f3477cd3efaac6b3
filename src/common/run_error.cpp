// The classic error numbers with their descriptions, and the one text every handler shows.
#include "common/run_error.h"

namespace corvane {

std::string errorDescription(int number) {
    switch (number) {
        case 3:
            return "Return without GoSub";
        case 5:
            return "Invalid procedure call or argument";
        case 6:
            return "Overflow";
        case 7:
            return "Out of memory";
        case 9:
            return "Subscript out of range";
        case 10:
            return "This array is fixed or temporarily locked";
        case 11:
            return "Division by zero";
        case 13:
            return "Type mismatch";
        case 14:
            return "Out of string space";
        case 28:
            return "Out of stack space";
        case 35:
            return "Sub or Function not defined";
        case 48:
            return "Error in loading DLL";
        case 51:
            return "Internal error";
        case 52:
            return "Bad file name or number";
        case 53:
            return "File not found";
        case 54:
            return "Bad file mode";
        case 55:
            return "File already open";
        case 57:
            return "Device I/O error";
        case 58:
            return "File already exists";
        case 61:
            return "Disk full";
        case 62:
            return "Input past end of file";
        case 67:
            return "Too many files";
        case 68:
            return "Device unavailable";
        case 70:
            return "Permission denied";
        case 71:
            return "Disk not ready";
        case 75:
            return "Path/File access error";
        case 76:
            return "Path not found";
        case 91:
            return "Object variable or With block variable not set";
        case 94:
            return "Invalid use of Null";
        case 380:
            return "Invalid property value";
        case 32755:
            return "Cancel was selected.";
        default:
            return "Application-defined or object-defined error";
    }
}

namespace {
std::string whatText(int number, const std::string& description, const std::string& detail) {
    std::string text = "Error " + std::to_string(number) + ", " + description;
    if (!detail.empty()) text += ": " + detail;
    return text;
}
}  // namespace

RunError::RunError(ErrorNumber number)
    : RunError(static_cast<int>(number), errorDescription(static_cast<int>(number))) {}

RunError::RunError(ErrorNumber number, std::string detail)
    : std::runtime_error(
          whatText(static_cast<int>(number), errorDescription(static_cast<int>(number)), detail)),
      number_(static_cast<int>(number)),
      description_(errorDescription(static_cast<int>(number))),
      detail_(std::move(detail)) {}

RunError::RunError(int number, std::string description)
    : std::runtime_error(whatText(number, description, {})),
      number_(number),
      description_(std::move(description)) {}

std::string errorReportText(int number, std::string_view description, std::string_view label) {
    std::string text = "Error encountered, Error Number ";
    text += std::to_string(number);
    text += ", ";
    text += description;
    text += '\r';
    text += label;
    return text;
}

std::string withDetail(std::string text, std::string_view detail) {
    if (!detail.empty()) {
        text += '\r';
        text += detail;
    }
    return text;
}

std::string errorReportText(const RunError& error, std::string_view label) {
    return errorReportText(error.number(), error.description(), label);
}

}  // namespace corvane
