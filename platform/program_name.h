// The running program's own name, which starts every line it writes to standard error.
#pragma once

// Fixed when the program is built (each program compiles platform/program_name.cpp with
// its name), so the programs need not read their command line for it.
extern const char program_name[];
