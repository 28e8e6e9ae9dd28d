// The processor's clock, measured in this process: a long chain of dependent register
// additions runs at one addition per cycle on every x86 and ARM64 core.
#pragma once

#include <optional>

// The chains that can be timed: additions (1 cycle each) and, on x86, multiplications
// (imul, 3 cycles each on every x86 core of the last twenty years).
enum class Chain { add, multiply };

// Links of the chain per nanosecond, from the fastest of several timings of about 1 ms each
// (a busy machine only makes a timing slower); nullopt on a processor without such a chain
// here (neither x86 nor aarch64), or a multiplication chain on aarch64.
[[nodiscard]] std::optional<double> chain_links_per_ns(Chain chain);

// The clock in GHz: the addition chain's links per ns.
[[nodiscard]] std::optional<double> measure_clock_ghz();
