#include "generate/gui/cut_file_commands.h"

#include <filesystem>

#include "common/run_error.h"
#include "generate/cut_set_commands.h"
#include "generate/cut_set_layout.h"
#include "machine/workspace.h"

namespace corvane {

namespace {

std::filesystem::path chosenPath(const QString& answer) {
    return withCutExtension(std::filesystem::path(answer.toStdString()));
}

}  // namespace

FileDialogRequest cutFileDialogRequest(const Workspace& ws) {
    FileDialogRequest request;
    request.initialDir = QString::fromStdString(ws.appFolder().string());
    request.fileName = QString();
    request.defaultExt = QStringLiteral("ct1");
    request.title = QStringLiteral("保存切割文件");
    request.filter = QStringLiteral("CT1 File (*.CT1)|*.ct1|All (*.*)|*.*");
    request.flags = 6;
    return request;
}

bool runLoadCutFile(Workspace& ws, Dialogs& dialogs) {
    const QString answer = dialogs.openFile(cutFileDialogRequest(ws));
    if (answer.isEmpty()) return false;
    LoadOutcome outcome;
    try {
        outcome = loadCutSet(ws, chosenPath(answer));
    } catch (const std::exception& e) {
        reportError(dialogs, e, QString::fromUtf8(kLoadCutFileLabel));
        return false;
    }
    for (const UserMessage& m : outcome.messages)
        dialogs.message(QString::fromStdString(withDetail(m.text, m.detail)),
                        QString::fromStdString(m.title));
    return outcome.loaded;
}

SaveStepResult runSaveCutFile(Workspace& ws, Dialogs& dialogs, const QString& errorLabel) {
    for (;;) {
        const QString answer = dialogs.saveFile(cutFileDialogRequest(ws));
        if (answer.isEmpty()) return SaveStepResult::Cancelled;
        try {
            saveCutSet(ws.appFolder(), chosenPath(answer));
        } catch (const SaveRefused& e) {
            // Nothing was copied: say why and offer the dialog again.
            dialogs.message(QString::fromUtf8(e.what()), QString());
            continue;
        } catch (const std::exception& e) {
            reportError(dialogs, e, errorLabel);
            return SaveStepResult::Failed;
        }
        return SaveStepResult::Saved;
    }
}

}  // namespace corvane
