// The processor's event counters for this thread, in user space only, where the system
// gives them to a process (Linux: perf_event_open). A virtual machine often gives none.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

enum class Event {
  cycles,         // hardware: core cycles
  instructions,   // hardware: instructions retired
  branch_misses,  // hardware: mispredicted branches
  task_clock,     // software, on every Linux: ns this thread ran
};

// A group of counters, counted together.
class EventCounters {
 public:
  // Opens the events as one group; nullopt with the reason in why ("perf_event_open for
  // cycles: No such file or directory", "no event counters on this system").
  [[nodiscard]] static std::optional<EventCounters> open(std::span<const Event> events,
                                                         std::string& why);
  EventCounters(EventCounters&& other) noexcept;
  EventCounters& operator=(EventCounters&&) = delete;
  EventCounters(const EventCounters&) = delete;
  EventCounters& operator=(const EventCounters&) = delete;
  ~EventCounters();

  void start();
  // The counts since start, one per event in the order opened; scaled up where the system
  // counted only part of the time (more events than counters).
  [[nodiscard]] std::vector<std::uint64_t> stop();

 private:
  explicit EventCounters(std::vector<int> descriptors) : descriptors_(std::move(descriptors)) {}
  std::vector<int> descriptors_;  // the group's leader first
};
