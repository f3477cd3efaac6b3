// The help viewer: shows corvane.hlp from the application folder as a readable page with its
// contents list (the help command's keyword lookup; an empty keyword opens the contents).
#pragma once

#include <QWidget>

class QTextBrowser;

namespace corvane {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "HelpWindow", caption "Corvane 帮助".
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the book; false with the reason in `error` when the file cannot be shown.
    bool open(const QString& helpFile, const QString& keyword, QString* error);

    QTextBrowser* browser() const { return browser_; }

    // A page of text at a readable size (the browser alone asks for 256x192); the main window's
    // inner area bounds it.
    QSize sizeHint() const override { return {760, 640}; }

protected:
    // A topic asked for while hidden is scrolled to once the page is laid out.
    void showEvent(QShowEvent* event) override;

private:
    QTextBrowser* browser_;
    QString anchor_;
};

}  // namespace corvane
