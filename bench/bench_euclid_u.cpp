// bench_euclid_u: times 10,000,000 calls of the unsigned GCD by Euclid's remainder algorithm.
#include "bench/benchmark.h"

int main() { run_benchmark(gcd_euclid_u); }
