// The main window's "Export G-code…": the working cut-file set as G-code for LinuxCNC (XYUV) or a
// GRBL-family 4-axis board (XYZA), at the current cutting speed, asked through the common dialogs.
// It writes a file only; nothing moves, so it needs no port.
#pragma once

#include <QString>

namespace corvane {

class Dialogs;
class Workspace;

inline constexpr const char* kExportGcodeTitle = "Export G-code";
inline constexpr const char* kExportGcodeLabel = "Module Main, EGC";

// Decodes the working set (an unreadable set is reported first), asks for the axes (XYUV or XYZA,
// asked again after a wrong entry) and the file, writes it and says what it wrote. Cancel at
// either question writes nothing. True when a file was written.
bool runExportGcode(Workspace& ws, Dialogs& dialogs);

}  // namespace corvane
