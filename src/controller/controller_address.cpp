// The controller address as typed.
#include "controller/controller_address.h"

#include <charconv>

namespace corvane {

std::string ControllerAddress::text() const {
    return "grbl:" + device + (baud == kDefaultControllerBaud ? "" : "@" + std::to_string(baud));
}

std::optional<ControllerAddress> parseControllerAddress(std::string_view text, std::string* why) {
    auto fail = [&](const std::string& reason) -> std::optional<ControllerAddress> {
        if (why != nullptr) *why = reason;
        return std::nullopt;
    };
    constexpr std::string_view kPrefix = "grbl:";
    if (text.substr(0, kPrefix.size()) != kPrefix)
        return fail("a controller is named grbl:DEVICE[@BAUD], e.g. grbl:/dev/ttyUSB0@115200");
    text.remove_prefix(kPrefix.size());
    ControllerAddress address;
    const std::size_t at = text.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view baud = text.substr(at + 1);
        const auto result = std::from_chars(baud.data(), baud.data() + baud.size(), address.baud);
        if (result.ec != std::errc() || result.ptr != baud.data() + baud.size() ||
            address.baud <= 0)
            return fail("\"" + std::string(baud) + "\" is not a baud rate");
        text = text.substr(0, at);
    }
    if (text.empty()) return fail("the controller address names no device");
    address.device = std::string(text);
    return address;
}

}  // namespace corvane
