// bench_binary_u: times 10,000,000 calls of the unsigned GCD by the binary algorithm.
#include "bench/benchmark.h"

int main() { run_benchmark(gcd_binary_u); }
