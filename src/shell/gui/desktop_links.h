// The program's ways out to the desktop: the maker's web pages (opened by the desktop's URL
// opener) and portscope, started from the application folder and left to run on its own.
#pragma once

#include <QString>
#include <QUrl>
#include <filesystem>

namespace corvane {

// The maker's home page and its support page, as the build names them (the CMake options
// CORVANE_HOME_URL and CORVANE_SUPPORT_URL); empty when the build names none, and the links
// then open the shipped help instead of guessing a host.
QUrl websiteUrl();
QUrl supportUrl();

enum class WebPage { Home, Support };

// The help topic a web link opens when its page is not configured ("" is the contents).
inline constexpr const char* kSupportHelpTopic = "support";

// Where portscope is started from: the application folder, else beside this executable.
// Empty when neither holds it.
QString portscopePath(const std::filesystem::path& appFolder);

}  // namespace corvane
