// A benchmark whose kernel reports on standard error the first pairs it is given and how
// many calls it got, so that a test can see what the timing loop feeds its kernel. No line
// ends, so the report reads the same in Windows text mode.
#include <cstdint>
#include <cstdio>

#include "bench/benchmark.h"

namespace {

std::uint32_t calls = 0;

std::uint32_t recording_kernel(std::uint32_t first, std::uint32_t second) noexcept {
  ++calls;
  if (calls <= 3) {
    std::fprintf(stderr, "call %u: %u %u | ", calls, first, second);
  } else if (calls == 10'000'000) {
    std::fputs("call 10000000 reached | ", stderr);
  } else if (calls == 10'000'001) {
    std::fputs("more than 10000000 calls | ", stderr);
  }
  return first;
}

}  // namespace

int main() { run_benchmark(recording_kernel); }
