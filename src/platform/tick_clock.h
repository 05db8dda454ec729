#pragma once
// Seam: a millisecond tick counter that wraps around every 2^32 ms, so
// elapsed times must be taken as unsigned differences.

#include <cstdint>

std::uint32_t TickCount();
