// The calculator dialogue shared by calc_euclid_s and calc_binary_s.
#pragma once

#include "kernels/gcd.h"

// Prompts for two signed numbers, prints their GCD by the given kernel and ends the process.
[[noreturn]] void run_calculator(gcd_kernel kernel) noexcept;
