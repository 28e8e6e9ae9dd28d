// The chains, in inline assembly for x86 (32 and 64-bit) and aarch64.
#include "study/chains.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

#if defined(__x86_64__) || defined(__i386__)

// A link repeated CHAIN_LINKS times, rounds times, over the operands given: the text of one
// link is the asm string between ".rept 100" and ".endr", named LINK_ and kept in the table so
// that the carriers it counts can be checked against it.
#define GCD_KIT_CHAIN(link) ".rept 100\n\t" link "\n\t.endr"
static_assert(CHAIN_LINKS == 100, "the .rept count of the chains");

// "and $0" is no zeroing idiom on any x86 core (those are xor and sub of a register with
// itself), so it carries the dependency; its own latency is timed as the first chain.
#define LINK_AND "and $0, %0"
void and_zero(std::uint32_t rounds) {
  std::uint32_t x = 1;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_AND) : "+r"(x) : : "cc");
  }
}

// From the divisor to the remainder, the edge Euclid's loop carries: the remainder is carried
// into the next divisor by "and $0" and "add", and the dividend is loaded afresh.
#define LINK_DIV "mov %3, %%eax\n\tand $0, %%edx\n\tadd %%edx, %%ecx\n\tdiv %%ecx"
template <std::uint32_t DIVIDEND, std::uint32_t DIVISOR>
void div_chain(std::uint32_t rounds) {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  std::uint32_t divisor = DIVISOR;
  const std::uint32_t dividend = DIVIDEND;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_DIV)
                 : "=&a"(low), "+d"(high), "+c"(divisor)
                 : "r"(dividend)
                 : "cc");
  }
}

#define LINK_IDIV "mov %3, %%eax\n\tand $0, %%edx\n\tadd %%edx, %%ecx\n\tcltd\n\tidiv %%ecx"
template <std::uint32_t DIVIDEND, std::uint32_t DIVISOR>
void idiv_chain(std::uint32_t rounds) {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  std::uint32_t divisor = DIVISOR;
  const std::uint32_t dividend = DIVIDEND;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_IDIV)
                 : "=&a"(low), "+d"(high), "+c"(divisor)
                 : "r"(dividend)
                 : "cc");
  }
}

// From eax to edx; the sign (0 of a positive eax) is carried back by "add".
#define LINK_CLTD "cltd\n\tadd %%edx, %%eax"
void cltd_chain(std::uint32_t rounds) {
  std::uint32_t value = 1;
  std::uint32_t sign = 0;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_CLTD) : "+a"(value), "=&d"(sign) : : "cc");
  }
}

// The count of 1 is 0, which "add" carries back: the word stays 1, never 0.
#define LINK_TZCNT "tzcnt %0, %1\n\tadd %1, %0"
void tzcnt_chain(std::uint32_t rounds) {
  std::uint32_t value = 1;
  std::uint32_t zeros = 0;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_TZCNT) : "+r"(value), "=&r"(zeros) : : "cc");
  }
}

#define LINK_BSF "bsf %0, %1\n\tadd %1, %0"
void bsf_chain(std::uint32_t rounds) {
  std::uint32_t value = 1;
  std::uint32_t zeros = 0;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_BSF) : "+r"(value), "+r"(zeros) : : "cc");
  }
}

// A shift by %cl, from the word shifted to the result.
#define LINK_SHR_CL_VALUE "shr %%cl, %0"
void shr_cl_value_chain(std::uint32_t rounds) {
  std::uint32_t value = 0xFFFFFFFF;
  const std::uint32_t count = 1;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_SHR_CL_VALUE) : "+r"(value) : "c"(count) : "cc");
  }
}

// A shift by %cl, from the count to the result, carried back into the count.
#define LINK_SHR_CL_COUNT "shr %%cl, %0\n\tand $0, %0\n\tadd %0, %%ecx"
void shr_cl_count_chain(std::uint32_t rounds) {
  std::uint32_t value = 0;
  std::uint32_t count = 1;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_SHR_CL_COUNT) : "+r"(value), "+c"(count) : : "cc");
  }
}

#define LINK_SHR_1 "shr %0"
void shr_1_chain(std::uint32_t rounds) {
  std::uint32_t value = 0xFFFFFFFF;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_SHR_1) : "+r"(value) : : "cc");
  }
}

