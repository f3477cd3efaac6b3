#include "shell/gui/window_catalog.h"

#include <algorithm>
#include <vector>

namespace corvane {

void WindowCatalog::add(const QString& name, Factory factory, Activate activate) {
    Entry& entry = entries_[name];
    entry.factory = std::move(factory);
    entry.activate = activate ? std::move(activate) : Activate(showModeless);
}

QStringList WindowCatalog::names() const {
    QStringList out;
    for (const auto& [name, entry] : entries_) out << name;
    return out;
}

QWidget* WindowCatalog::loaded(const QString& name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : it->second.window.data();
}

QWidget* WindowCatalog::load(const QString& name) {
    auto it = entries_.find(name);
    if (it == entries_.end()) return nullptr;
    Entry& entry = it->second;
    if (entry.window.isNull()) {
        QWidget* window = entry.factory(frame_);
        if (window == nullptr) return nullptr;
        // A window of its own above the frame, never a child drawn inside it.
        if (!window->isWindow()) window->setWindowFlag(Qt::Window, true);
        if (window->objectName().isEmpty()) window->setObjectName(name);
        entry.window = window;
        entry.order = ++loads_;
    }
    return entry.window.data();
}

QWidget* WindowCatalog::show(const QString& name) {
    QWidget* window = load(name);
    if (window == nullptr) return nullptr;
    entries_[name].activate(*window);
    return window;
}

QStringList WindowCatalog::loadedNames() const {
    std::vector<std::pair<int, QString>> loadedOnes;
    for (const auto& [name, entry] : entries_)
        if (!entry.window.isNull()) loadedOnes.emplace_back(entry.order, name);
    std::sort(loadedOnes.begin(), loadedOnes.end());
    QStringList out;
    for (const auto& item : loadedOnes) out << item.second;
    return out;
}

QList<QPointer<QWidget>> WindowCatalog::openedByOthers() const {
    QList<QPointer<QWidget>> out;
    if (frame_ == nullptr) return out;
    for (QWidget* w : frame_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isWindow() || w->inherits("QDialog") || w->inherits("QMenu")) continue;
        const bool tracked = std::any_of(entries_.begin(), entries_.end(),
                                         [w](const auto& e) { return e.second.window == w; });
        if (!tracked) out << w;
    }
    return out;
}

bool WindowCatalog::unloadAll(bool force) {
    bool all = true;
    auto unload = [&](QPointer<QWidget> window) {
        if (window.isNull() || window->close()) return true;
        all = false;
        if (force) window->hide();
        return force;
    };
    // Windows that another window opened (the delay editor of a generation window) go first,
    // so each runs its own unload, save question included, before its opener.
    for (const QPointer<QWidget>& window : openedByOthers())
        if (!unload(window)) return false;
    // Then the most recently loaded first, so a window opened from another goes before it.
    QStringList order = loadedNames();
    std::reverse(order.begin(), order.end());
    for (const QString& name : order)
        if (!unload(entries_[name].window)) return false;
    return all;
}

void WindowCatalog::showModeless(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace corvane
