// The calculators read their input exactly as the C library's sscanf("%i %i") does, and in
// memory that does not grow with the input.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>

#include "platform/host.h"
#include "tests/reference_gcd.h"

namespace {

const std::string PROMPT = "Enter two signed numbers: ";
constexpr std::chrono::seconds LIMIT{60};

// What a calculator must print for this input: the C library's own conversion of it,
// reduced by a GCD computed another way, on 64-bit magnitudes.
std::string expected_output(const std::string& input) {
  int first = 0;
  int second = 0;
  [[maybe_unused]] const int converted = std::sscanf(input.c_str(), "%i %i", &first, &second);
  const std::uint32_t gcd =
      reference_gcd_s(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second));
  return PROMPT + "Greatest common divisor = " + std::to_string(static_cast<std::int32_t>(gcd));
}

class TempFile {
 public:
  TempFile() {
    char name[] = "/tmp/calculator_input_XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
      close(fd);
      path_ = name;
    }
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] bool write(const std::string& text, std::size_t leading_blanks = 0) const {
    FILE* file = std::fopen(path_.c_str(), "wb");
    if (file == nullptr) {
      return false;
    }
    const std::string blanks(1U << 20, ' ');
    bool ok = true;
    for (std::size_t left = leading_blanks; left > 0 && ok;) {
      const std::size_t chunk = std::min(left, blanks.size());
      ok = std::fwrite(blanks.data(), 1, chunk, file) == chunk;
      left -= chunk;
    }
    ok = ok && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
  }

 private:
  std::string path_;
};

// Pieces of %i input: every form of number the conversion knows, and the junk around them.
std::string random_number(std::mt19937& random) {
  static const char* const SIGNS[] = {"", "", "-", "+"};
  static const char* const SPECIAL[] = {
      "0",          "0x",          "0X",          "00",           "2147483647",
      "2147483648", "-2147483648", "4294967295",  "4294967296",   "99999999999999999999",
      "0x80000000", "0xFFFFFFFF",  "0x100000000", "037777777777", "08",
      "0x1g"};
  std::string out = SIGNS[random() % 4];
  char digits[32];
  switch (random() % 5) {
    case 0:
      std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(random() % 1000));
      break;
    case 1: std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(random())); break;
    case 2:
      std::snprintf(digits, sizeof digits, random() % 2 ? "0x%x" : "0X%X",
                    static_cast<unsigned>(random()));
      break;
    case 3:
      std::snprintf(digits, sizeof digits, "0%o", static_cast<unsigned>(random() % 100000));
      break;
    default:
      std::snprintf(digits, sizeof digits, "%s", SPECIAL[random() % std::size(SPECIAL)]);
      break;
  }
  out += digits;
  return out;
}

std::string random_space(std::mt19937& random) {
  static const char* const SPACES[] = {"", " ", "  ", "\t", "\n", " \n\t ", "\n\n", "\r\n"};
  return SPACES[random() % 8];
}

std::string random_input(std::mt19937& random) {
  static const char* const JUNK[] = {"", "", "abc", ",", ",18", "x", "\n", " 7", "-", "0x"};
  switch (random() % 10) {
    case 0: return "";
    case 1: return random_space(random);
    case 2: return random_space(random) + random_number(random) + JUNK[random() % 10];
    default:
      return random_space(random) + random_number(random) + random_space(random) +
             (random() % 8 ? " " : "") + random_number(random) + JUNK[random() % 10] +
             random_space(random);
  }
}

TEST(CalculatorInput, IsReadAsTheCLibraryReadsIt) {
  std::mt19937 random(8122026);
  const TempFile input;
  for (int trial = 0; trial < 300; ++trial) {
    const std::string text = random_input(random);
    ASSERT_TRUE(input.write(text));
    const std::string expected = expected_output(text);
    for (const char* program : {CALC_EUCLID_S_PROGRAM, CALC_BINARY_S_PROGRAM}) {
      const ProgramRun run = run_captured(program, LIMIT, input.path());
      ASSERT_EQ(run.end, ProgramRun::End::exited) << program << " on \"" << text << '"';
      ASSERT_EQ(run.code, 0U) << program << " on \"" << text << '"';
      ASSERT_EQ(run.out, expected) << program << " on \"" << text << '"';
    }
  }
}

// 64 MiB of blanks before the numbers: the right answer, and the largest child process
// (this test's calculators are its only children) stays far below the input's size.
TEST(CalculatorInput, SkipsAnyAmountOfBlanksInBoundedMemory) {
  constexpr std::size_t BLANKS = std::size_t{64} << 20;
  const TempFile input;
  ASSERT_TRUE(input.write("48 18", BLANKS));
  for (const char* program : {CALC_EUCLID_S_PROGRAM, CALC_BINARY_S_PROGRAM}) {
    const ProgramRun run = run_captured(program, LIMIT, input.path());
    EXPECT_EQ(run.end, ProgramRun::End::exited) << program;
    EXPECT_EQ(run.code, 0U) << program;
    EXPECT_EQ(run.out, PROMPT + "Greatest common divisor = 6") << program;
  }
  rusage usage{};
  ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
  const long peak_kib = usage.ru_maxrss;
  EXPECT_LT(peak_kib, 32L * 1024) << "a calculator's peak memory grew with its input";
}

}  // namespace
