// check_s: holds the signed binary GCD against Euclid's on 10,000,000 pseudo-random pairs.
#include "check/cross_check.h"

int main() { run_cross_check(gcd_binary_s, gcd_euclid_s); }
