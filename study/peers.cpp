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
static_assert(std::all_of(PEERS.begin(), PEERS.end(),
                          [](const Peer& peer) { return named_in_peer_names(peer.name); }),
              "every peer is named in PEER_NAMES");

}  // namespace

std::span<const Peer> peers() noexcept { return PEERS; }

const char* peer_left_out() noexcept {
#ifdef GCD_KIT_HAVE_GMP
  return nullptr;
#else
  return "mpn_gcd_1_u left out: GMP was not found at build time (Debian libgmp-dev)";
#endif
}
