#include "shell/gui/about_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "build_version.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"

namespace corvane {

QStringList systemInfoToolNames() {
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor")};
}

QString findSystemInfoTool() {
    for (const QString& name : systemInfoToolNames()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return QString();
}

AboutWindow::AboutWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于    ") + kAppTitle);
    startTool = [](const QString& program) { return QProcess::startDetached(program, {}); };

    auto* title = new QLabel(kAppTitle, this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    // One version, the build's, as --version prints it.
    auto* version = new QLabel(QStringLiteral("Version " CORVANE_BUILD_VERSION), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setToolTip(QStringLiteral("The version of this build"));
    auto* description = new QLabel(
        QStringLiteral(
            "四轴电热丝泡沫切割机控制程序 - 公制版\nFour-axis hot-wire foam cutter control"),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    connect(sysInfo, &QPushButton::clicked, this, &AboutWindow::showSystemInfo);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(420, 220);
}

void AboutWindow::showAndActivate() {
    show();
    placeInFrame(*this, Placement::Centre);
    raise();
    activateWindow();
}

void AboutWindow::showSystemInfo() {
    const QString tool = locateTool ? locateTool() : QString();
    if (!tool.isEmpty() && startTool && startTool(tool)) return;
    dialogs_.message(QStringLiteral("System Information Is Unavailable At This Time"));
}

}  // namespace corvane