#define LINK_SUB "sub %1, %0"
void sub_chain(std::uint32_t rounds) {
  std::uint32_t value = 0;
  const std::uint32_t step = 1;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_SUB) : "+r"(value) : "r"(step) : "cc");
  }
}

// From the word compared, through the flags, to the conditional move's result: the move
// takes either the same value or the word itself, so the word stays as it is.
#define LINK_CMP_CMOV(cmov) "cmp %2, %0\n\t" cmov " %1, %0"
#define GCD_KIT_CMP_CMOV(name, cmov)                  \
  void name(std::uint32_t rounds) {                   \
    std::uint32_t value = 5;                          \
    const std::uint32_t same = 5;                     \
    const std::uint32_t other = 3;                    \
    for (; rounds != 0; --rounds) {                   \
      asm volatile(GCD_KIT_CHAIN(LINK_CMP_CMOV(cmov)) \
                   : "+r"(value)                      \
                   : "r"(same), "r"(other)            \
                   : "cc");                           \
    }                                                 \
  }
GCD_KIT_CMP_CMOV(cmp_cmovbe_chain, "cmovbe")
GCD_KIT_CMP_CMOV(cmp_cmova_chain, "cmova")
GCD_KIT_CMP_CMOV(cmp_cmovb_chain, "cmovb")
GCD_KIT_CMP_CMOV(cmp_cmovae_chain, "cmovae")
#undef GCD_KIT_CMP_CMOV

// Two moves a link, there and back.
#define LINK_MOV "mov %0, %1\n\tmov %1, %0"
void mov_chain(std::uint32_t rounds) {
  std::uint32_t value = 1;
  std::uint32_t copy = 0;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_MOV) : "+r"(value), "=&r"(copy));
  }
}

constexpr InstructionChain CHAINS[] = {
    {"and", "and $0, r32 (the carrier)", LINK_AND, 1, 0, 0, and_zero},
    {"div", "div r32, quotient 1", LINK_DIV, 1, 1, 1, div_chain<4294967295U, 2147483649U>},
    {"div", "div r32, quotient of 31 bits", LINK_DIV, 1, 1, 1, div_chain<4294967295U, 3U>},
    {"idiv", "idiv r32, quotient 1", LINK_IDIV, 1, 1, 1, idiv_chain<2147483647U, 1073741825U>},
    {"idiv", "idiv r32, quotient of 30 bits", LINK_IDIV, 1, 1, 1, idiv_chain<2147483647U, 3U>},
    {"cltd", "cltd", LINK_CLTD, 1, 0, 1, cltd_chain},
    {"tzcnt", "tzcnt r32, r32", LINK_TZCNT, 1, 0, 1, tzcnt_chain},
    {"bsf", "bsf r32, r32", LINK_BSF, 1, 0, 1, bsf_chain},
    {"shr_cl_value", "shr %cl, r32 (from the word)", LINK_SHR_CL_VALUE, 1, 0, 0,
     shr_cl_value_chain},
    {"shr_cl_count", "shr %cl, r32 (from the count)", LINK_SHR_CL_COUNT, 1, 1, 1,
     shr_cl_count_chain},
    {"shr_1", "shr r32 (by 1)", LINK_SHR_1, 1, 0, 0, shr_1_chain},
    {"sub", "sub r32, r32", LINK_SUB, 1, 0, 0, sub_chain},
    {"cmp_cmovbe", "cmp and cmovbe", LINK_CMP_CMOV("cmovbe"), 1, 0, 0, cmp_cmovbe_chain},
    {"cmp_cmova", "cmp and cmova", LINK_CMP_CMOV("cmova"), 1, 0, 0, cmp_cmova_chain},
    {"cmp_cmovb", "cmp and cmovb", LINK_CMP_CMOV("cmovb"), 1, 0, 0, cmp_cmovb_chain},
    {"cmp_cmovae", "cmp and cmovae", LINK_CMP_CMOV("cmovae"), 1, 0, 0, cmp_cmovae_chain},
    {"mov", "mov r32, r32", LINK_MOV, 2, 0, 0, mov_chain},
};

#elif defined(__aarch64__)

#define GCD_KIT_CHAIN(link) ".rept 100\n\t" link "\n\t.endr"
static_assert(CHAIN_LINKS == 100, "the .rept count of the chains");

