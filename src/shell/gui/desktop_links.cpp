#include "shell/gui/desktop_links.h"

#include <QFileInfo>

#include "platform/app_folder.h"

namespace corvane {

namespace {
const QString kHost = QStringLiteral("https://corvane.example.org");
}

QUrl websiteUrl() {
    return QUrl(kHost + QStringLiteral("/"));
}

QUrl supportUrl() {
    return QUrl(kHost + QStringLiteral("/support.htm"));
}

QString portscopePath(const std::filesystem::path& appFolder) {
    for (const std::filesystem::path& dir : {appFolder, executableDir()}) {
        const QFileInfo info(QString::fromStdString((dir / "portscope").string()));
        if (info.isFile() && info.isExecutable()) return info.absoluteFilePath();
    }
    return QString();
}

}  // namespace corvane
