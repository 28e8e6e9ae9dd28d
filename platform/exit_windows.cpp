// Ending the process on Windows.
#include <windows.h>

#include "platform/exit.h"

void exit_process(int status) noexcept { ExitProcess(static_cast<UINT>(status)); }