#define LINK_AND "and %w0, %w0, wzr"
void and_zero(std::uint32_t rounds) {
  std::uint32_t x = 1;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_AND) : "+r"(x));
  }
}

// From the divisor to the quotient, carried back into the divisor by "and" and "add".
#define LINK_DIV(instruction) instruction " %w0, %w3, %w2\n\tand %w1, %w0, wzr\n\tadd %w2, %w2, %w1"
#define GCD_KIT_DIV(name, instruction)                              \
  template <std::uint32_t DIVIDEND, std::uint32_t DIVISOR>          \
  void name(std::uint32_t rounds) {                                 \
    std::uint32_t quotient = 0;                                     \
    std::uint32_t carried = 0;                                      \
    std::uint32_t divisor = DIVISOR;                                \
    const std::uint32_t dividend = DIVIDEND;                        \
    for (; rounds != 0; --rounds) {                                 \
      asm volatile(GCD_KIT_CHAIN(LINK_DIV(instruction))             \
                   : "=&r"(quotient), "=&r"(carried), "+r"(divisor) \
                   : "r"(dividend));                                \
    }                                                               \
  }
GCD_KIT_DIV(udiv_chain, "udiv")
GCD_KIT_DIV(sdiv_chain, "sdiv")
#undef GCD_KIT_DIV

// The multiplicand to the result: by 0, so the result is the word subtracted from, each time.
#define LINK_MSUB "msub %w0, %w0, %w1, %w2"
void msub_chain(std::uint32_t rounds) {
  std::uint32_t value = 7;
  const std::uint32_t zero = 0;
  const std::uint32_t base = 7;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_MSUB) : "+r"(value) : "r"(zero), "r"(base));
  }
}

#define GCD_KIT_UNARY(name, link)                                          \
  void name(std::uint32_t rounds) {                                        \
    std::uint32_t value = 1;                                               \
    const std::uint32_t other = 1;                                         \
    for (; rounds != 0; --rounds) {                                        \
      asm volatile(GCD_KIT_CHAIN(link) : "+r"(value) : "r"(other) : "cc"); \
    }                                                                      \
  }
#define LINK_RBIT "rbit %w0, %w0"
#define LINK_CLZ "clz %w0, %w0"
#define LINK_LSR "lsr %w0, %w0, %w1"
#define LINK_SUBS "subs %w0, %w0, %w1"
#define LINK_CMP_CSEL "cmp %w0, %w1\n\tcsel %w0, %w1, %w0, ls"
GCD_KIT_UNARY(rbit_chain, LINK_RBIT)
GCD_KIT_UNARY(clz_chain, LINK_CLZ)
GCD_KIT_UNARY(lsr_chain, LINK_LSR)
GCD_KIT_UNARY(subs_chain, LINK_SUBS)
GCD_KIT_UNARY(cmp_csel_chain, LINK_CMP_CSEL)
#undef GCD_KIT_UNARY

#define LINK_MOV "mov %w1, %w0\n\tmov %w0, %w1"
void mov_chain(std::uint32_t rounds) {
  std::uint32_t value = 1;
  std::uint32_t copy = 0;
  for (; rounds != 0; --rounds) {
    asm volatile(GCD_KIT_CHAIN(LINK_MOV) : "+r"(value), "=&r"(copy));
  }
}

constexpr InstructionChain CHAINS[] = {
    {"and", "and w, w, wzr (the carrier)", LINK_AND, 1, 0, 0, and_zero},
    {"udiv", "udiv w, quotient 1", LINK_DIV("udiv"), 1, 1, 1, udiv_chain<4294967295U, 2147483649U>},
    {"udiv", "udiv w, quotient of 31 bits", LINK_DIV("udiv"), 1, 1, 1, udiv_chain<4294967295U, 3U>},
    {"sdiv", "sdiv w, quotient 1", LINK_DIV("sdiv"), 1, 1, 1, sdiv_chain<2147483647U, 1073741825U>},
    {"sdiv", "sdiv w, quotient of 30 bits", LINK_DIV("sdiv"), 1, 1, 1, sdiv_chain<2147483647U, 3U>},
    {"msub", "msub w (from the multiplicand)", LINK_MSUB, 1, 0, 0, msub_chain},
    {"rbit", "rbit w, w", LINK_RBIT, 1, 0, 0, rbit_chain},
    {"clz", "clz w, w", LINK_CLZ, 1, 0, 0, clz_chain},
    {"lsr", "lsr w, w, w (from the word)", LINK_LSR, 1, 0, 0, lsr_chain},
    {"subs", "subs w, w, w", LINK_SUBS, 1, 0, 0, subs_chain},
    {"cmp_csel", "cmp and csel", LINK_CMP_CSEL, 1, 0, 0, cmp_csel_chain},
    {"mov", "mov w, w", LINK_MOV, 2, 0, 0, mov_chain},
};

