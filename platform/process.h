// Ending a program: everything written must reach standard output, or the program fails.
#pragma once

// Closes standard output and ends the process with status 0. If any of the output
// could not be written, one line naming the error goes to standard error and the
// status is 1 instead, so lost output never reads as success.
[[noreturn]] void end_process() noexcept;

// Ends the process with status 1 after a failed read of standard input, whose errno is
// given (0 if unknown): one line naming the read error on standard error, and one more
// if the output written so far could not be written either.
[[noreturn]] void end_process_after_read_error(int error) noexcept;
