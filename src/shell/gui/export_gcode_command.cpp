#include "shell/gui/export_gcode_command.h"

#include <exception>

#include "common/file_io.h"
#include "common/number_format.h"
#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "simulate/gcode_export.h"
#include "simulate/simulation.h"

namespace corvane {

bool runExportGcode(Workspace& ws, Dialogs& dialogs) {
    const QString title = QString::fromUtf8(kExportGcodeTitle);
    std::optional<Simulation> sim;
    try {
        sim = simulateSet(ws, workingSetPaths(ws.appFolder()));
    } catch (const RunError& e) {
        reportError(dialogs, e, QString::fromUtf8(kExportGcodeLabel));
        return false;
    }

    std::optional<GcodeAxes> axes;
    while (!axes) {
        const std::optional<QString> answer = dialogs.input(
            QStringLiteral("Axes of the G-code: XYUV for LinuxCNC, XYZA for GRBL-family "
                           "4-axis boards."),
            title, QStringLiteral("XYUV"));
        if (!answer || answer->trimmed().isEmpty()) return false;
        axes = parseGcodeAxes(answer->trimmed().toStdString());
        if (!axes) dialogs.message(QStringLiteral("Invalid entry, the axes must be XYUV or XYZA"));
    }

    FileDialogRequest request;
    request.initialDir = QString::fromStdString(ws.appFolder().string());
    request.defaultExt = *axes == GcodeAxes::XYUV ? QStringLiteral("ngc") : QStringLiteral("gcode");
    request.title = title;
    request.filter = QStringLiteral("G-code (*.ngc;*.gcode;*.nc)|*.ngc;*.gcode;*.nc|All (*.*)|*.*");
    request.flags = 6;
    const QString file = dialogs.saveFile(request);
    if (file.isEmpty()) return false;

    // The speed the wing runner would cut at; the delay value is the runner's first one, 1 ms.
    GcodeOptions options;
    options.axes = *axes;
    options.speed = cuttingSpeed(ws, std::nullopt).speed;
    options.pauseMs = 1;
    GcodeSummary summary;
    try {
        writeFileAtomic(file.toStdString(), gcodeProgram(*sim, options, &summary));
    } catch (const RunError& e) {
        reportError(dialogs, e, QString::fromUtf8(kExportGcodeLabel));
        return false;
    }
    std::string text = "G-code written to " + file.toStdString() + "\r" + gcodeAxesName(*axes) +
                       ", " + std::to_string(summary.moves) + " moves, " +
                       std::to_string(summary.dwells) + " dwells, " +
                       formatTwoDecimals(summary.seconds) + " s at " +
                       formatDouble(options.speed.toDouble()) + " mm/s";
    for (const std::string& w : sim->warnings) text += "\r" + w;
    dialogs.message(QString::fromStdString(text), title);
    return true;
}

}  // namespace corvane
