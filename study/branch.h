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
