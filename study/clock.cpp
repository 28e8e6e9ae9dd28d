// Timing chains of dependent additions and multiplications in inline assembly.
#include "study/clock.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace {

using Clock = std::chrono::steady_clock;

// Each timing about 1 ms, short enough that a busy machine leaves some of them whole; the
// multiplications take a third as many rounds, for timings of the same length.
constexpr int LINKS_PER_ROUND = 100;
constexpr std::uint32_t ROUNDS = 30'000;
constexpr int TIMINGS = 21;

#if defined(__x86_64__) || defined(__i386__) || defined(__aarch64__)
#define GCD_KIT_HAS_CHAINS 1

// Each instruction reads the register the one before wrote. The second operand is a
// register, never an immediate: recent Intel cores resolve chains of "add reg, imm" while
// renaming, at several per cycle.
void run_chain(Chain chain, std::uint32_t rounds) {
  std::uint32_t value = 1;
  const std::uint32_t step = 3;
  for (; rounds != 0; --rounds) {
#if defined(__aarch64__)
    static_cast<void>(chain);
    asm volatile(".rept 100\n\tadd %w0, %w0, %w1\n\t.endr" : "+r"(value) : "r"(step));
#else
    if (chain == Chain::add) {
      asm volatile(".rept 100\n\tadd %1, %0\n\t.endr" : "+r"(value) : "r"(step));
    } else {
      asm volatile(".rept 100\n\timul %1, %0\n\t.endr" : "+r"(value) : "r"(step));
    }
#endif
  }
}
static_assert(LINKS_PER_ROUND == 100, "the .rept count of the chains");
#endif

}  // namespace

std::optional<double> chain_links_per_ns([[maybe_unused]] Chain chain) {
#ifdef GCD_KIT_HAS_CHAINS
#ifdef __aarch64__
  if (chain == Chain::multiply) {
    return std::nullopt;  // multiplication latency differs between ARM cores
  }
#endif
  const std::uint32_t rounds = chain == Chain::add ? ROUNDS : ROUNDS / 3;
  run_chain(chain, 3 * rounds);  // wakes the core up to speed
  double fastest = 0;
  for (int timing = 0; timing < TIMINGS; ++timing) {
    const Clock::time_point start = Clock::now();
    run_chain(chain, rounds);
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    fastest = std::max(fastest, static_cast<double>(rounds) * LINKS_PER_ROUND / ns);
  }
  return fastest;
#else
  return std::nullopt;
#endif
}

std::optional<double> measure_clock_ghz() { return chain_links_per_ns(Chain::add); }
