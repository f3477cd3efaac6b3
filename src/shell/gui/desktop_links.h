// The program's ways out to the desktop: the maker's web pages (opened by the desktop's URL
// opener) and portscope, started from the application folder and left to run on its own.
#pragma once

#include <QString>
#include <QUrl>
#include <filesystem>

namespace corvane {

// The maker's home page and its support page ("/support.htm").
QUrl websiteUrl();
QUrl supportUrl();

// Where portscope is started from: the application folder, else beside this executable.
// Empty when neither holds it.
QString portscopePath(const std::filesystem::path& appFolder);

}  // namespace corvane
