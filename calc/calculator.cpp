// Prompt, one read of two numbers, one result.
#include "calc/calculator.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "platform/process.h"

static_assert(std::is_same_v<std::int32_t, int>,
              "the %i conversions read and print std::int32_t as int");

namespace {

// Numbers the input does not supply, or that the conversion rejects, stay 0.
std::int32_t first_number = 0;
std::int32_t second_number = 0;

}  // namespace

void run_calculator(gcd_kernel kernel) noexcept {
  std::printf("Enter two signed numbers: ");
  std::fflush(stdout);  // the prompt must be on the console before the program waits
  // The count of converted fields is deliberately not examined: a missing number stays 0.
  errno = 0;
  [[maybe_unused]] const int converted = std::scanf("%i %i", &first_number, &second_number);
  // End of input is not an error, but a failed read is: no answer from input never read.
  if (std::ferror(stdin) != 0) {
    end_process_after_read_error(errno);
  }
  const std::uint32_t result =
      kernel(static_cast<std::uint32_t>(first_number), static_cast<std::uint32_t>(second_number));
  std::printf("Greatest common divisor = %i", static_cast<std::int32_t>(result));
  end_process();
}
