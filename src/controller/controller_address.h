// How the operator names a controller: `grbl:/dev/ttyUSB0` or `grbl:/dev/ttyUSB0@115200`.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr int kDefaultControllerBaud = 115200;

struct ControllerAddress {
    std::string device;
    int baud = kDefaultControllerBaud;
    std::string text() const;  // back in the form it is typed
};

// nullopt, with `why` filled, for anything but grbl:DEVICE[@BAUD].
[[nodiscard]] std::optional<ControllerAddress> parseControllerAddress(std::string_view text,
                                                                      std::string* why = nullptr);

}  // namespace corvane
