// Where a running cut stands, kept beside the working set so that a Stop, a kill or a power
// failure can be resumed. The fixed part (the set's checksums, the lead moves, the start) is
// written once, synced, when the cut starts; the hot part (the tick and the counted position of
// the last tick written to the port) lives in a small shared memory map that every tick updates:
// the page cache outlives the process, so the record is exact after any kill without an fsync a
// tick, and it is synced at delay points, Stop and Pause for a power failure.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/owned_file.h"
#include "machine/position.h"

namespace corvane {

struct DerivedSettings;

inline constexpr const char* kCutRecordName = ".corvane-cut-record";

// The three files of the working set, in the order they are checked and named.
inline constexpr std::array<const char*, 3> kSetFiles = {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3"};

// A checksum (64-bit FNV-1a) and a length of each file of the set; a missing file has neither.
struct SetFingerprint {
    std::array<uint64_t, 3> sums{};
    std::array<uint64_t, 3> sizes{};
    std::array<bool, 3> present{};
    friend bool operator==(const SetFingerprint&, const SetFingerprint&) = default;
};
SetFingerprint fingerprintSet(const std::filesystem::path& folder);
// The name of the first file that is not as recorded (changed, gone or new), empty when none.
std::string changedSetFile(const SetFingerprint& recorded, const SetFingerprint& now);

// The signed step count of every axis (X1, Y1, X2, Y2) since the cut began: the same rule as
// the counted position, in whole steps, so it never drifts.
using StepCounts = std::array<int64_t, 4>;
void countSteps(StepCounts& steps, const DerivedSettings& settings, uint8_t portByte);

// The moment of the last sync (what a power failure cannot take back).
enum class RecordSync : uint32_t { Start = 0, DelayPoint = 1, Stop = 2, Pause = 3 };
const char* recordSyncName(RecordSync sync);

// A tick is noted twice: before its byte goes to the port and after. A kill between the two
// leaves "writing": whether the carriages made that tick is not known from the record alone.
enum class TickPhase : uint32_t { Written = 0, Writing = 1 };

// Where the cut stands after its last tick written to the port.
struct CutPlace {
    int64_t tick = 0;  // ticks of the cut made so far (lead-in, step file, lead-out in order)
    StepCounts steps{};
    AxisPosition position;  // the counted position (meaningful while homeSet)
    bool homeSet = false;
    TickPhase phase = TickPhase::Written;  // Writing: `tick` is the one being written
    bool pauseMade = false;                // stands at a delay point whose pause was made in full
};

// The folder's identity on the disk: a record copied into another folder is not its record.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};
FolderIdentity folderIdentity(const std::filesystem::path& folder);
// This boot's id (/proc/sys/kernel/random/boot_id), empty where the kernel gives none.
std::string currentBootId();

struct CutRecord {
    bool foam = false;
    std::string folder;  // the application folder whose working set was cut
    SetFingerprint set;
    int64_t leadTicks = 0;  // of the lead-in, and of the lead-out (0: none)
    uint8_t leadInByte = 0;
    uint8_t leadOutByte = 0;
    int64_t setTicks = 0;    // lines of the step file
    CutPlace start;          // where the carriages stood before the first tick
    CutPlace place;          // exact after a kill: the last tick written to the port
    int64_t syncedTick = 0;  // exact after a power failure up to here
    RecordSync syncedAt = RecordSync::Start;
    int32_t stepsPerMm = 0;   // of the settings the cut ran with
    FolderIdentity identity;  // of `folder` when the cut began
    std::string bootId;       // the boot the cut ran in
    std::string motionStamp;  // the machine's motion stamp after the cut's own (motion_stamp.h)

    int64_t totalTicks() const { return 2 * leadTicks + setTicks; }
    // What the record vouches for, in a sentence.
    std::string guarantee() const;
};

// The record of `folder`: nullopt when there is none. A record that cannot be read, is not a
// record (a partial copy, another format) or fails its checksums (a changed byte) comes back as
// RunError PathFileAccessError naming it.
[[nodiscard]] std::optional<CutRecord> readCutRecord(const std::filesystem::path& folder);
// Removes the record of `folder` (the cut ended normally, or the operator let it go).
void removeCutRecord(const std::filesystem::path& folder);

// Keeps a cut's record up to date while it runs. Creating it replaces any earlier record.
class CutRecorder {
public:
    // Writes the fixed part and the start (synced), then maps the file. RunError
    // PathFileAccessError naming the file when it cannot be written or mapped, or when another
    // cut from the same folder keeps it (the holder named).
    CutRecorder(const std::filesystem::path& folder, const CutRecord& record);
    ~CutRecorder();
    CutRecorder(const CutRecorder&) = delete;
    CutRecorder& operator=(const CutRecorder&) = delete;

    // The tick about to be written: `tick` is the cut's tick count with it, noted "writing". No
    // system call: stores into the map, the slot's number last, so a kill between two stores
    // leaves the earlier place.
    void writing(const CutPlace& place);
    // The port has the tick noted by writing(): the same place, noted "written".
    void written();
    // The place as it is now (a position corrected after the way back, a pause made).
    void note(const CutPlace& place);
    // Flushes the map to the disk; the record then vouches for its place after a power failure.
    void sync(RecordSync at);
    // The cut ended normally: the record goes.
    void remove();

    const CutPlace& place() const { return place_; }

private:
    void store(const CutPlace& place);
    std::filesystem::path path_;
    void* map_ = nullptr;
    CutPlace place_;
    int64_t syncedTick_ = 0;
    RecordSync syncedAt_ = RecordSync::Start;
    std::unique_ptr<LockFile> lock_;  // held while the cut runs
};

}  // namespace corvane
