// The program's windows by their system name (Form9, Form14, ...): created on first use as
// modeless windows above the main window, reused while loaded, and unloaded together at
// shut-down. A name nobody registered opens nothing, so a window still being built is inert.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <map>

namespace corvane {

class WindowCatalog {
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;
    using Activate = std::function<void(QWidget&)>;

    // Windows are parented to `frame` (null in tests of a single window).
    explicit WindowCatalog(QWidget* frame) : frame_(frame) {}

    // `activate` shows the window modeless and runs its activation steps; the default shows,
    // raises and activates it.
    void add(const QString& name, Factory factory, Activate activate = {});
    // The usual case: a window class with showAndActivate(), else plain show().
    template <class W>
    void addWindow(const QString& name, std::function<W*(QWidget*)> make) {
        add(
            name, [make](QWidget* parent) -> QWidget* { return make(parent); },
            [](QWidget& w) {
                auto& window = static_cast<W&>(w);
                if constexpr (requires { window.showAndActivate(); })
                    window.showAndActivate();
                else
                    showModeless(window);
            });
    }

    bool has(const QString& name) const { return entries_.count(name) != 0; }
    QStringList names() const;

    // The loaded window, or null when it is not loaded (or unknown).
    QWidget* loaded(const QString& name) const;
    // Loads the window hidden when it is not loaded yet; null for an unknown name.
    QWidget* load(const QString& name);
    template <class W>
    W* load(const QString& name) {
        return qobject_cast<W*>(load(name));
    }
    // Loads and shows it modeless; null (and nothing happens) for an unknown name.
    QWidget* show(const QString& name);
    // The loaded windows in the order they were first loaded.
    QStringList loadedNames() const;

    // Unloads every loaded window, and the windows of the frame that other windows opened: each
    // gets its close (its own unload handling runs). Returns
    // false when one refused to close; with `force` the refusal is noted and the rest go on.
    bool unloadAll(bool force = false);

    static void showModeless(QWidget& window);

private:
    // Windows of the frame that no entry made: opened by other windows for their own use.
    QList<QPointer<QWidget>> openedByOthers() const;

    struct Entry {
        Factory factory;
        Activate activate;
        QPointer<QWidget> window;
        int order = 0;
    };
    QWidget* frame_;
    std::map<QString, Entry> entries_;
    int loads_ = 0;
};

}  // namespace corvane
