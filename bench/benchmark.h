// The timing loop shared by the four benchmarks.
#pragma once

#include "kernels/gcd.h"

// Times ITERATION_COUNT calls of the kernel on pseudo-random pairs, prints the elapsed
// milliseconds and ends the process.
[[noreturn]] void run_benchmark(gcd_kernel kernel) noexcept;
