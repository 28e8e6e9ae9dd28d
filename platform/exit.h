// The platform's own way to end the process; only the process-ending layer calls it.
#pragma once

[[noreturn]] void exit_process(int status) noexcept;