#endif

}  // namespace

std::span<const InstructionChain> instruction_chains() {
#if defined(__x86_64__) || defined(__i386__) || defined(__aarch64__)
  return CHAINS;
#else
  return {};
#endif
}

bool has_tzcnt() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  // Leaf 7, EBX bit 3: BMI1. Without it the bytes of tzcnt run as bsf.
  return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (ebx & (1U << 3)) != 0;
#else
  return true;
#endif
}

std::optional<std::uint32_t> run_divisions(std::span<const Division> divisions, bool is_signed,
                                           bool chained) {
  if (divisions.empty()) {
    return std::nullopt;
  }
  const Division* at = divisions.data();
  const Division* const end = at + divisions.size();
#if defined(__x86_64__) || defined(__i386__)
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  std::uint32_t divisor = 0;
  // The high word of the dividend: 0 carried from the last remainder, or 0 that waits for
  // nothing (xor of a register with itself).
#define GCD_KIT_DIVISIONS(high_word, divide)                                                 \
  asm volatile("1:\n\tmov (%[at]), %%eax\n\tmov 4(%[at]), %%ecx\n\t" high_word "\n\t" divide \
               "\n\tadd $8, %[at]\n\tcmp %[at], %[end]\n\tjne 1b"                            \
               : [at] "+r"(at), "=&a"(low), "+d"(high), "=&c"(divisor)                       \
               : [end] "r"(end)                                                              \
               : "cc", "memory")
  if (chained && is_signed) {
    GCD_KIT_DIVISIONS("and $0, %%edx\n\tadd %%edx, %%ecx", "cltd\n\tidiv %%ecx");
  } else if (chained) {
    GCD_KIT_DIVISIONS("and $0, %%edx\n\tadd %%edx, %%ecx", "div %%ecx");
  } else if (is_signed) {
    GCD_KIT_DIVISIONS("xor %%edx, %%edx", "cltd\n\tidiv %%ecx");
  } else {
    GCD_KIT_DIVISIONS("xor %%edx, %%edx", "div %%ecx");
  }
#undef GCD_KIT_DIVISIONS
  return high;
#elif defined(__aarch64__)
  std::uint32_t dividend = 0;
  std::uint32_t divisor = 0;
  std::uint32_t carried = 0;
  std::uint32_t quotient = 0;
  std::uint32_t remainder = 0;
  // The divisor carried from the last remainder through "and" and "add", or taken as loaded.
#define GCD_KIT_DIVISIONS(carry, divide)                                                          \
  asm volatile("1:\n\tldp %w[a], %w[b], [%[at]], #8\n\t" carry divide                             \
               " %w[q], %w[a], %w[b]\n\tmsub %w[r], %w[q], %w[b], %w[a]\n\tcmp %[at], %[end]\n\t" \
               "b.ne 1b"                                                                          \
               : [at] "+r"(at), [a] "=&r"(dividend), [b] "=&r"(divisor), [c] "=&r"(carried),      \
                 [q] "=&r"(quotient), [r] "+r"(remainder)                                         \
               : [end] "r"(end)                                                                   \
               : "cc", "memory")
  if (chained && is_signed) {
    GCD_KIT_DIVISIONS("and %w[c], %w[r], wzr\n\tadd %w[b], %w[b], %w[c]\n\t", "sdiv");
  } else if (chained) {
    GCD_KIT_DIVISIONS("and %w[c], %w[r], wzr\n\tadd %w[b], %w[b], %w[c]\n\t", "udiv");
  } else if (is_signed) {
    GCD_KIT_DIVISIONS("", "sdiv");
  } else {
    GCD_KIT_DIVISIONS("", "udiv");
  }
#undef GCD_KIT_DIVISIONS
  return remainder;
#else
  static_cast<void>(at);
  static_cast<void>(end);
  static_cast<void>(is_signed);
  static_cast<void>(chained);
  return std::nullopt;
#endif
}
