// Reading the machine's ticks from the text of /proc/stat, on any system: any text is taken.
#include <charconv>

#include "platform/load.h"

std::optional<MachineTicks> ticks_from_proc_stat(std::string_view text) {
  if (!text.starts_with("cpu ")) {
    return std::nullopt;
  }
  text.remove_prefix(4);
  // user, nice, system, idle, iowait, irq, softirq, steal
  constexpr int FIELDS = 8;
  MachineTicks ticks;
  for (int field = 0; field < FIELDS; ++field) {
    while (!text.empty() && text.front() == ' ') {
      text.remove_prefix(1);
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end == text.data()) {
      return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (ticks.total > UINT64_MAX - value) {
      return std::nullopt;
    }
    ticks.total += value;
    if (field == FIELDS - 1) {
      ticks.stolen = value;
    }
  }
  return ticks;
}
