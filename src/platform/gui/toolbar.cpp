#include "platform/gui/toolbar.h"

#include <QAction>
#include <stdexcept>

namespace corvane {

Toolbar::Toolbar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("asxToolbar1"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void Toolbar::setButtons(const std::vector<ToolbarButton>& buttons) {
    // clear() only removes the actions; the old ones are ours to delete.
    const QList<QAction*> old = actions();
    clear();
    qDeleteAll(old);
    buttons_ = buttons;
    actions_.clear();
    actions_.reserve(buttons_.size());
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const ToolbarButton& b = buttons_[i];
        const int index = static_cast<int>(i) + 1;
        QAction* act = b.separator ? addSeparator() : addAction(b.caption);
        act->setObjectName(QStringLiteral("asxToolbarButton%1").arg(index));
        if (!b.separator) {
            act->setToolTip(b.toolTip.isEmpty() ? b.caption : b.toolTip);
            act->setStatusTip(b.description);
            act->setWhatsThis(b.description);
            act->setData(b.key);
            connect(act, &QAction::triggered, this, [this, index] { emit buttonClicked(index); });
        }
        actions_.push_back(act);
    }
}

int Toolbar::buttonCount() const {
    return static_cast<int>(buttons_.size());
}

const ToolbarButton& Toolbar::button(int index) const {
    if (index < 1 || index > buttonCount())
        throw std::out_of_range("toolbar button index out of range");
    return buttons_[static_cast<size_t>(index - 1)];
}

QAction* Toolbar::action(int index) const {
    if (index < 1 || index > buttonCount()) return nullptr;
    if (buttons_[static_cast<size_t>(index - 1)].separator) return nullptr;
    return actions_[static_cast<size_t>(index - 1)];
}

void Toolbar::setButtonEnabled(int index, bool enabled) {
    if (QAction* act = action(index)) act->setEnabled(enabled);
}

bool Toolbar::isButtonEnabled(int index) const {
    QAction* act = action(index);
    return act != nullptr && act->isEnabled();
}

void Toolbar::setButtonCaption(int index, const QString& caption) {
    QAction* act = action(index);
    if (act == nullptr) return;
    buttons_[static_cast<size_t>(index - 1)].caption = caption;
    act->setText(caption);
}

QString Toolbar::buttonCaption(int index) const {
    QAction* act = action(index);
    return act != nullptr ? act->text() : QString();
}

void Toolbar::click(int index) {
    QAction* act = action(index);
    if (act != nullptr && act->isEnabled()) act->trigger();
}

}  // namespace corvane
