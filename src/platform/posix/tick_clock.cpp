#include "platform/tick_clock.h"

#include <ctime>

std::uint32_t TickCount() {
  // A monotonic clock, so that a change of the wall clock cannot end or
  // stretch a wait.
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t milliseconds =
      static_cast<std::uint64_t>(now.tv_sec) * 1000u +
      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(milliseconds);
}
