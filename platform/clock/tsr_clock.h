// The millisecond clock. Real runs read a monotonic clock; tests and input
// replays swap in a virtual clock that only moves when told to, so that a
// whole run is repeatable.
#pragma once

#include <cstdint>

namespace tsr {

// Milliseconds, wrapping at 2^32 like the system's multimedia clock.
uint32_t TimeGetTime();

// Switches to a virtual clock that reads startMs until advanced.
void UseVirtualClock(uint32_t startMs);
void AdvanceVirtualClock(uint32_t ms);
bool IsVirtualClock();
// Back to the monotonic clock.
void UseRealClock();

// Sleeps (real clock) or advances the virtual clock by ms.
void SleepMs(uint32_t ms);

} // namespace tsr
