// calc_euclid_s: prints the GCD of two signed numbers by Euclid's remainder algorithm.
#include "calc/calculator.h"

int main() { run_calculator(gcd_euclid_s); }
