// The real dialogs behind the Dialogs interface: QMessageBox, QFileDialog, QInputDialog and
// QPrintDialog, each owned by the window the operator is in (the main window when none is) and
// handing the activation back to it as it closes. Filters in the common dialog's "desc|pattern"
// form are translated to Qt's.
#pragma once

#include "platform/gui/dialogs.h"

namespace corvane {

class QtDialogs : public Dialogs {
public:
    MsgAnswer message(const QString& text, const QString& title = QString(),
                      MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText = QString()) override;
    // Titled with the printer's document name ("打印" when it has none).
    bool choosePrinter(QPrinter& printer) override;
};

// "Cut Files (*.ct1)|*.ct1|All|*.*" -> "Cut Files (*.ct1) (*.ct1);;All (*.*)".
QString qtFileFilter(const QString& commonDialogFilter);

}  // namespace corvane
