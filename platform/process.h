// Ending a program: everything written must reach standard output, or the program fails.
#pragma once

// Closes standard output and ends the process with status 0. If any of the output
// could not be written, one line naming the error goes to standard error and the
// status is 1 instead, so lost output never reads as success.
[[noreturn]] void end_process() noexcept;
