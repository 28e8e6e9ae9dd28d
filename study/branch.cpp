// Timing one data-dependent branch on random and on alternating bytes.
#include "study/branch.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Long enough that no predictor learns the random bytes, short enough for the cache.
constexpr std::size_t TABLE = std::size_t{1} << 16;
constexpr int TIMINGS = 15;

#if defined(__x86_64__) || defined(__i386__) || defined(__aarch64__)
#define GCD_KIT_HAS_BRANCH 1

// One conditional branch per byte, over one addition: taken where the byte is 0.
std::uint32_t branch_on_each(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t not_taken = 0;
  const std::uint32_t one = 1;
  for (const std::uint8_t byte : bytes) {
    const std::uint32_t condition = byte;
#if defined(__aarch64__)
    asm volatile("cbz %w1, 1f\n\tadd %w0, %w0, %w2\n1:"
                 : "+r"(not_taken)
                 : "r"(condition), "r"(one));
#else
    asm volatile("test %1, %1\n\tjz 1f\n\tadd %2, %0\n1:"
                 : "+r"(not_taken)
                 : "r"(condition), "r"(one));
#endif
  }
  return not_taken;
}

// The fastest of several timings, in ns per byte.
double ns_per_branch(const std::vector<std::uint8_t>& bytes) {
  static_cast<void>(branch_on_each(bytes));  // the table into the cache, the predictor taught
  double fastest = std::numeric_limits<double>::infinity();
  for (int timing = 0; timing < TIMINGS; ++timing) {
    const Clock::time_point start = Clock::now();
    static_cast<void>(branch_on_each(bytes));
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    fastest = std::min(fastest, ns / static_cast<double>(bytes.size()));
  }
  return fastest;
}
#endif

}  // namespace

std::optional<double> mispredicted_ns(double random_ns, double alternating_ns) {
  // Both tables take the branch for half their bytes: the same work, told apart only by how
  // well the branch can be predicted. Where noise leaves no difference, nothing was measured.
  const double ns = (random_ns - alternating_ns) / MISPREDICTED_SHARE;
  return ns > 0 ? std::optional<double>(ns) : std::nullopt;
}

std::optional<double> mispredicted_branch_ns() {
#ifdef GCD_KIT_HAS_BRANCH
  std::vector<std::uint8_t> random_bytes(TABLE);
  std::vector<std::uint8_t> alternating(TABLE);
  std::mt19937 random(2026);
  for (std::size_t i = 0; i < TABLE; ++i) {
    random_bytes[i] = static_cast<std::uint8_t>(random() & 1U);
    alternating[i] = static_cast<std::uint8_t>(i & 1U);
  }
  return mispredicted_ns(ns_per_branch(random_bytes), ns_per_branch(alternating));
#else
  return std::nullopt;
#endif
}
