#include "shell/gui/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "shell/gui/help_file.h"

namespace corvane {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Corvane 帮助"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

bool HelpWindow::open(const QString& helpFile, const QString& keyword, QString* error) {
    auto book = loadHelp(helpFile, error);
    if (!book) return false;
    browser_->setHtml(helpHtml(*book));
    if (const HelpTopic* topic = findTopic(*book, keyword)) browser_->scrollToAnchor(topic->id);
    return true;
}

}  // namespace corvane
