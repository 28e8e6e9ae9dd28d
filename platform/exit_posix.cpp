// Ending the process on POSIX systems.
#include <cstdlib>

#include "platform/exit.h"

// Standard output is closed by now; nothing registered with atexit has work to do.
void exit_process(int status) noexcept { std::_Exit(status); }
