#include "shell/gui/help_window.h"

#include <QScrollBar>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/gui/fitted_body.h"
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
    resize(sizeHint());
}

bool HelpWindow::open(const QString& helpFile, const QString& keyword, QString* error) {
    auto book = loadHelp(helpFile, error);
    if (!book) return false;
    browser_->setHtml(helpHtml(*book));
    const HelpTopic* topic = findTopic(*book, keyword);
    anchor_ = topic != nullptr ? topic->id : QString();
    if (anchor_.isEmpty())
        browser_->verticalScrollBar()->setValue(0);
    else if (isVisible())
        browser_->scrollToAnchor(anchor_);
    return true;
}

void HelpWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Opened, the help stands in the middle of the main window and inside it; moved by the
    // operator, it stays where it was put until it is closed.
    if (!event->spontaneous()) fitAndPlaceInFrame(*this, Placement::Centre);
    if (!anchor_.isEmpty()) {
        browser_->document()->adjustSize();
        browser_->scrollToAnchor(anchor_);
    }
}

}  // namespace corvane
