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

namespace {

// A text the operator may leave empty (no code); nullopt on Cancel.
std::optional<QString> askText(Dialogs& dialogs, const QString& prompt, const QString& title,
                               const QString& initial) {
    std::optional<QString> answer = dialogs.input(prompt, title, initial);
    if (!answer) return std::nullopt;
    return answer->trimmed();
}

// A number of at least 0, asked again until it is one; nullopt on Cancel or an empty answer.
std::optional<double> askMilliseconds(Dialogs& dialogs, const QString& prompt, const QString& title,
                                      const QString& initial) {
    for (;;) {
        const std::optional<QString> answer = dialogs.input(prompt, title, initial);
        if (!answer || answer->trimmed().isEmpty()) return std::nullopt;
        bool ok = false;
        const double value = answer->trimmed().toDouble(&ok);
        if (ok && value >= 0 && value <= 3600000) return value;
        dialogs.message(QStringLiteral("Invalid entry, enter a number of milliseconds, 0 or more"));
    }
}

}  // namespace

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

    // The wire codes and dwells, as corvane-cli export gcode takes them.
    const std::optional<QString> wireOn =
        askText(dialogs,
                QStringLiteral("Code that heats the wire, with its power word where the controller "
                               "needs one (empty: none)."),
                title, QStringLiteral("M3 S%1").arg(kDefaultWirePower));
    if (!wireOn) return false;
    const std::optional<QString> wireOff =
        askText(dialogs, QStringLiteral("Code that switches the wire off (empty: none)."), title,
                QStringLiteral("M5"));
    if (!wireOff) return false;
    const std::optional<double> pauseMs =
        askMilliseconds(dialogs, QStringLiteral("Dwell at each delay point, milliseconds."), title,
                        QStringLiteral("1"));
    if (!pauseMs) return false;
    const std::optional<double> preheatMs = askMilliseconds(
        dialogs,
        QStringLiteral("Preheat: dwell after the wire-on code before the first move, "
                       "milliseconds."),
        title, QStringLiteral("0"));
    if (!preheatMs) return false;

    FileDialogRequest request;
    request.initialDir = QString::fromStdString(ws.appFolder().string());
    request.defaultExt = *axes == GcodeAxes::XYUV ? QStringLiteral("ngc") : QStringLiteral("gcode");
    request.title = title;
    request.filter = QStringLiteral("G-code (*.ngc;*.gcode;*.nc)|*.ngc;*.gcode;*.nc|All (*.*)|*.*");
    request.flags = 6;
    const QString file = dialogs.saveFile(request);
    if (file.isEmpty()) return false;

    // The speed the wing runner would cut at.
    GcodeOptions options;
    options.axes = *axes;
    options.speed = cuttingSpeed(ws, std::nullopt).speed;
    options.wireOn = wireOn->toStdString();
    options.wireOff = wireOff->toStdString();
    options.wirePower = 0;  // the operator's wire-on text stands as typed
    options.pauseMs = *pauseMs;
    options.preheatMs = *preheatMs;
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
