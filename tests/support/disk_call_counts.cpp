#include "support/disk_call_counts.h"

#include <signal.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>

namespace corvane {

namespace {

constexpr std::size_t kKinds = 4;
constexpr std::size_t kOrdered = 4;

class CountingHook final : public DiskCallHook {
public:
    CountingHook() { setDiskCallHook(this); }
    ~CountingHook() override { setDiskCallHook(nullptr); }

    bool fails(DiskCall call) override {
        const auto i = static_cast<std::size_t>(call);
        const long n = ++calls[i];
        const long all = ++allCalls;
        bool hit = n == failAt[i].load();
        for (const auto& at : failInOrder) hit = hit || (all == at.load());
        if (!hit) return false;
        if (failError.load() == kKilledAtDiskCall) ::raise(SIGKILL);
        errno = failError.load();
        return true;
    }

    void reset(int error) {
        for (auto& c : calls) c = 0;
        for (auto& f : failAt) f = 0;
        for (auto& f : failInOrder) f = 0;
        allCalls = 0;
        failError = error;
    }

    std::array<std::atomic<long>, kKinds> calls{};
    std::array<std::atomic<long>, kKinds> failAt{};
    std::atomic<long> allCalls{0};
    std::array<std::atomic<long>, kOrdered> failInOrder{};
    std::atomic<int> failError{0};
};

// Set before main, so a test program that links this counts every disk call it makes.
CountingHook gCounting;

}  // namespace

void failDiskCall(DiskCall call, long n, int error) {
    gCounting.reset(error);
    gCounting.failAt[static_cast<std::size_t>(call)] = n;
}

void failDiskCallsInOrder(const std::vector<long>& numbers, int error) {
    gCounting.reset(error);
    for (std::size_t i = 0; i < numbers.size() && i < kOrdered; ++i)
        gCounting.failInOrder[i] = numbers[i];
}

long diskCalls(DiskCall call) {
    return gCounting.calls[static_cast<std::size_t>(call)].load();
}

long diskCallsInAll() {
    return gCounting.allCalls.load();
}

}  // namespace corvane
