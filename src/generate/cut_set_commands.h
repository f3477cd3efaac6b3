// Loading a saved cut-file set over the working set and saving the working set under a new
// name: the checks, messages and copy order of the main window's LoadCutFile and SaveCutFile
// (the dialogs are the caller's).
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "generate/cut_generator.h"
#include "machine/workspace.h"

namespace corvane {

inline constexpr const char* kCutFileNotFound =
    "Cut File not Found. Try Again or Regenerate the Cut File.";
inline constexpr const char* kCountFileNotFound =
    "Count File not Found. Try Again or Regenerate the Cut File.";
inline constexpr const char* kDatInfoFileNotFound =
    "DAT Information File not Found. Try Again or Regenerate the Cut File.";
inline constexpr const char* kLoadDatFileNotFound =
    "DAT File not Found. Try Again or copy DAT File to application folder.";
inline constexpr const char* kCutFilesLoaded = "Cut Files loaded successfully";
// Our own texts for damaged sets.
inline constexpr const char* kDatInfoFileIncomplete =
    "DAT Information File holds fewer than two fields. Try Again or Regenerate the Cut File.";
inline constexpr const char* kCutFileDamaged =
    "Cut File is damaged. Try Again or Regenerate the Cut File.";
inline constexpr const char* kCountFileDamaged =
    "Count File is damaged. Try Again or Regenerate the Cut File.";
inline constexpr const char* kLoadFolderUnsettled =
    "Cut File not loaded: its folder holds an unfinished save. See below for what to do.";
inline constexpr const char* kSaveOverWorkingFile =
    "This name belongs to one of the program's own cut files. Choose another name to save the "
    "Cut File.";
inline constexpr const char* kLoadCutFileLabel = "Module Main, LCF";
inline constexpr const char* kSaveCutFileLabel = "Module Main, SCF";

// Why the working set may not be replaced now, empty when it may: a cut, a script or another
// source holds this program's machine, or a cut runs from the folder in another program. Shown
// under kMachineBusyTitle ("Machine Busy").
[[nodiscard]] std::string setBusyRefusal(const Workspace& ws);

// The message boxes of Load: the text with five blanks on each side.
std::string paddedLoadMessage(const std::string& text);

struct [[nodiscard]] LoadOutcome {
    bool loaded = false;                // the working set was replaced
    std::vector<UserMessage> messages;  // shown in this order
};

// Load: `chosenStepFile` is the Open dialog's answer (empty: cancelled, nothing happens).
// Refuses a missing companion or airfoil file with its message and changes nothing; otherwise
// replaces the working set (step, count, DAT-information file, as one step) and rebuilds the
// active delay points.
LoadOutcome loadCutSet(Workspace& ws, const std::filesystem::path& chosenStepFile);

// A save that would write over a working, template or backup file (the chosen name or one of
// its companions): copying the working set onto itself or onto a template ruins it.
class SaveRefused : public std::runtime_error {
public:
    SaveRefused() : std::runtime_error(kSaveOverWorkingFile) {}
};

// True when one of the three files of the set named by `chosenStepFile` is one of the program's
// own files in the application folder (working set, templates, backups).
bool namesProgramFile(const std::filesystem::path& appFolder,
                      const std::filesystem::path& chosenStepFile);

// Save: copies the working set to the chosen name and its companions, overwriting all three
// as one step (a failure leaves the old saved set whole). Empty name: nothing. SaveRefused (nothing
// copied) for a name of the program's own files; RunError when a working file is missing or a
// target cannot be written.
void saveCutSet(const std::filesystem::path& appFolder,
                const std::filesystem::path& chosenStepFile);

}  // namespace corvane
