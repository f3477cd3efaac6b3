// The main window's LoadCutFile and SaveCutFile commands and the generators' save step: the
// common dialog of cut-file sets, then the core's load or save of the set, messages shown in
// order.
#pragma once

#include <QString>

#include "platform/gui/dialogs.h"

namespace corvane {

class Workspace;

// The dialog of all three commands: application folder, no name, extension "ct1", title
// "保存切割文件", filter "CT1 File (*.CT1)|*.ct1|All (*.*)|*.*", flags 6.
FileDialogRequest cutFileDialogRequest(const Workspace& ws);

// LoadCutFile: Open dialog, then the set over the working set (or its refusal message).
// Cancel changes nothing. True when the working set was replaced.
bool runLoadCutFile(Workspace& ws, Dialogs& dialogs);

enum class SaveStepResult { Saved, Cancelled, Failed };

// SaveCutFile and the generators' save step: Save dialog, then the working set copied under the
// chosen name (name.ct1 with name.ct2 and name.ct3). Cancel copies nothing. A name of the
// program's own files is refused with a message and the dialog comes again. A copy that fails
// is reported with `errorLabel`. `suggestedName` (when given) stands in the dialog's name box;
// `savedAs` (when given) receives the step file's path of a saved set.
[[nodiscard]] SaveStepResult runSaveCutFile(
    Workspace& ws, Dialogs& dialogs, const QString& errorLabel = QStringLiteral("Module Main, SCF"),
    const QString& suggestedName = QString(), QString* savedAs = nullptr);

}  // namespace corvane
