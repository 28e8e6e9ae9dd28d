// bench_binary_s: times 10,000,000 calls of the signed GCD by the binary algorithm.
#include "bench/benchmark.h"

int main() { run_benchmark(gcd_binary_s); }
