#include "shell/gui/desktop_links.h"

#include <QFileInfo>

#include "platform/app_folder.h"

namespace corvane {

#ifndef CORVANE_HOME_URL
#define CORVANE_HOME_URL ""
#endif
#ifndef CORVANE_SUPPORT_URL
#define CORVANE_SUPPORT_URL ""
#endif

QUrl websiteUrl() {
    return QUrl(QString::fromUtf8(CORVANE_HOME_URL));
}

QUrl supportUrl() {
    return QUrl(QString::fromUtf8(CORVANE_SUPPORT_URL));
}

QString portscopePath(const std::filesystem::path& appFolder) {
    for (const std::filesystem::path& dir : {appFolder, executableDir()}) {
        const QFileInfo info(QString::fromStdString((dir / "portscope").string()));
        if (info.isFile() && info.isExecutable()) return info.absoluteFilePath();
    }
    return QString();
}

}  // namespace corvane
