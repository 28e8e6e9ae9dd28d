// bench_euclid_s: times 10,000,000 calls of the signed GCD by Euclid's remainder algorithm.
#include "bench/benchmark.h"

int main() { run_benchmark(gcd_euclid_s); }
