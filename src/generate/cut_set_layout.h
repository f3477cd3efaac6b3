// The cut-file set on disk: the working and template file names, the naming rule of saved
// sets (name.ct1 with name.ct2 and name.ct3 beside it) and the DAT-information line of wing
// and foam sets.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class RecordWriter;

inline constexpr const char* kStepFileName = "cut.ct1";
inline constexpr const char* kCountFileName = "cut_cnt.ct2";
inline constexpr const char* kDatInfoFileName = "datinfo.ct3";
inline constexpr const char* kStepTemplateName = "temp_cut.txt";
inline constexpr const char* kCountTemplateName = "temp_cut_cnt.txt";
inline constexpr const char* kDatInfoTemplateName = "temp_datinfo.txt";

// The three files of one set, in the order they are always copied.
struct CutSetPaths {
    std::filesystem::path step, count, datInfo;
};

// The working set in the application folder.
CutSetPaths workingSetPaths(const std::filesystem::path& appFolder);

// The dialogs' default extension: a name typed without one becomes name.ct1.
std::filesystem::path withCutExtension(const std::filesystem::path& chosen);

// A saved set named by its step file: the base is the name less its last four characters (the
// ".ct1"), the companions base.ct2 and base.ct3. A name whose last four characters are not an
// extension keeps its whole name as base, so the companions never land outside its folder.
CutSetPaths savedSetPaths(const std::filesystem::path& chosenStepFile);

// A quoted field ends at the next double quote, so a path holding one cannot be stored.
bool pathFitsDatInfo(std::string_view path);
inline constexpr const char* kDatPathHoldsQuote =
    "holds a double quotation mark, which a cut-file set cannot store. Rename the file or its "
    "folder and try again";

// The DAT-information lines (CR LF ended): wing sets carry eight fields, foam sets four. GBK,
// or UTF-8 for the whole line when one of its texts has no GBK form.
struct WingDatInfo {
    std::string leftPath, rightPath;
    double leftChord = 0, rightChord = 0;
    std::string leftWashoutFlag = "0", rightWashoutFlag = "0";  // "1" when ticked
    std::string leftAngleText = "0", rightAngleText = "0";      // as typed
};
std::string wingDatInfoLine(const WingDatInfo& info);
// The eight fields of a wing's DAT-information line, for lines that carry more after them.
void writeWingDatInfoFields(RecordWriter& w, const WingDatInfo& info);
std::string foamDatInfoLine(const std::string& leftPath, const std::string& rightPath,
                            double leftSize, double rightSize);

// The fields of a DAT-information file as texts (UTF-8), at most `limit` of them.
std::vector<std::string> readDatInfoFields(std::string_view fileBytes, std::size_t limit = 8);

// The 1-based number of the first line of a step or count file that is not a whole number
// (blanks around it allowed, blank lines at the end ignored); nullopt when every line is one.
std::optional<std::size_t> firstNonNumberLine(std::string_view fileBytes);

}  // namespace corvane
