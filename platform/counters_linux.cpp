// Event counters on Linux, through perf_event_open.
#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/counters.h"

namespace {

perf_event_attr attributes_of(Event event) {
  perf_event_attr attributes{};
  attributes.size = sizeof attributes;
  switch (event) {
    case Event::cycles:
      attributes.type = PERF_TYPE_HARDWARE;
      attributes.config = PERF_COUNT_HW_CPU_CYCLES;
      break;
    case Event::instructions:
      attributes.type = PERF_TYPE_HARDWARE;
      attributes.config = PERF_COUNT_HW_INSTRUCTIONS;
      break;
    case Event::branch_misses:
      attributes.type = PERF_TYPE_HARDWARE;
      attributes.config = PERF_COUNT_HW_BRANCH_MISSES;
      break;
    case Event::task_clock:
      attributes.type = PERF_TYPE_SOFTWARE;
      attributes.config = PERF_COUNT_SW_TASK_CLOCK;
      break;
  }
  attributes.exclude_kernel = 1;  // the kernels' own work, not the system's
  attributes.exclude_hv = 1;
  attributes.read_format =
      PERF_FORMAT_GROUP | PERF_FORMAT_TOTAL_TIME_ENABLED | PERF_FORMAT_TOTAL_TIME_RUNNING;
  return attributes;
}

const char* name_of(Event event) {
  switch (event) {
    case Event::cycles: return "cycles";
    case Event::instructions: return "instructions";
    case Event::branch_misses: return "branch misses";
    case Event::task_clock: return "task clock";
  }
  return "an event";
}

}  // namespace

std::optional<EventCounters> EventCounters::open(std::span<const Event> events, std::string& why) {
  std::vector<int> descriptors;
  for (const Event event : events) {
    perf_event_attr attributes = attributes_of(event);
    attributes.disabled = descriptors.empty() ? 1 : 0;  // the group starts with its leader
    const long fd = syscall(SYS_perf_event_open, &attributes, 0, -1,
                            descriptors.empty() ? -1 : descriptors.front(), PERF_FLAG_FD_CLOEXEC);
    if (fd < 0) {
      why = std::string("perf_event_open for ") + name_of(event) + ": " + std::strerror(errno);
      for (const int open_fd : descriptors) {
        close(open_fd);
      }
      return std::nullopt;
    }
    descriptors.push_back(static_cast<int>(fd));
  }
  return EventCounters(std::move(descriptors));
}

EventCounters::EventCounters(EventCounters&& other) noexcept
    : descriptors_(std::move(other.descriptors_)) {
  other.descriptors_.clear();
}

EventCounters::~EventCounters() {
  for (const int fd : descriptors_) {
    close(fd);
  }
}

void EventCounters::start() {
  ioctl(descriptors_.front(), PERF_EVENT_IOC_RESET, PERF_IOC_FLAG_GROUP);
  ioctl(descriptors_.front(), PERF_EVENT_IOC_ENABLE, PERF_IOC_FLAG_GROUP);
}

std::vector<std::uint64_t> EventCounters::stop() {
  ioctl(descriptors_.front(), PERF_EVENT_IOC_DISABLE, PERF_IOC_FLAG_GROUP);
  // { number of events, time enabled, time running, one value per event }
  std::vector<std::uint64_t> buffer(3 + descriptors_.size());
  const ssize_t got = read(descriptors_.front(), buffer.data(), buffer.size() * sizeof buffer[0]);
  std::vector<std::uint64_t> counts(descriptors_.size(), 0);
  if (got < static_cast<ssize_t>(3 * sizeof buffer[0]) || buffer[2] == 0) {
    return counts;
  }
  const double scale = static_cast<double>(buffer[1]) / static_cast<double>(buffer[2]);
  for (std::size_t i = 0; i < counts.size() && i < buffer[0]; ++i) {
    counts[i] = static_cast<std::uint64_t>(static_cast<double>(buffer[3 + i]) * scale);
  }
  return counts;
}
