// Replacing the working cut-file set as one step. The previous set is kept as backups (hold1,
// hold2, hold3 beside it, listed in hold.open); the new files are written under temporary
// names and renamed into place; the list goes only once all three are in place, so a start
// after a crash finds either the previous set or the new one, never a mix.
#pragma once

#include <filesystem>
#include <string_view>

#include "generate/cut_set_layout.h"
#include "generate/line_file_writer.h"

namespace corvane {

inline constexpr const char* kBackupListName = "hold.open";

// What a start-up finds after an interrupted replacement: the previous set put back (returns
// true), or leftovers of a finished one cleared away (false). Safe to call at any time when no
// replacement runs.
bool recoverInterruptedGeneration(const std::filesystem::path& appFolder);

class CutSetTransaction {
public:
    explicit CutSetTransaction(std::filesystem::path appFolder);
    ~CutSetTransaction();  // abandons what was neither finished nor abandoned
    CutSetTransaction(const CutSetTransaction&) = delete;
    CutSetTransaction& operator=(const CutSetTransaction&) = delete;

    // Backs up the working set (a missing working file is recorded as absent) and opens the
    // three new files empty. RunError PathFileAccessError when the folder cannot be written.
    void begin();
    // Starts the new step and count files as copies of their templates (the DAT-information
    // file is written whole by the generator); RunError FileNotFound when a template is missing.
    void resetFromTemplates();

    LineFileWriter& stepFile() { return step_; }
    LineFileWriter& countFile() { return count_; }
    LineFileWriter& datInfoFile() { return datInfo_; }

    // A new file's content copied from an existing file (Load); RunError FileNotFound.
    void copyInto(LineFileWriter& target, const std::filesystem::path& source);

    // Puts the new set in place and removes the backups.
    void finish();
    // Throws the new files away; the working set is the previous one, byte for byte.
    void abandon();

    bool active() const { return state_ != State::Idle; }

private:
    enum class State { Idle, Open };
    std::filesystem::path folder_;
    CutSetPaths working_;
    LineFileWriter step_, count_, datInfo_;
    State state_ = State::Idle;
};

}  // namespace corvane
