// calc_binary_s: prints the GCD of two signed numbers by the binary algorithm.
#include "calc/calculator.h"

int main() { run_calculator(gcd_binary_s); }
