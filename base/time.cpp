#include "base/time.h"

uint64_t UnixSecondsFromFileTime(const FILETIME& time) {
    const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const uint64_t ticksAt1970 = 116444736000000000ULL;  // 100 ns ticks from 1601 to 1970
    return ticks < ticksAt1970 ? 0 : (ticks - ticksAt1970) / 10000000ULL;
}

uint64_t UnixSecondsNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return UnixSecondsFromFileTime(now);
}
