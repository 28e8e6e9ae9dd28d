// What the system tells of other work on the machine, for the report's watch over its own
// measurements: this thread's CPU time and its involuntary switches, the CPU time of the
// programs it ran, and the time the host stole from the machine. None of it where the
// system gives none.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// CPU time in seconds: this thread's, and that of the child processes waited for so far.
[[nodiscard]] std::optional<double> thread_cpu_seconds();
[[nodiscard]] std::optional<double> children_cpu_seconds();

// This thread's involuntary context switches so far: another task took its core; and those
// of the child processes waited for so far.
[[nodiscard]] std::optional<std::uint64_t> involuntary_switches();
[[nodiscard]] std::optional<std::uint64_t> children_involuntary_switches();

// The machine's time in ticks since it started: all of it, and what its host stole (a
// virtual machine's processor running another machine's work).
struct MachineTicks {
  std::uint64_t total = 0;
  std::uint64_t stolen = 0;
};
[[nodiscard]] std::optional<MachineTicks> machine_ticks();

// The ticks in the text of Linux's /proc/stat: its first line, "cpu" and the times user,
// nice, system, idle, iowait, irq, softirq and steal (later fields, guest time, are already
// counted in user); none where there is no such line.
[[nodiscard]] std::optional<MachineTicks> ticks_from_proc_stat(std::string_view text);
