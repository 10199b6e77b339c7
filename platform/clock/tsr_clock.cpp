// The millisecond clock: CLOCK_MONOTONIC, or a virtual clock for tests and
// replays. The virtual clock is process-wide on purpose: the engine reads
// time through TimeGetTime only, so swapping it here swaps it everywhere.
#include "platform/clock/tsr_clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tsr {
namespace {

std::atomic<bool> g_virtual{false};
std::atomic<uint32_t> g_virtualNow{0};

uint32_t MonotonicMs()
{
    using namespace std::chrono;
    const auto since = steady_clock::now().time_since_epoch();
    // Truncation to 32 bits wraps the way the system's multimedia clock does.
    return static_cast<uint32_t>(duration_cast<milliseconds>(since).count());
}

} // namespace

uint32_t TimeGetTime()
{
    if (g_virtual.load(std::memory_order_relaxed))
        return g_virtualNow.load(std::memory_order_relaxed);
    return MonotonicMs();
}

void UseVirtualClock(uint32_t startMs)
{
    g_virtualNow.store(startMs);
    g_virtual.store(true);
}

void AdvanceVirtualClock(uint32_t ms)
{
    g_virtualNow.fetch_add(ms); // unsigned: wraps at 2^32 like the real clock
}

bool IsVirtualClock() { return g_virtual.load(); }

void UseRealClock() { g_virtual.store(false); }

void SleepMs(uint32_t ms)
{
    if (g_virtual.load()) {
        AdvanceVirtualClock(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace tsr
