// check_u: holds the unsigned binary GCD against Euclid's on 10,000,000 pseudo-random pairs.
#include "check/cross_check.h"

int main() { run_cross_check(gcd_binary_u, gcd_euclid_u); }
