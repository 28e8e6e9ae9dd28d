// The cross-check shared by check_s and check_u.
#pragma once

#include "kernels/gcd.h"

// Compares under_test with reference on ITERATION_COUNT pseudo-random pairs, prints how
// many pairs gave different words and ends the process.
[[noreturn]] void run_cross_check(gcd_kernel under_test, gcd_kernel reference) noexcept;
