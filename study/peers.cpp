// The peers of the kit's kernels.
#include "study/peers.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>

#ifdef GCD_KIT_HAVE_GMP
#include <gmp.h>
#endif

std::uint32_t std_gcd_u(std::uint32_t first, std::uint32_t second) noexcept {
  return std::gcd(first, second);
}

// u - v and v - u have the same trailing zeros, so the count need not wait for the larger
// value to be chosen: per pass one subtraction, then the count, the magnitude and the
// smaller value side by side, then one shift. The difference is formed in 64 bits, where its
// magnitude is a neg and a cmov: the 32-bit forms of this loop lead g++ to branch on the order.
std::uint32_t fast_binary_u(std::uint32_t first, std::uint32_t second) noexcept {
  std::uint32_t u = first;
  std::uint32_t v = second;
  if (u == 0) {
    return v;
  }
  if (v == 0) {
    return u;
  }
  const int k = __builtin_ctz(u | v);
  u >>= __builtin_ctz(u);
  v >>= __builtin_ctz(v);
  for (;;) {
    const std::int64_t difference = std::int64_t{u} - std::int64_t{v};
    if (difference == 0) {
      return u << k;
    }
    const int zeros = __builtin_ctzll(static_cast<std::uint64_t>(difference));
    v = u < v ? u : v;
    u = static_cast<std::uint32_t>((difference < 0 ? -difference : difference) >> zeros);
  }
}

// Each pass divides both pairs; the loop-carried chain of each runs through its own division,
// so the two divisions wait for nothing of each other. The one exit tests both divisors.
TwoGcds euclid_two_u(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) noexcept {
  while ((b | d) != 0) {
    const std::uint32_t r = a % (b != 0 ? b : 1);
    const std::uint32_t s = c % (d != 0 ? d : 1);
    a = b != 0 ? b : a;
    b = b != 0 ? r : 0;
    c = d != 0 ? d : c;
    d = d != 0 ? s : 0;
  }
  return {a, c};
}

namespace {

// One pair of the binary algorithm's loop, as the kit's kernels make it: strip both words to
// odd, leave where one is 1 or both are equal, else half the difference and the smaller.
struct BinaryLane {
  std::uint32_t u;
  std::uint32_t v;
  int k;              // the common power of two
  std::uint32_t gcd;  // once done
  bool done;
};

BinaryLane lane_of(std::uint32_t a, std::uint32_t b) {
  if (a == 0 || b == 0) {
    return {1, 1, 0, a | b, true};  // no pass: the other word
  }
  return {a, b, __builtin_ctz(a | b), 0, false};
}

// All ones where the condition holds, else 0: a mask that selects without a branch.
inline std::uint32_t mask_of(bool condition) { return 0U - static_cast<std::uint32_t>(condition); }

// where ? when : otherwise, by masks: no compiler turns it into a branch on random data.
inline std::uint32_t select(std::uint32_t where, std::uint32_t when, std::uint32_t otherwise) {
  return otherwise ^ ((otherwise ^ when) & where);
}

// A pass of a lane not yet done. The order of the two words is chosen by masks, not a branch:
// a branch on it would mispredict half the time. The lane's end is a branch, taken once.
inline void binary_pass(BinaryLane& lane) {
  const std::uint32_t u = lane.u >> __builtin_ctz(lane.u);
  const std::uint32_t v = lane.v >> __builtin_ctz(lane.v);
  if (u == 1 || v == 1 || u == v) {
    lane.gcd = (u == v ? u : 1U) << lane.k;
    lane.done = true;
    return;
  }
  const std::uint32_t smaller = mask_of(u < v);
  lane.u = select(smaller, v - u, u - v) >> 1;
  lane.v = select(smaller, u, v);
}

}  // namespace

// Each pass strips and steps both pairs; the two chains wait for nothing of each other.
TwoGcds binary_two_u(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) noexcept {
  BinaryLane first = lane_of(a, b);
  BinaryLane second = lane_of(c, d);
  while (!first.done || !second.done) {
    if (!first.done) {
      binary_pass(first);
    }
    if (!second.done) {
      binary_pass(second);
    }
  }
  return {first.gcd, second.gcd};
}

#ifdef GCD_KIT_HAVE_GMP
std::uint32_t mpn_gcd_1_u(std::uint32_t first, std::uint32_t second) noexcept {
  if (first == 0) {
    return second;
  }
  if (second == 0) {
    return first;
  }
  const mp_limb_t limb = first;
  return static_cast<std::uint32_t>(mpn_gcd_1(&limb, 1, second));
}
#endif

namespace {

constexpr std::array PEERS{
    Peer{"std_gcd_u", std_gcd_u, "std::gcd of the C++ standard library"},
    Peer{"fast_binary_u", fast_binary_u,
         "binary, one trailing-zero count per pass, of the difference"},
#ifdef GCD_KIT_HAVE_GMP
    Peer{"mpn_gcd_1_u", mpn_gcd_1_u, "GMP's mpn_gcd_1 on one limb"},
#endif
};

constexpr bool named_in_peer_names(std::string_view name) {
  for (const char* known : PEER_NAMES) {
    if (name == known) {
      return true;
    }
  }
  return false;
}
constexpr std::array TWO_PAIR_PEERS{
    TwoPairPeer{"euclid_two_u", euclid_two_u, "gcd_euclid_u",
                "Euclid on two pairs at once, in one loop"},
    TwoPairPeer{"binary_two_u", binary_two_u, "gcd_binary_u",
                "binary on two pairs at once, in one loop"},
};

static_assert(std::all_of(PEERS.begin(), PEERS.end(),
                          [](const Peer& peer) { return named_in_peer_names(peer.name); }),
              "every peer is named in PEER_NAMES");
static_assert(std::all_of(TWO_PAIR_PEERS.begin(), TWO_PAIR_PEERS.end(),
                          [](const TwoPairPeer& peer) { return named_in_peer_names(peer.name); }),
              "every peer is named in PEER_NAMES");

}  // namespace

std::span<const Peer> peers() noexcept { return PEERS; }

std::span<const TwoPairPeer> two_pair_peers() noexcept { return TWO_PAIR_PEERS; }

const char* peer_left_out() noexcept {
#ifdef GCD_KIT_HAVE_GMP
  return nullptr;
#else
  return "mpn_gcd_1_u left out: GMP was not found at build time (Debian libgmp-dev)";
#endif
}
