// The toolbar of nearly every window: buttons by 1-based index (a separator takes its number),
// each with caption, description, key and tool tip; one click signal with the index; buttons
// enabled and re-captioned by index; visibility read and set by the window.
#pragma once

#include <QString>
#include <QToolBar>
#include <vector>

class QAction;

namespace corvane {

struct ToolbarButton {
    QString caption;
    QString description;
    QString key;
    QString toolTip;
    bool separator = false;
};

inline ToolbarButton toolbarSeparator() {
    return ToolbarButton{{}, {}, {}, {}, true};
}

class Toolbar : public QToolBar {
    Q_OBJECT
public:
    // objectName defaults to "asxToolbar1".
    explicit Toolbar(QWidget* parent = nullptr);

    // Replaces all buttons; index 1 is the first entry.
    void setButtons(const std::vector<ToolbarButton>& buttons);
    int buttonCount() const;
    const ToolbarButton& button(int index) const;

    void setButtonEnabled(int index, bool enabled);
    bool isButtonEnabled(int index) const;
    void setButtonCaption(int index, const QString& caption);
    QString buttonCaption(int index) const;
    // The action behind a button (null for a separator or an index out of range).
    QAction* action(int index) const;

    // Raises buttonClicked(index) as a click would (disabled buttons do nothing).
    void click(int index);

signals:
    void buttonClicked(int index);

private:
    std::vector<ToolbarButton> buttons_;
    std::vector<QAction*> actions_;
};

}  // namespace corvane
