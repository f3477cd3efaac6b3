// Replacing the working cut-file set as one step. The previous set is kept as backups beside it
// (listed in the backup list); the new files are written under temporary names, synced and
// renamed into place; the list goes only once all three are in place, so a start after a crash
// finds either the previous set or the new one, never a mix. The folder's lock is held from
// begin to finish or abandon, so a second program never sees the set half replaced.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string_view>

#include "common/file_io.h"
#include "generate/cut_set_layout.h"
#include "generate/line_file_writer.h"

namespace corvane {

class FolderLock;

// The transaction's own files in the application folder; the prefix keeps them apart from any
// file of the operator's.
inline constexpr const char* kBackupListName = ".corvane-hold.open";
inline constexpr std::array<const char*, 3> kBackupNames = {".corvane-hold1", ".corvane-hold2",
                                                            ".corvane-hold3"};
inline constexpr std::array<const char*, 3> kPartNames = {
    ".corvane-cut.ct1.part", ".corvane-cut_cnt.ct2.part", ".corvane-datinfo.ct3.part"};

// What a start-up finds after an interrupted replacement: the previous set put back (returns
// true), or leftovers of a finished one cleared away (false). Only names with the program's
// prefix are ever removed. Takes the folder's lock, so it never touches a replacement another
// program is making. What the folder's save recovery could not put right goes to `report`.
bool recoverInterruptedGeneration(const std::filesystem::path& appFolder,
                                  RecoveryReport* report = nullptr);

class CutSetTransaction {
public:
    explicit CutSetTransaction(std::filesystem::path appFolder);
    ~CutSetTransaction();  // abandons what was neither finished nor abandoned
    CutSetTransaction(const CutSetTransaction&) = delete;
    CutSetTransaction& operator=(const CutSetTransaction&) = delete;

    // Takes the folder's lock, backs up the working set (a missing working file is recorded as
    // absent) and opens the three new files empty. RunError PathFileAccessError naming the
    // working set when the folder cannot be written or another program keeps the lock.
    void begin();
    // Starts the new step and count files as copies of their templates (the DAT-information
    // file is written whole by the generator); RunError FileNotFound when a template is missing.
    void resetFromTemplates();

    LineFileWriter& stepFile() { return step_; }
    LineFileWriter& countFile() { return count_; }
    LineFileWriter& datInfoFile() { return datInfo_; }

    // A new file's content copied from an existing file (Load); RunError FileNotFound.
    void copyInto(LineFileWriter& target, const std::filesystem::path& source);

    // Puts the new set in place and removes the backups. On failure the previous set is put
    // back and the error says so (or says where it is kept when even that failed).
    void finish();
    // Throws the new files away; the working set is the previous one, byte for byte.
    void abandon();

    bool active() const { return state_ != State::Idle; }

private:
    enum class State { Idle, Open };
    void release();
    std::filesystem::path folder_;
    CutSetPaths working_;
    LineFileWriter step_, count_, datInfo_;
    State state_ = State::Idle;
    std::unique_ptr<FolderLock> lock_;
};

}  // namespace corvane
