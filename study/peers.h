// What the kit's kernels are measured against: the standard library's std::gcd, the fastest
// binary variant we know, and GMP's one-limb GCD where GMP was found. One place for the
// report and the microbenchmark alike.
#pragma once

#include <cstdint>
#include <span>

#include "kernels/gcd.h"

// std::gcd of <numeric> on the unsigned words.
[[nodiscard]] std::uint32_t std_gcd_u(std::uint32_t first, std::uint32_t second) noexcept;

// The binary algorithm with one trailing-zero count per pass, taken of the difference itself.
[[nodiscard]] std::uint32_t fast_binary_u(std::uint32_t first, std::uint32_t second) noexcept;

#ifdef GCD_KIT_HAVE_GMP
// GMP's mpn_gcd_1 on one limb; it needs both operands nonzero, so the zero cases come first.
[[nodiscard]] std::uint32_t mpn_gcd_1_u(std::uint32_t first, std::uint32_t second) noexcept;
#endif

// Two GCDs at once, in one loop: a caller with many pairs keeps two independent pairs in
// flight, so that the core can run both chains side by side.
struct TwoGcds {
  std::uint32_t first;   // of (a, b)
  std::uint32_t second;  // of (c, d)
};
using two_pair_kernel = TwoGcds (*)(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                    std::uint32_t d) noexcept;

// Euclid's remainder steps on both pairs in each pass of one loop, until both are done; a
// pair done early divides by 1 and keeps its result.
[[nodiscard]] TwoGcds euclid_two_u(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                   std::uint32_t d) noexcept;

// The binary algorithm's steps, as the kit's kernels make them, on both pairs in each pass of
// one loop, until both are done; a pair done early waits.
[[nodiscard]] TwoGcds binary_two_u(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                   std::uint32_t d) noexcept;

struct Peer {
  const char* name;
  gcd_kernel kernel;
  const char* what;  // one line for a reader of the report
};

struct TwoPairPeer {
  const char* name;
  two_pair_kernel kernel;
  const char* kit_kernel;  // whose algorithm it runs on two pairs
  const char* what;
};

// Every peer's name, whether this build has it or not: a report of another build may hold any.
inline constexpr const char* PEER_NAMES[] = {"std_gcd_u", "fast_binary_u", "mpn_gcd_1_u",
                                             "euclid_two_u", "binary_two_u"};

// The peers this build has, all of them unsigned; and those that take two pairs at once.
[[nodiscard]] std::span<const Peer> peers() noexcept;
[[nodiscard]] std::span<const TwoPairPeer> two_pair_peers() noexcept;

// Why a peer is missing from this build ("mpn_gcd_1_u: ..."), or nullptr if none is.
[[nodiscard]] const char* peer_left_out() noexcept;
