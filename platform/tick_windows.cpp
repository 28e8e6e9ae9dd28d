// The millisecond tick counter on Windows: milliseconds since the system started.
#include <windows.h>

#include <cstdint>

#include "platform/tick.h"

std::uint32_t tick_count_ms() noexcept { return GetTickCount(); }
