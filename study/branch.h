// The cost of a mispredicted branch here, measured in this process.
#pragma once

#include <optional>

// Nanoseconds per mispredicted branch: one loop that branches on each byte of a table, timed
// on random bytes (the branch goes either way by chance, so about half the branches are
// mispredicted) and on bytes that alternate (none are, once the pattern is learnt); the
// difference per branch, over one half. The branch is written in assembly, so that no
// compiler turns it into a conditional move; nullopt where it is not (neither x86 nor aarch64),
// or where the two timings show no difference.
[[nodiscard]] std::optional<double> mispredicted_branch_ns();

// A branch on random bits goes the way not predicted for about half of them.
inline constexpr double MISPREDICTED_SHARE = 0.5;

// The cost of one mispredicted branch from the ns per branch on random and on alternating
// bytes: their difference over the share mispredicted; nullopt where it is not above 0.
[[nodiscard]] std::optional<double> mispredicted_ns(double random_ns, double alternating_ns);
