#include "run/cut_record.h"

#include <errno.h>  // program_invocation_short_name
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "common/file_io.h"
#include "common/port_lock.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"

namespace corvane {

namespace {

constexpr char kMagic[24] = "corvane cut record 1\n";

// One place in the map. Two of them take turns: the one being written is never the one the
// sequence number points at, so a kill in the middle of a write leaves the earlier place whole.
struct Slot {
    int64_t tick;
    int64_t steps[4];
    float position[4];
    uint32_t homeSet;
    uint32_t pad;
};

// The file is this page, byte for byte (one page, so a write-back takes it whole).
struct Page {
    char magic[24];
    uint32_t size;
    uint32_t foam;
    uint64_t sums[3];
    uint64_t sizes[3];
    uint32_t present[3];
    uint32_t syncedAt;
    int64_t leadTicks;
    int64_t setTicks;
    uint32_t leadInByte;
    uint32_t leadOutByte;
    Slot start;
    int64_t syncedTick;
    uint64_t sequence;  // the slot of the last tick written is slots[sequence % 2]
    Slot slots[2];
    char folder[3072];
};
static_assert(sizeof(Page) <= 4096 && std::is_trivially_copyable_v<Page>);

Slot toSlot(const CutPlace& p) {
    Slot s{};
    s.tick = p.tick;
    for (int i = 0; i < 4; ++i) s.steps[i] = p.steps[static_cast<std::size_t>(i)];
    s.position[0] = p.position.X1;
    s.position[1] = p.position.Y1;
    s.position[2] = p.position.X2;
    s.position[3] = p.position.Y2;
    s.homeSet = p.homeSet ? 1 : 0;
    return s;
}

CutPlace fromSlot(const Slot& s) {
    CutPlace p;
    p.tick = s.tick;
    for (int i = 0; i < 4; ++i) p.steps[static_cast<std::size_t>(i)] = s.steps[i];
    p.position = {s.position[0], s.position[1], s.position[2], s.position[3]};
    p.homeSet = s.homeSet != 0;
    return p;
}

uint64_t fnv1a(std::string_view bytes) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

[[noreturn]] void fail(const std::filesystem::path& path, const std::string& what) {
    throw RunError(ErrorNumber::PathFileAccessError, path.string() + ": " + what);
}

// One cut at a time keeps the folder's record: a second program cutting from the same folder
// would replace the first one's record under it, and its normal end would remove it. The lock
// file's line says who holds it, as the port's does.
int takeRecordLock(const std::filesystem::path& record) {
    std::filesystem::path lock = record;
    lock += ".lock";
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) fail(lock, std::string("cannot be opened: ") + std::strerror(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        const std::string holder = PortLock::holderOf(lock);
        fail(record, "is kept by another cut from this application folder" +
                         (holder.empty() ? std::string() : " (" + holder + ")"));
    }
    const std::string line =
        std::string(program_invocation_short_name) + " " + std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        const ssize_t written = ::pwrite(fd, line.data(), line.size(), 0);
        (void)written;  // the holder's name is a courtesy; the flock is the lock
    }
    return fd;
}

}  // namespace

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
    Page page{};
    if (bytes.size() != sizeof(Page)) fail(path, "not a cut record (wrong length)");
    std::memcpy(&page, bytes.data(), sizeof page);
    if (std::memcmp(page.magic, kMagic, sizeof kMagic) != 0 || page.size != sizeof(Page) ||
        page.leadTicks < 0 || page.setTicks < 0)
        fail(path, "not a cut record of this program");
    CutRecord r;
    r.foam = page.foam != 0;
    page.folder[sizeof page.folder - 1] = '\0';
    r.folder = page.folder;
    for (std::size_t i = 0; i < 3; ++i) {
        r.set.sums[i] = page.sums[i];
        r.set.sizes[i] = page.sizes[i];
        r.set.present[i] = page.present[i] != 0;
    }
    r.leadTicks = page.leadTicks;
    r.setTicks = page.setTicks;
    r.leadInByte = static_cast<uint8_t>(page.leadInByte);
    r.leadOutByte = static_cast<uint8_t>(page.leadOutByte);
    r.start = fromSlot(page.start);
    r.place = fromSlot(page.slots[page.sequence % 2]);
    r.syncedTick = page.syncedTick;
    r.syncedAt = static_cast<RecordSync>(page.syncedAt);
    if (r.place.tick < 0 || r.place.tick > r.totalTicks())
        fail(path, "the record's tick lies outside its cut");
    return r;
}

void removeCutRecord(const std::filesystem::path& folder) {
    if (diskUnlink(folder / kCutRecordName) == 0) syncFolder(folder);
}

CutRecorder::CutRecorder(const std::filesystem::path& folder, const CutRecord& record)
    : path_(folder / kCutRecordName), place_(record.start) {
    lockFd_ = takeRecordLock(path_);
    Page page{};
    std::memcpy(page.magic, kMagic, sizeof kMagic);
    page.size = sizeof(Page);
    page.foam = record.foam ? 1 : 0;
    for (std::size_t i = 0; i < 3; ++i) {
        page.sums[i] = record.set.sums[i];
        page.sizes[i] = record.set.sizes[i];
        page.present[i] = record.set.present[i] ? 1 : 0;
    }
    page.leadTicks = record.leadTicks;
    page.setTicks = record.setTicks;
    page.leadInByte = record.leadInByte;
    page.leadOutByte = record.leadOutByte;
    page.start = toSlot(record.start);
    page.slots[0] = toSlot(record.place);
    page.sequence = 0;
    page.syncedTick = record.place.tick;
    page.syncedAt = static_cast<uint32_t>(RecordSync::Start);
    place_ = record.place;
    std::strncpy(page.folder, record.folder.c_str(), sizeof page.folder - 1);
    writeFileAtomic(path_, std::string_view(reinterpret_cast<const char*>(&page), sizeof page));

    const int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fail(path_, std::string("cannot be opened: ") + std::strerror(errno));
    void* map = ::mmap(nullptr, sizeof(Page), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    const int err = errno;
    ::close(fd);
    if (map == MAP_FAILED) fail(path_, std::string("cannot be mapped: ") + std::strerror(err));
    map_ = map;
}

CutRecorder::~CutRecorder() {
    if (map_) ::munmap(map_, sizeof(Page));
    if (lockFd_ >= 0) ::close(lockFd_);
}

void CutRecorder::written(const CutPlace& place) {
    place_ = place;
    if (!map_) return;
    Page& page = *static_cast<Page*>(map_);
    const uint64_t next = page.sequence + 1;
    page.slots[next % 2] = toSlot(place);
    // The sequence is stored last and whole: the slot it names is always complete.
    __atomic_store_n(&page.sequence, next, __ATOMIC_RELEASE);
}

void CutRecorder::sync(RecordSync at) {
    if (!map_) return;
    Page& page = *static_cast<Page*>(map_);
    page.syncedTick = place_.tick;
    page.syncedAt = static_cast<uint32_t>(at);
    // A failed sync leaves the record exact after a kill; the next sync tries again.
    (void)::msync(map_, sizeof(Page), MS_SYNC);
}

void CutRecorder::remove() {
    if (map_) ::munmap(map_, sizeof(Page));
    map_ = nullptr;
    removeCutRecord(path_.parent_path());
}

}  // namespace corvane
