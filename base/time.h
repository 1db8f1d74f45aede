// Time conversions.
#pragma once

#include <windows.h>

#include <cstdint>

// Seconds from 1970-01-01 UTC to the file time (100 ns ticks from 1601-01-01 UTC); 0 for
// an earlier time.
uint64_t UnixSecondsFromFileTime(const FILETIME& time);

// The system clock in Unix seconds.
uint64_t UnixSecondsNow();
