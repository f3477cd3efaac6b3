#include "run/cut_record.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <string_view>
#include <type_traits>

#include "common/file_io.h"
#include "common/folder_lock.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"

namespace corvane {

namespace {

constexpr char kMagic[24] = "corvane cut record 2\n";
constexpr char kEarlierMagic[24] = "corvane cut record 1\n";

// One place in the map. Two of them take turns: the one being written is never the one the
// sequence number points at, so a kill in the middle of a write leaves the earlier place whole.
struct Slot {
    int64_t tick;
    int64_t steps[4];
    float position[4];
    uint32_t homeSet;
    uint32_t phase;
    uint32_t pauseMade;
    uint32_t syncedAt;   // the last sync (what a power failure cannot take back) ...
    int64_t syncedTick;  // ... and its tick
    uint64_t sequence;   // the page's sequence when this slot was written: a changed one is seen
    uint64_t sum;        // of the bytes above
};

// What the cut began with: written once, never changed while the cut runs.
struct Fixed {
    char magic[24];
    uint32_t size;
    uint32_t foam;
    uint64_t sums[3];
    uint64_t sizes[3];
    uint32_t present[3];
    int32_t stepsPerMm;
    int64_t leadTicks;
    int64_t setTicks;
    uint32_t leadInByte;
    uint32_t leadOutByte;
    uint64_t folderDevice;
    uint64_t folderInode;
    char bootId[40];
    char motionStamp[64];
    Slot start;
    char folder[2048];
    uint64_t sum;  // of the bytes above
};

// The file is this page, byte for byte (one page, so a write-back takes it whole).
struct Page {
    Fixed fixed;
    uint64_t sequence;  // the slot of the last note is slots[sequence % 2]
    Slot slots[2];
};
static_assert(sizeof(Page) <= 4096 && std::is_trivially_copyable_v<Page>);

uint64_t fnv1a(std::string_view bytes) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// The checksum of a part: every byte before its own `sum`, its last member.
template <typename Part>
uint64_t sumOf(const Part& part) {
    return fnv1a(std::string_view(reinterpret_cast<const char*>(&part), offsetof(Part, sum)));
}

// A place as a slot; `synced` and `sequence` are the page's at the time of writing.
Slot toSlot(const CutPlace& p, int64_t syncedTick = 0, RecordSync syncedAt = RecordSync::Start,
            uint64_t sequence = 0) {
    Slot s{};
    s.syncedTick = syncedTick;
    s.syncedAt = static_cast<uint32_t>(syncedAt);
    s.sequence = sequence;
    s.tick = p.tick;
    for (int i = 0; i < 4; ++i) s.steps[i] = p.steps[static_cast<std::size_t>(i)];
    s.position[0] = p.position.X1;
    s.position[1] = p.position.Y1;
    s.position[2] = p.position.X2;
    s.position[3] = p.position.Y2;
    s.homeSet = p.homeSet ? 1 : 0;
    s.phase = static_cast<uint32_t>(p.phase);
    s.pauseMade = p.pauseMade ? 1 : 0;
    s.sum = sumOf(s);
    return s;
}

[[noreturn]] void fail(const std::filesystem::path& path, const std::string& what) {
    throw RunError(ErrorNumber::PathFileAccessError, path.string() + ": " + what);
}

constexpr const char* kDamaged =
    "is damaged (it fails its checksum): a changed byte could send the carriages elsewhere, so it "
    "is not obeyed. Begin Cut starts the set again from the beginning.";

// A slot that is not what toSlot() wrote (a changed byte, a NaN, an unknown phase) is refused.
CutPlace fromSlot(const Slot& s, const std::filesystem::path& path) {
    if (s.sum != sumOf(s) || s.homeSet > 1 || s.phase > 1 || s.pauseMade > 1 || s.syncedAt > 3 ||
        s.syncedTick < 0)
        fail(path, kDamaged);
    for (float v : s.position)
        if (!std::isfinite(v)) fail(path, kDamaged);
    CutPlace p;
    p.tick = s.tick;
    for (int i = 0; i < 4; ++i) p.steps[static_cast<std::size_t>(i)] = s.steps[i];
    p.position = {s.position[0], s.position[1], s.position[2], s.position[3]};
    p.homeSet = s.homeSet != 0;
    p.phase = static_cast<TickPhase>(s.phase);
    p.pauseMade = s.pauseMade != 0;
    return p;
}

void copyText(char* to, std::size_t size, const std::string& text) {
    std::memset(to, 0, size);
    std::memcpy(to, text.data(), std::min(text.size(), size - 1));
}

std::string textOf(const char* from, std::size_t size) {
    return std::string(from, ::strnlen(from, size));
}

}  // namespace

FolderIdentity folderIdentity(const std::filesystem::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return {};
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

std::string currentBootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id;
}

SetFingerprint fingerprintSet(const std::filesystem::path& folder) {
    SetFingerprint f;
    for (std::size_t i = 0; i < kSetFiles.size(); ++i) {
        try {
            const std::string bytes = readFileBytes(folder / kSetFiles[i]);
            f.sums[i] = fnv1a(bytes);
            f.sizes[i] = bytes.size();
            f.present[i] = true;
        } catch (const RunError&) {
            // A missing or unreadable file is recorded as absent; comparing says which.
        }
    }
    return f;
}

std::string changedSetFile(const SetFingerprint& recorded, const SetFingerprint& now) {
    for (std::size_t i = 0; i < kSetFiles.size(); ++i) {
        if (recorded.present[i] != now.present[i] || recorded.sums[i] != now.sums[i] ||
            recorded.sizes[i] != now.sizes[i])
            return kSetFiles[i];
    }
    return {};
}

void countSteps(StepCounts& steps, const DerivedSettings& settings, uint8_t portByte) {
    const AxisPins* axes[4] = {&settings.X1, &settings.Y1, &settings.X2, &settings.Y2};
    for (std::size_t i = 0; i < 4; ++i) {
        const AxisPins& a = *axes[i];
        if (((portByte >> a.StepBit) & 1u) == 0) continue;
        const bool dirHigh = a.DirBit >= 0 && a.DirBit < 8 && ((portByte >> a.DirBit) & 1u) != 0;
        steps[i] += dirHigh != a.Reversed ? 1 : -1;
    }
}

const char* recordSyncName(RecordSync sync) {
    switch (sync) {
        case RecordSync::Start:
            return "the start of the cut";
        case RecordSync::DelayPoint:
            return "a delay point";
        case RecordSync::Stop:
            return "Stop";
        case RecordSync::Pause:
            return "Pause";
    }
    return "?";
}

std::string CutRecord::guarantee() const {
    std::string text = "exact at tick " + std::to_string(place.tick) + " after a kill";
    if (syncedTick == place.tick)
        return text + " and after a power failure (synced at " + recordSyncName(syncedAt) + ")";
    return text + "; after a power failure only up to tick " + std::to_string(syncedTick) +
           " (synced at " + recordSyncName(syncedAt) + ")";
}

std::optional<CutRecord> readCutRecord(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / kCutRecordName;
    std::string bytes;
    try {
        bytes = readFileBytes(path);
    } catch (const RunError& e) {
        if (e.number() == static_cast<int>(ErrorNumber::FileNotFound)) return std::nullopt;
        throw;
    }
    if (bytes.size() >= sizeof kEarlierMagic &&
        std::memcmp(bytes.data(), kEarlierMagic, sizeof kEarlierMagic) == 0) {
        fail(path,
             "was kept by an earlier version of the program, whose records carry no "
             "checksum: it is not obeyed. Begin Cut starts the set again from the beginning.");
    }
    Page page{};
    if (bytes.size() != sizeof(Page)) fail(path, "not a cut record (wrong length)");
    std::memcpy(&page, bytes.data(), sizeof page);
    const Fixed& f = page.fixed;
    if (std::memcmp(f.magic, kMagic, sizeof kMagic) != 0 || f.size != sizeof(Page))
        fail(path, "not a cut record of this program");
    if (f.sum != sumOf(f) || f.leadTicks < 0 || f.setTicks < 0 || f.leadInByte > 255 ||
        f.leadOutByte > 255 || f.foam > 1)
        fail(path, kDamaged);
    CutRecord r;
    r.foam = f.foam != 0;
    r.folder = textOf(f.folder, sizeof f.folder);
    for (std::size_t i = 0; i < 3; ++i) {
        if (f.present[i] > 1) fail(path, kDamaged);
        r.set.sums[i] = f.sums[i];
        r.set.sizes[i] = f.sizes[i];
        r.set.present[i] = f.present[i] != 0;
    }
    r.stepsPerMm = f.stepsPerMm;
    r.leadTicks = f.leadTicks;
    r.setTicks = f.setTicks;
    r.leadInByte = static_cast<uint8_t>(f.leadInByte);
    r.leadOutByte = static_cast<uint8_t>(f.leadOutByte);
    r.identity = {f.folderDevice, f.folderInode};
    r.bootId = textOf(f.bootId, sizeof f.bootId);
    r.motionStamp = textOf(f.motionStamp, sizeof f.motionStamp);
    r.start = fromSlot(f.start, path);
    const Slot& slot = page.slots[page.sequence % 2];
    r.place = fromSlot(slot, path);
    if (slot.sequence != page.sequence) fail(path, kDamaged);
    r.syncedTick = slot.syncedTick;
    r.syncedAt = static_cast<RecordSync>(slot.syncedAt);
    if (r.place.tick < 0 || r.place.tick > r.totalTicks() || r.syncedTick > r.totalTicks())
        fail(path, "the record's tick lies outside its cut");
    return r;
}

void removeCutRecord(const std::filesystem::path& folder) {
    // The cut has ended and nobody waits on this: a record a power loss brings back is offered
    // as the cut it records, and only the operator resumes it.
    if (diskUnlink(folder / kCutRecordName) == 0) (void)syncFolder(folder);
}

CutRecorder::CutRecorder(const std::filesystem::path& folder, const CutRecord& record)
    : path_(folder / kCutRecordName), place_(record.start) {
    // One cut at a time keeps the folder's record: a second program cutting from the same
    // folder would replace the first one's record under it, and its normal end would remove it.
    // The lock is a member, so a record that cannot be written lets it go with this object.
    lock_ = std::make_unique<LockFile>(folder / kCutRecordLockName);
    if (!lock_->tryLock()) {
        const std::string holder = lock_->holder();
        fail(path_, "is kept by another cut from this application folder" +
                        (holder.empty() ? std::string() : " (" + holder + ")"));
    }
    lock_->writeHolder();
    Page page{};
    Fixed& f = page.fixed;
    std::memcpy(f.magic, kMagic, sizeof kMagic);
    f.size = sizeof(Page);
    f.foam = record.foam ? 1 : 0;
    for (std::size_t i = 0; i < 3; ++i) {
        f.sums[i] = record.set.sums[i];
        f.sizes[i] = record.set.sizes[i];
        f.present[i] = record.set.present[i] ? 1 : 0;
    }
    f.stepsPerMm = record.stepsPerMm;
    f.leadTicks = record.leadTicks;
    f.setTicks = record.setTicks;
    f.leadInByte = record.leadInByte;
    f.leadOutByte = record.leadOutByte;
    f.folderDevice = record.identity.device;
    f.folderInode = record.identity.inode;
    copyText(f.bootId, sizeof f.bootId, record.bootId);
    copyText(f.motionStamp, sizeof f.motionStamp, record.motionStamp);
    f.start = toSlot(record.start);
    copyText(f.folder, sizeof f.folder, record.folder);
    f.sum = sumOf(f);
    page.slots[0] = toSlot(record.place, record.place.tick, RecordSync::Start, 0);
    page.sequence = 0;
    place_ = record.place;
    syncedTick_ = record.place.tick;
    writeFileAtomic(path_, std::string_view(reinterpret_cast<const char*>(&page), sizeof page));

    // The file just renamed into place; a link planted under its name meanwhile is refused.
    const int fd = openOwnFile(path_, O_RDWR, 0644);
    void* map = ::mmap(nullptr, sizeof(Page), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    const int err = errno;
    ::close(fd);
    if (map == MAP_FAILED) fail(path_, std::string("cannot be mapped: ") + std::strerror(err));
    map_ = map;
}

CutRecorder::~CutRecorder() {
    if (map_) ::munmap(map_, sizeof(Page));
    if (lock_) lock_->clearHolder();
}

void CutRecorder::store(const CutPlace& place) {
    place_ = place;
    if (!map_) return;
    Page& page = *static_cast<Page*>(map_);
    const uint64_t next = page.sequence + 1;
    page.slots[next % 2] = toSlot(place, syncedTick_, syncedAt_, next);
    // The sequence is stored last and whole: the slot it names is always complete.
    __atomic_store_n(&page.sequence, next, __ATOMIC_RELEASE);
}

void CutRecorder::writing(const CutPlace& place) {
    CutPlace p = place;
    p.phase = TickPhase::Writing;
    p.pauseMade = false;
    store(p);
}

void CutRecorder::written() {
    CutPlace p = place_;
    p.phase = TickPhase::Written;
    store(p);
}

void CutRecorder::note(const CutPlace& place) {
    store(place);
}

void CutRecorder::sync(RecordSync at) {
    if (!map_) return;
    syncedTick_ = place_.tick;
    syncedAt_ = at;
    store(place_);  // the sync is noted like a place: whole or not at all
    // A failed sync leaves the record exact after a kill; the next sync tries again.
    (void)::msync(map_, sizeof(Page), MS_SYNC);
}

void CutRecorder::remove() {
    if (map_) ::munmap(map_, sizeof(Page));
    map_ = nullptr;
    removeCutRecord(path_.parent_path());
}

}  // namespace corvane
