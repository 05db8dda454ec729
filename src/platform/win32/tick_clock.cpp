#include "platform/tick_clock.h"

#include <windows.h>

std::uint32_t TickCount() { return GetTickCount(); }
